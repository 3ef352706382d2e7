#include "platform/widgets/Panel.h"

#include "platform/kernel/Accessibility.h"

TPanel::TPanel(TComponent *owner) : TCustomControl(owner)
{
    SetBounds(0, 0, 185, 41);
}

int TPanel::AccessibleRole() const { return AccessibleName().empty() ? ROLE_SYSTEM_CLIENT : ROLE_SYSTEM_PANE; }

void TPanel::Paint()
{
    TCanvas &canvas = Canvas();
    TRect rect = ClientRect();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(rect);
    for (TBevelCut cut : {bevelOuter_, bevelInner_}) {
        if (cut == bvRaised)
            canvas.DrawEdge(rect, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
        else if (cut == bvLowered)
            canvas.DrawEdge(rect, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    if (Caption().empty())
        return;
    canvas.Brush().SetStyle(bsClear);
    canvas.Font().Assign(Font());
    unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
    flags |= alignment_ == taCenter ? DT_CENTER : alignment_ == taRightJustify ? DT_RIGHT : DT_LEFT;
    canvas.DrawText(Caption(), rect, flags);
}
