// Item viewers: one item as shown in one view (measuring, classic painting,
// mouse handling, hints).
#include "toolbar/BarItem.h"

#include "platform/services/SystemParameters.h"
#include "platform/kernel/Application.h"
#include "toolbar/BarCommon.h"

#include <algorithm>

namespace {

std::string CaptionUpToTab(const std::string &caption)
{
    size_t tab = caption.find('\t');
    return tab == std::string::npos ? caption : caption.substr(0, tab);
}

int MenuCheckWidth() { return SystemParameters().MenuCheckWidth; }

} // namespace

TBarItemViewer::TBarItemViewer(TBarView *view, TBarCustomItem *item, int groupDepth)
    : groupDepth_(groupDepth), item_(item), view_(view)
{
}

TBarItemViewer::~TBarItemViewer()
{
    CancelDeferredCalls(this);
    DetachAccObject();
}

bool TBarItemViewer::CaptionShown() const
{
    if (GetCaptionText().empty())
        return (item_->EffectiveOptions() & broImageAboveCaption) != 0;
    return !UsesToolbarSize() || item_->ImageIndex() < 0 || item_->DisplayMode() == nbdmTextOnly
        || item_->DisplayMode() == nbdmImageAndText || (item_->EffectiveOptions() & broImageAboveCaption);
}

bool TBarItemViewer::ImageShown() const
{
    if (item_->ImageIndex() < 0)
        return false;
    TBarItemDisplayMode mode = item_->DisplayMode();
    return mode == nbdmDefault || mode == nbdmImageAndText || (mode == nbdmTextOnlyInMenus && UsesToolbarStyle());
}

bool TBarItemViewer::IsRotated() const
{
    return view_->Orientation() == tbvoVertical
        && !(item_->EffectiveOptions() & (broNoRotation | broImageAboveCaption));
}

TBarImageList *TBarItemViewer::GetImageList() const
{
    if (item_->Images())
        return item_->Images();
    for (TBarView *v = view_; v; v = v->ParentView()) {
        if (v->Container() && v->Container()->SubmenuImages())
            return v->Container()->SubmenuImages();
        if (v->ParentItem() && v->ParentItem()->SubmenuImages())
            return v->ParentItem()->SubmenuImages();
    }
    return nullptr;
}

std::string TBarItemViewer::GetCaptionText() const { return CaptionUpToTab(item_->Caption()); }

bool TBarItemViewer::UsesToolbarSize() const
{
    return view_->IsToolbar() || (item_->EffectiveOptions() & broToolbarSize);
}

bool TBarItemViewer::UsesToolbarStyle() const
{
    return view_->IsToolbar() || (item_->EffectiveOptions() & broToolbarStyle);
}

bool TBarItemViewer::UsesSameWidth() const
{
    TBarItemOptions o = item_->EffectiveOptions();
    return (o & broImageAboveCaption) && (o & broSameWidth) && UsesToolbarSize();
}

bool TBarItemViewer::IsPtInButtonPart(int x, int) const
{
    if (!(item_->ItemStyle() & SubmenuOnArrowOnly))
        return !(item_->ItemStyle() & HasSubmenu);
    int arrow = UsesToolbarStyle() ? kToolbarArrowWidth : MenuCheckWidth();
    return x < bounds_.Width() - arrow;
}

int TBarItemViewer::GetAccRole() const
{
    if (dynamic_cast<TBarControlItem *>(item_))
        return 10;
    if (item_->ItemStyle() & Separator)
        return 21;
    if (view_->IsPopup() || (view_->Style() & vsMenuBar))
        return 12;
    if (item_->ItemStyle() & HasSubmenu)
        return 57;
    return 43;
}

void TBarItemViewer::CalcSize(TCanvas &canvas, int &width, int &height)
{
    bool toolbarStyle = UsesToolbarStyle();
    width = height = toolbarStyle ? 6 : 0;
    int textHeight = canvas.TextMetrics().tmHeight;
    if (!toolbarStyle || CaptionShown()) {
        int captionWidth = canvas.TextWidth(StripAccelChars(GetCaptionText()));
        if (IsRotated()) {
            width += textHeight;
            height += captionWidth + (toolbarStyle ? 6 : 0);
        } else {
            height += textHeight;
            width += captionWidth + (toolbarStyle ? 6 : 0);
        }
    }
    TBarImageList *images = GetImageList();
    if (toolbarStyle && ImageShown() && images) {
        if (IsRotated() || (item_->EffectiveOptions() & broImageAboveCaption)) {
            height += images->Height();
            width = std::max(width, images->Width() + 7);
        } else {
            width += images->Width() + 1;
            height = std::max(height, images->Height() + 6);
        }
    }
    if (toolbarStyle && (item_->ItemStyle() & HasSubmenu)) {
        if (item_->ItemStyle() & SubmenuOnArrowOnly)
            width += kToolbarArrowWidth;
        else if (item_->EffectiveOptions() & broDropdownArrow)
            (view_->Orientation() == tbvoVertical ? height : width) += 8;
    }
    if (toolbarStyle)
        return;
    int row = textHeight + canvas.TextMetrics().tmExternalLeading + 4;
    int column = row;
    if (images) {
        row = std::max(row, images->Height() + 3);
        column = MulDiv(images->Width() + 3, row, images->Height() + 3);
    }
    height = row;
    width += column + 6;
    std::string shortCut = item_->GetShortCutText();
    if (!shortCut.empty())
        width += canvas.TextWidth(shortCut) + row - 6;
    width += row;
}

bool TBarItemViewer::DoExecute()
{
    TBarView *root = view_->GetRootView();
    root->DoneAction() = TBarDoneAction{};
    root->DoneAction().Kind = tbdaClickItem;
    root->DoneAction().ClickItem = item_;
    root->DoneAction().ClickPlaySound = view_->IsPopup();
    return true;
}

void TBarItemViewer::Execute(bool givePriority)
{
    if (DoExecute() && givePriority)
        view_->GivePriority(this);
}

void TBarItemViewer::SelectionEntered()
{
    if (item_->OnSelect)
        item_->OnSelect(item_, this, true);
}

void TBarItemViewer::SelectionLeft()
{
    if (item_->OnSelect)
        item_->OnSelect(item_, this, false);
}

void TBarItemViewer::Invalidate() { view_->InvalidateViewer(this); }

TPoint TBarItemViewer::ScreenToViewer(TPoint screen) const
{
    TPoint p = view_->ScreenToClient(screen);
    return TPoint{p.X - bounds_.Left, p.Y - bounds_.Top};
}

std::string TBarItemViewer::GetViewerHint() const
{
    std::string hint = item_->Hint();
    size_t bar = hint.find('|');
    if (bar != std::string::npos)
        hint = hint.substr(0, bar);
    unsigned style = item_->ItemStyle();
    if (hint.empty() && !(item_->EffectiveOptions() & broNoAutoHint)
        && (!(style & HasSubmenu) || (style & SubmenuOnArrowOnly) || !CaptionShown()))
        hint = StripAccelChars(StripTrailingPunctuation(GetCaptionText()));
    if (TAction *action = item_->Action(); action && !action->DoHint(hint))
        hint.clear();
    if (!hint.empty() && Application().HintShortCuts()) {
        std::string shortCut = item_->GetShortCutText();
        if (!shortCut.empty())
            hint += " (" + shortCut + ")";
    }
    return hint;
}

void TBarItemViewer::MouseDown(TShiftState shift, int x, int y, bool &closeOnRelease)
{
    bool topLevel = !view_->ParentView() && !view_->IsPopup();
    if (!item_->Enabled()) {
        if (topLevel)
            view_->EndModal();
        return;
    }
    if (!IsPtInButtonPart(x, y)) {
        bool wasOpen = view_->OpenViewer() == this;
        if (view_->SubmenuTimerElapsed(false)) {
            closeOnRelease = wasOpen && topLevel;
            TBarView *popupView = view_->OpenViewerView();
            if ((shift & ssDouble) && !(item_->ItemStyle() & SubmenuOnArrowOnly) && popupView)
                for (int i = 0; i < popupView->ViewerCount(); ++i) {
                    TBarItemViewer *v = popupView->Viewers(i);
                    TBarCustomItem *it = v->Item();
                    if ((v->Show() || v->Clipped()) && (it->EffectiveOptions() & broDefault)
                        && (it->ItemStyle() & Selectable) && it->Enabled() && it->Visible()) {
                        v->Execute(true);
                        break;
                    }
                }
        }
        return;
    }
    if (UsesToolbarStyle()) {
        view_->CloseChildPopup();
        view_->SetState(view_->State() & ~vsKeepOpen);
        view_->StartPress();
        Invalidate();
    }
}

void TBarItemViewer::MouseUp(int x, int y, bool closeOnRelease)
{
    bool wasPressing = view_->Pressing();
    view_->EndMousePress();
    bool topLevel = !view_->ParentView() && !view_->IsPopup();
    if (view_->Selected() == this && view_->MouseOverSelected() && item_->Enabled()
        && !(item_->ItemStyle() & NotClickable)) {
        if ((item_->ItemStyle() & HasSubmenu) && !IsPtInButtonPart(x, y)) {
            if (closeOnRelease && topLevel)
                view_->EndModal();
        } else if (wasPressing || !UsesToolbarStyle())
            Execute(true);
        return;
    }
    if (topLevel)
        view_->EndModal();
}

void TBarItemViewer::DrawItemCaption(TCanvas &canvas, TRect rect, const std::string &caption, bool embossed,
                                     unsigned format)
{
    // A vertical toolbar's captions read from top to bottom.
    bool rotated = IsRotated();
    auto draw = [&](TRect r) {
        if (rotated)
            DrawRotatedText(canvas, caption, r, format);
        else
            canvas.DrawText(caption, r, format);
    };
    if (embossed) {
        TColor saved = canvas.Font().Color();
        TRect r = rect;
        OffsetRect(r, 1, 1);
        canvas.Font().SetColor(clBtnHighlight);
        draw(r);
        canvas.Font().SetColor(clBtnShadow);
        draw(rect);
        canvas.Font().SetColor(saved);
        return;
    }
    draw(rect);
}

void TBarItemViewer::Paint(TCanvas &canvas, const TRect &clientRect, bool embossed, bool pushed, bool selected)
{
    bool toolbarStyle = UsesToolbarStyle();
    bool enabledLook = item_->Enabled() || view_->Customizing();
    unsigned style = item_->ItemStyle();
    bool split = (style & SubmenuOnArrowOnly) != 0;
    bool arrow = (style & HasSubmenu) && (split || (item_->EffectiveOptions() & broDropdownArrow));
    TRect button = clientRect;
    TBarImageList *images = GetImageList();
    bool imageShown = ImageShown() && images;
    int textHeight = canvas.TextMetrics().tmHeight;
    int row = clientRect.Height();
    int column = row;
    if (images && !toolbarStyle)
        column = MulDiv(images->Width() + 3, row, images->Height() + 3);

    if (toolbarStyle) {
        TRect arrowRect{};
        if (split) {
            arrowRect = TRect{clientRect.Right - kToolbarArrowWidth, clientRect.Top, clientRect.Right - 2,
                              clientRect.Bottom};
            button.Right -= kToolbarArrowWidth;
        } else if (arrow)
            arrowRect = view_->Orientation() == tbvoVertical
                ? TRect{0, clientRect.Bottom - 11, clientRect.Right, clientRect.Bottom - 3}
                : TRect{clientRect.Right - 11, 0, clientRect.Right - 3, clientRect.Bottom};
        if ((selected && enabledLook) || item_->Checked()) {
            TRect frame = button;
            bool sunken = split ? ((pushed && view_->Pressing()) || item_->Checked()) : (pushed || item_->Checked());
            canvas.DrawEdge(frame, sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            if (split && selected && enabledLook) {
                TRect a{button.Right, clientRect.Top, clientRect.Right, clientRect.Bottom};
                canvas.DrawEdge(a, pushed && !view_->Pressing() ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            }
        }
        if (arrow) {
            int cx = arrowRect.Left + arrowRect.Width() / 2, cy = arrowRect.Top + arrowRect.Height() / 2;
            if (!split && pushed)
                ++cx, ++cy;
            canvas.Brush().SetStyle(bsSolid);
            canvas.Brush().SetColor(embossed ? clBtnShadow : canvas.Font().Color());
            canvas.Pen().SetColor(canvas.Brush().Color());
            canvas.Polygon({{cx - 2, cy - 1}, {cx + 2, cy - 1}, {cx, cy + 1}});
            if (!split)
                (view_->Orientation() == tbvoVertical ? button.Bottom : button.Right) -= 8;
        }
        InflateRect(button, -1, -1);
        if (item_->Checked() || (selected && pushed && (!split || view_->Pressing()))) {
            InflateRect(button, -1, -1);
            OffsetRect(button, 1, 1);
        }
    } else if (selected) {
        TRect fill = clientRect;
        if (imageShown || item_->Checked())
            fill.Left += column + 1;
        canvas.FillRect(fill);
    }

    if (item_->EffectiveOptions() & broDefault)
        canvas.Font().SetStyle(canvas.Font().Style() | fsBold);
    unsigned hidePrefix = (view_->Style() & vsUseHiddenAccels) && !(view_->State() & vsShowAccels)
            && !ShowAccelUnderlines() ? static_cast<unsigned>(DT_HIDEPREFIX) : 0u;
    canvas.Brush().SetStyle(bsClear);
    if (CaptionShown()) {
        TRect r = button;
        if (toolbarStyle) {
            if (imageShown) {
                if (IsRotated() || (item_->EffectiveOptions() & broImageAboveCaption))
                    r.Top += images->Height() + 1;
                else
                    r.Left += images->Width() + 1;
            }
            DrawItemCaption(canvas, r, GetCaptionText(), embossed, DT_CENTER | DT_VCENTER | DT_SINGLELINE | hidePrefix);
        } else {
            r.Left = column + 3;
            int lead = canvas.TextMetrics().tmExternalLeading;
            if (r.Height() == textHeight + lead + 4)
                --r.Bottom;
            r.Top += lead;
            DrawItemCaption(canvas, r, GetCaptionText(), embossed, DT_VCENTER | DT_SINGLELINE | hidePrefix);
        }
    }
    if (!toolbarStyle) {
        std::string shortCut = item_->GetShortCutText();
        if (!shortCut.empty()) {
            int w = canvas.TextWidth(shortCut);
            TRect r{clientRect.Right - row - w, clientRect.Top, clientRect.Right - row, clientRect.Bottom};
            DrawItemCaption(canvas, r, shortCut, embossed, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        if (style & HasSubmenu) {
            int cx = clientRect.Right - row / 2, cy = clientRect.Top + clientRect.Height() / 2;
            canvas.Brush().SetStyle(bsSolid);
            canvas.Brush().SetColor(embossed ? clBtnShadow : canvas.Font().Color());
            canvas.Pen().SetColor(canvas.Brush().Color());
            canvas.Polygon({{cx - 2, cy - 4}, {cx + 2, cy}, {cx - 2, cy + 4}});
        }
    }
    if (imageShown) {
        TRect box = toolbarStyle ? Bounds(button.Left, button.Top, images->Width() + 2, button.Height())
                                 : TRect{clientRect.Left, clientRect.Top, clientRect.Left + column, clientRect.Bottom};
        images->Draw(canvas, box.Left + (box.Width() - images->Width()) / 2,
                     box.Top + (box.Height() - images->Height()) / 2, item_->ImageIndex(), enabledLook);
    } else if (!toolbarStyle && item_->Checked()) {
        int cx = clientRect.Left + column / 2, cy = clientRect.Top + clientRect.Height() / 2;
        canvas.Pen().SetColor(clBtnText);
        if (item_->RadioItem()) {
            canvas.Brush().SetStyle(bsSolid);
            canvas.Brush().SetColor(clBtnText);
            canvas.RoundRect(TRect{cx - 3, cy - 3, cx + 2, cy + 2}, 2, 2);
        } else {
            int ox = cx - 2, oy = cy + 1;
            canvas.Polyline({{ox - 2, oy - 2}, {ox, oy}, {ox + 4, oy - 4}, {ox + 4, oy - 3}, {ox, oy + 1},
                             {ox - 2, oy - 1}, {ox - 2, oy - 2}});
        }
    }
}

void TBarSeparatorItemViewer::CalcSize(TCanvas &canvas, int &width, int &height)
{
    if (UsesToolbarStyle()) {
        width = height = 6;
        return;
    }
    width = 0;
    height = DivRoundAwayFromZero(canvas.TextMetrics().tmHeight * 2, 3);
}

void TBarSeparatorItemViewer::Paint(TCanvas &canvas, const TRect &r, bool, bool, bool)
{
    auto *separator = dynamic_cast<TBarSeparatorItem *>(Item());
    if (separator && separator->Blank())
        return;
    bool menuOrVertical = !UsesToolbarStyle() || View()->Orientation() == tbvoVertical;
    if (menuOrVertical == LineBreak()) {
        int inset = LineBreak() ? 4 : 0;
        TRect line{r.Width() / 2 - 1, r.Top + inset, r.Width() / 2 + 1, r.Bottom - inset};
        canvas.DrawEdge(line, EDGE_ETCHED, BF_LEFT);
    } else {
        int inset = !UsesToolbarStyle() ? 12 : LineBreak() ? (View()->Orientation() == tbvoFloating ? 1 : 4) : 0;
        TRect line{r.Left + inset, r.Height() / 2 - 1, r.Right - inset, r.Height() / 2 + 1};
        canvas.DrawEdge(line, EDGE_ETCHED, BF_TOP);
    }
}
