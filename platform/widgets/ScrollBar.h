#pragma once
// A scroll bar control with range, position, steps and the scroll event.
#include "platform/kernel/Controls.h"

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
using TScrollEvent = std::function<void(TObject *sender, TScrollCode code, int &scrollPos)>;

class TScrollBar : public TWinControl {
public:
    explicit TScrollBar(TComponent *owner);
    TScrollBarKind Kind() const { return kind_; }
    void SetKind(TScrollBarKind k) { kind_ = k; }
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    int PageSize() const { return pageSize_; }
    int LargeChange() const { return largeChange_; }
    int SmallChange() const { return smallChange_; }
    // Raises EInvalidOperation when max would fall below min or the page size.
    void SetMin(int v) { SetParams(position_, v, max_); }
    void SetMax(int v) { SetParams(position_, min_, v); }
    void SetPosition(int v) { SetParams(v, min_, max_); }
    void SetParams(int position, int min, int max);
    void SetPageSize(int v) { pageSize_ = v; Sync(); }
    void SetLargeChange(int v) { largeChange_ = v; Sync(); }
    void SetSmallChange(int v) { smallChange_ = v; Sync(); }

    // Before the position changes by the person's action; may change the position.
    TScrollEvent OnScroll;
    TNotifyEvent OnChange;

    // Platform side: the person scrolled.
    void Scrolled(TScrollCode code, int position);

protected:
    void CreateHandle() override;
    void InitializeHandle() override;

private:
    void Sync();
    TScrollBarKind kind_ = sbHorizontal;
    int min_ = 0, max_ = 100, position_ = 0, pageSize_ = 0, largeChange_ = 1, smallChange_ = 1;
    bool syncing_ = false;
};
