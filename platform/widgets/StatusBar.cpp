#include "platform/widgets/StatusBar.h"

TStatusBar::TStatusBar(TComponent *owner) : TCustomControl(owner)
{
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
}

void TStatusBar::AddPanel(int width)
{
    panels_.push_back(TStatusPanel{"", width});
    Invalidate();
}

void TStatusBar::SetPanelText(int index, const std::string &text)
{
    TStatusPanel &panel = panels_.at(static_cast<size_t>(index));
    if (panel.Text == text)
        return;
    panel.Text = text;
    Invalidate();
}

void TStatusBar::Paint()
{
    TCanvas &canvas = Canvas();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(ClientRect());
    canvas.Font().Assign(Font());
    int x = 0;
    for (size_t i = 0; i < panels_.size(); ++i) {
        int right = i + 1 == panels_.size() ? Width() : x + panels_[i].Width;
        TRect r{x, 2, right - 2, Height()};
        TRect edge = r;
        canvas.DrawEdge(edge, BDR_SUNKENOUTER, BF_RECT);
        TRect text{r.Left + 3, r.Top + 1, r.Right - 2, r.Bottom - 1};
        canvas.Brush().SetStyle(bsClear);
        canvas.DrawText(panels_[i].Text, text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        canvas.Brush().SetStyle(bsSolid);
        x = right;
    }
}
