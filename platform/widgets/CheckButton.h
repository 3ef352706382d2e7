#pragma once
// A push button that stays down. Buttons of one parent with the same
// GroupIndex (above 0) form a group in which one at a time is down.
#include "platform/widgets/Button.h"

class TCheckButton : public TButton {
public:
    explicit TCheckButton(TComponent *owner) : TButton(owner) {}

    int GroupIndex = 0;
    bool Down() const { return down_; }
    // Down in a group raises the group's other buttons.
    void SetDown(bool down);
    // A click puts a grouped button down (and a lone one up or down), then fires OnClick.
    void Click() override;

protected:
    void InitializeHandle() override;

private:
    void SyncWindow();
    bool down_ = false;
};
