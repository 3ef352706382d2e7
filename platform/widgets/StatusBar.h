#pragma once
// A status bar of panels with fixed widths (the last fills the rest).
#include "platform/kernel/Controls.h"

#include <string>
#include <vector>

struct TStatusPanel {
    std::string Text;
    int Width = 50;
};

class TStatusBar : public TCustomControl {
public:
    explicit TStatusBar(TComponent *owner);
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    void AddPanel(int width);
    const std::string &PanelText(int index) const { return panels_.at(static_cast<size_t>(index)).Text; }
    void SetPanelText(int index, const std::string &text);
    int PanelWidth(int index) const { return panels_.at(static_cast<size_t>(index)).Width; }

protected:
    void Paint() override;

private:
    std::vector<TStatusPanel> panels_;
};
