#pragma once
// A splitter: a thin windowless bar that resizes the aligned control before it
// (above a top-aligned splitter, left of a left-aligned one). The new size is
// applied when the mouse is released; OnCanResize may change or refuse the size
// while dragging.
#include "platform/kernel/Controls.h"

using TCanResizeEvent = std::function<void(TObject *sender, int &newSize, bool &accept)>;

class TSplitter : public TGraphicControl {
public:
    explicit TSplitter(TComponent *owner);
    int MinSize() const { return minSize_; }
    void SetMinSize(int size) { minSize_ = size; }
    // The control the splitter resizes, or nullptr.
    TControl *ResizeControl() const;

    TEventSlot<TCanResizeEvent> OnCanResize;
    TEventSlot<TNotifyEvent> OnMoved;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    bool Vertical() const { return Align() == alLeft || Align() == alRight; }
    int minSize_ = 30;
    TControl *control_ = nullptr;
    int downPos_ = 0;
    int startSize_ = 0;
    int newSize_ = 0;
    bool dragging_ = false;
};
