#include "toolbar/Skin.h"

#include "platform/kernel/Controls.h"
#include "platform/core/Services.h"
#include "platform/services/SystemParameters.h"
#include "toolbar/BarAnim.h"
#include "toolbar/BarCommon.h"
#include "toolbar/SkinDefaultTheme.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

// ---------------------------------------------------------------- nexus

TSkinNexus &SkinNexus()
{
    static std::unique_ptr<TSkinNexus> nexus = [] {
        TSkinThemeFactory factory = [](const std::string &name) { return std::make_unique<TSkinDefaultTheme>(name); };
        if (FindTheme(DefaultThemeName) < 0)
            RegisterTheme(DefaultThemeName, factory);
        auto made = std::make_unique<TSkinNexus>(DefaultThemeName);
        made->SetDefaultFactory(factory);
        return made;
    }();
    return *nexus;
}

TSkinTheme &CurrentTheme() { return *SkinNexus().Theme(); }

// ---------------------------------------------------------------- font settings

void TFontSettings::Assign(const TFontSettings &other)
{
    const bool differs = bold_ != other.bold_ || italic_ != other.italic_ || underline_ != other.underline_
        || strikeOut_ != other.strikeOut_ || size_ != other.size_ || color_ != other.color_ || name_ != other.name_;
    if (!differs)
        return;
    bold_ = other.bold_;
    italic_ = other.italic_;
    underline_ = other.underline_;
    strikeOut_ = other.strikeOut_;
    size_ = other.size_;
    color_ = other.color_;
    name_ = other.name_;
    if (OnChange)
        OnChange();
}

void TFontSettings::Apply(TFont &font) const
{
    if (size_ != 100)
        font.SetSize((font.Size() * size_ + 50) / 100);
    if (color_ != clNone)
        font.SetColor(color_);
    if (!name_.empty())
        font.SetName(name_);
    TFontStyles style = font.Style();
    auto apply = [&style](TTriState state, TFontStyle flag) {
        if (state == tsTrue)
            style |= flag;
        else if (state == tsFalse)
            style &= ~static_cast<TFontStyles>(flag);
    };
    apply(bold_, fsBold);
    apply(italic_, fsItalic);
    apply(underline_, fsUnderline);
    apply(strikeOut_, fsStrikeOut);
    font.SetStyle(style);
}

// ---------------------------------------------------------------- items

TSkinCustomItem::TSkinCustomItem(TComponent *owner) : TBarCustomItem(owner)
{
    fontSettings_.OnChange = [this] { Changed(true); };
}

void TSkinCustomItem::SetLayout(TSkinItemLayout layout)
{
    if (layout_ != layout) {
        layout_ = layout;
        Changed(true);
    }
}

void TSkinCustomItem::SetMinWidth(int width)
{
    if (minWidth_ != width) {
        minWidth_ = width;
        Changed(true);
    }
}

void TSkinCustomItem::SetMinHeight(int height)
{
    if (minHeight_ != height) {
        minHeight_ = height;
        Changed(true);
    }
}

void TSkinCustomItem::SetStretch(bool stretch)
{
    if (Stretch() != stretch) {
        SetItemStyle(stretch ? (ItemStyle() | StretchStyle) : (ItemStyle() & ~StretchStyle));
        Changed(true);
    }
}

std::unique_ptr<TBarItemViewer> TSkinCustomItem::CreateViewer(TBarView *view, int groupDepth)
{
    return std::make_unique<TSkinItemViewer>(view, this, groupDepth);
}

void TSkinSeparatorItem::SetSize(int size)
{
    size = std::max(size, -1);
    if (size_ != size) {
        size_ = size;
        Changed(true);
    }
}

std::unique_ptr<TBarItemViewer> TSkinSeparatorItem::CreateViewer(TBarView *view, int groupDepth)
{
    return std::make_unique<TSkinSeparatorItemViewer>(view, this, groupDepth);
}

// ---------------------------------------------------------------- viewers

std::uint32_t GetViewKind(const TBarView *view)
{
    if (!view)
        return 0;
    if (TWinControl *window = view->Window())
        if (const auto kind = static_cast<std::uint32_t>(SendMessage(window, BARWM_GETVIEWKIND)))
            return kind;
    // A window of the core that does not answer: its plain kind.
    if (view->IsPopup())
        return VIEWKIND_POPUP | VIEWKIND_POPUPMENU;
    return VIEWKIND_TOOLBAR | ((view->Style() & vsMenuBar) ? VIEWKIND_MENUBAR : VIEWKIND_TOOLBAR_PLAIN);
}

namespace {

enum : int { SM_CXMENUCHECK = 71 };

int MenuCheckWidth()
{
    const int w = Services().SystemMetric(SM_CXMENUCHECK);
    return w > 0 ? w : 13;
}

TSize ImageSize(const TBarItemViewer &viewer)
{
    if (const TBarImageList *images = viewer.GetImageList())
        if (images->Width() > 0 && images->Height() > 0)
            return TSize{images->Width(), images->Height()};
    return TSize{0, 0};
}

} // namespace

TSkinItemLayout TSkinItemViewer::EffectiveLayout() const
{
    const auto *item = dynamic_cast<const TSkinCustomItem *>(Item());
    if (item && item->Layout() != sklAuto)
        return item->Layout();
    if ((Item()->EffectiveOptions() & broImageAboveCaption) || View()->Orientation() == tbvoVertical)
        return sklGlyphTop;
    return sklGlyphLeft;
}

unsigned TSkinItemViewer::BaseTextFormat() const
{
    unsigned format = 0;
    if (!ShowAccelUnderlines() && (View()->Style() & vsUseHiddenAccels) && !(View()->State() & vsShowAccels))
        format |= DT_HIDEPREFIX;
    if (IsRotated() || !UsesToolbarStyle())
        format |= DT_SINGLELINE;
    return format;
}

TSize TSkinItemViewer::CaptionSize(TCanvas &canvas, unsigned format)
{
    const std::string caption = GetCaptionText();
    if (IsRotated())
        return TSize{canvas.TextMetrics().tmHeight, canvas.TextWidth(StripAccelChars(caption))};
    TRect r{0, 0, 1, 0};
    canvas.DrawText(caption, r, format | DT_CALCRECT);
    return TSize{r.Width(), r.Height()};
}

void TSkinItemViewer::AdjustFont(TFont &font, unsigned stateFlags)
{
    if (Item()->EffectiveOptions() & broDefault)
        font.SetStyle(font.Style() | fsBold);
    if (auto *item = dynamic_cast<TSkinCustomItem *>(Item())) {
        item->FontSettings().Apply(font);
        if (item->OnAdjustFont)
            item->OnAdjustFont(item, this, font, stateFlags);
    }
}

int TSkinItemViewer::GetPopupMargin(TCanvas &canvas)
{
    TSize image = ImageSize(*this);
    if (image.cx == 0)
        image = TSize{16, 16};
    canvas.Font().Assign(View()->GetFont());
    const TTextMetric tm = canvas.TextMetrics();
    TSkinMargins margins;
    CurrentTheme().GetMargins(MID_MENUITEM, margins);
    const int m = margins.TopHeight + margins.BottomHeight;
    return (image.cx + m) * std::max(tm.tmHeight + tm.tmExternalLeading + m, image.cy + m) / (image.cy + m);
}

void TSkinItemViewer::CalcSize(TCanvas &canvas, int &width, int &height)
{
    TSkinTheme &theme = CurrentTheme();
    const bool toolbarStyle = UsesToolbarStyle();
    const TSize image = ImageShown() ? ImageSize(*this) : TSize{0, 0};
    const bool hasImage = image.cx > 0;
    const TSkinItemLayout layout = EffectiveLayout();
    const unsigned style = Item()->ItemStyle();
    const bool vertical = View()->Orientation() == tbvoVertical;
    TSize text{0, 0};
    if (CaptionShown()) {
        AdjustFont(canvas.Font(), 0);
        text = CaptionSize(canvas, BaseTextFormat());
    }
    if (toolbarStyle) {
        width = height = 6;
        if (CaptionShown()) {
            width += text.cx;
            height += text.cy;
            (IsRotated() ? height : width) += 4;
        }
        if (hasImage) {
            if (layout == sklGlyphLeft) {
                width += image.cx + 1;
                height = std::max(height, image.cy + 6);
            } else {
                height += image.cy;
                width = std::max(width, image.cx + 7);
            }
        }
        if (style & HasSubmenu) {
            const int arrow = theme.GetIntegerMetric(TMI_DROPDOWN_ARROWWIDTH);
            if (style & SubmenuOnArrowOnly)
                width += theme.GetIntegerMetric(TMI_SPLITBTN_ARROWWIDTH);
            else if ((Item()->EffectiveOptions() & broDropdownArrow) && layout == sklGlyphTop && hasImage
                && !IsRotated())
                (vertical ? height : width) = std::max(vertical ? height : width,
                    arrow + (vertical ? image.cy : image.cx) + 9);
            else if (Item()->EffectiveOptions() & broDropdownArrow)
                (vertical ? height : width) += arrow;
        }
    } else {
        const TTextMetric tm = canvas.TextMetrics();
        height = std::max(tm.tmHeight + tm.tmExternalLeading, hasImage ? image.cy : 16);
        width = text.cx;
        TSkinMargins margins;
        theme.GetMargins(MID_MENUITEM, margins);
        width += margins.LeftWidth + margins.RightWidth;
        height += margins.TopHeight + margins.BottomHeight;
        width += theme.GetIntegerMetric(TMI_MENU_IMGTEXTSPACE) + GetPopupMargin(canvas)
            + theme.GetIntegerMetric(TMI_MENU_LCAPTIONMARGIN) + theme.GetIntegerMetric(TMI_MENU_RCAPTIONMARGIN);
        const std::string shortcut = Item()->GetShortCutText();
        if (!shortcut.empty()) {
            canvas.Font().Assign(View()->GetFont());
            width += canvas.TextWidth(StripAccelChars(shortcut)) + height - 6;
        }
        width += height;
    }
    if (const auto *item = dynamic_cast<const TSkinCustomItem *>(Item())) {
        width = std::max(width, item->MinWidth());
        height = std::max(height, item->MinHeight());
    }
}

TSkinItemInfo TSkinItemViewer::MakeItemInfo(bool pushed, bool selected) const
{
    TSkinItemInfo info;
    info.ViewType = GetViewKind(View());
    const unsigned style = Item()->ItemStyle();
    if (UsesToolbarStyle())
        info.ItemOptions |= IO_TOOLBARSTYLE;
    if (style & HasSubmenu)
        info.ItemOptions |= IO_SUBMENUITEM;
    if (style & SubmenuOnArrowOnly)
        info.ItemOptions |= IO_COMBO;
    if (ApplicationIsActive())
        info.ItemOptions |= IO_APPACTIVE;
    info.Enabled = Item()->Enabled() || View()->Customizing();
    info.Pushed = pushed;
    if (selected)
        info.HoverKind = info.Enabled ? HOVER_MOUSE : (!View()->MouseOverSelected() ? HOVER_KEYBOARD : HOVER_NONE);
    info.Selected = Item()->Checked();
    info.IsVertical = View()->Orientation() == tbvoVertical && !(style & SubmenuOnArrowOnly);
    if (style & SubmenuOnArrowOnly)
        info.ComboPart = 2;
    else if ((style & HasSubmenu) && (Item()->EffectiveOptions() & broDropdownArrow))
        info.ComboPart = 1;
    return info;
}

void TSkinItemViewer::Paint(TCanvas &canvas, const TRect &clientRect, bool, bool pushed, bool selected)
{
    TSkinTheme &theme = CurrentTheme();
    const bool toolbarStyle = UsesToolbarStyle();
    const unsigned style = Item()->ItemStyle();
    const bool split = style & SubmenuOnArrowOnly;
    // A split button pushed while the view is not pressing has its arrow pushed.
    const bool arrowPushed = split && pushed && !View()->Pressing();
    TSkinItemInfo info = MakeItemInfo(split ? (pushed && !arrowPushed) : pushed, selected);
    const TSize image = ImageShown() ? ImageSize(*this) : TSize{0, 0};
    info.ImageShown = image.cx > 0;
    info.ImageWidth = image.cx;
    info.ImageHeight = image.cy;
    if (!toolbarStyle)
        info.PopupMargin = GetPopupMargin(canvas);

    canvas.Font().Assign(View()->GetFont());
    canvas.Font().SetColor(theme.GetItemTextColor(info));
    unsigned stateFlags = (!info.Enabled ? ISF_DISABLED : 0u) | (info.HoverKind == HOVER_MOUSE ? ISF_HOT : 0u)
        | (info.Pushed ? ISF_PUSHED : 0u) | (info.Selected ? ISF_CHECKED : 0u);
    AdjustFont(canvas.Font(), stateFlags);
    const TColor fontColor = canvas.Font().Color();
    const unsigned baseFormat = BaseTextFormat();
    const TSize text = CaptionShown() ? CaptionSize(canvas, baseFormat) : TSize{0, 0};
    const TSkinItemLayout layout = EffectiveLayout();
    const bool vertical = View()->Orientation() == tbvoVertical;

    TRect r = clientRect;
    if (toolbarStyle) {
        const int arrowWidth = theme.GetIntegerMetric(TMI_DROPDOWN_ARROWWIDTH);
        const int arrowMargin = theme.GetIntegerMetric(TMI_DROPDOWN_ARROWMARGIN);
        if (split) {
            const int w = theme.GetIntegerMetric(TMI_SPLITBTN_ARROWWIDTH);
            const TRect arrow{r.Right - w, r.Top, r.Right, r.Bottom};
            r.Right -= w;
            theme.PaintButton(canvas, r, info);
            TSkinItemInfo arrowInfo = info;
            arrowInfo.ComboPart = 3;
            arrowInfo.Pushed = arrowPushed;
            arrowInfo.Selected = false;
            theme.PaintButton(canvas, arrow, arrowInfo);
        } else {
            theme.PaintButton(canvas, r, info);
            if (info.ComboPart == 1) {
                if (vertical) {
                    theme.PaintDropDownArrow(canvas,
                        TRect{r.Left, r.Bottom - arrowWidth - arrowMargin, r.Right, r.Bottom - arrowMargin}, info);
                    r.Bottom -= arrowWidth;
                } else {
                    theme.PaintDropDownArrow(canvas,
                        TRect{r.Right - arrowWidth - arrowMargin, r.Top, r.Right - arrowMargin, r.Bottom}, info);
                    r.Right -= arrowWidth;
                }
            }
        }
        InflateRect(r, -2, -2);
    } else {
        TSkinMargins margins;
        theme.GetMargins(MID_MENUITEM, margins);
        theme.PaintMenuItem(canvas, r, info);
        r = TRect{r.Left + margins.LeftWidth, r.Top + margins.TopHeight, r.Right - margins.RightWidth,
            r.Bottom - margins.BottomHeight};
    }

    if (CaptionShown()) {
        TRect t = r;
        unsigned format = baseFormat;
        if (toolbarStyle) {
            if (info.ImageShown && layout == sklGlyphLeft) {
                t.Left = (image.cx + r.Left + r.Right - text.cx + 3) / 2;
                format |= DT_VCENTER | DT_SINGLELINE;
            } else if (info.ImageShown) {
                t.Top += image.cy + (IsRotated() ? 4 : 1);
                format |= DT_CENTER;
            } else {
                format |= DT_CENTER | DT_VCENTER | DT_SINGLELINE;
            }
        } else {
            const TTextMetric tm = canvas.TextMetrics();
            t.Left = clientRect.Left + theme.GetIntegerMetric(TMI_MENU_IMGTEXTSPACE) + info.PopupMargin
                + theme.GetIntegerMetric(TMI_MENU_LCAPTIONMARGIN);
            t.Right = t.Left + text.cx;
            t.Top += tm.tmExternalLeading;
            format |= DT_VCENTER;
        }
        canvas.Font().SetColor(fontColor);
        theme.PaintCaption(canvas, t, info, GetCaptionText(), format, IsRotated());
    }
    if (!toolbarStyle && !Item()->GetShortCutText().empty()) {
        TRect s = r;
        s.Right = clientRect.Right - clientRect.Height();
        canvas.Font().SetColor(fontColor);
        theme.PaintCaption(canvas, s, info, Item()->GetShortCutText(), baseFormat | DT_RIGHT | DT_VCENTER, false);
    }

    if (info.ImageShown || (!toolbarStyle && Item()->Checked())) {
        TRect imageRect = r;
        if (toolbarStyle && layout == sklGlyphLeft) {
            imageRect.Right = imageRect.Left + image.cx + 2;
        } else if (toolbarStyle) {
            imageRect.Top = (r.Top + r.Bottom - image.cy - text.cy - 2) / 2;
            imageRect.Bottom = imageRect.Top + image.cy;
        } else {
            imageRect = TRect{clientRect.Left, clientRect.Top, clientRect.Left + info.PopupMargin, clientRect.Bottom};
        }
        const TBarImageList *images = GetImageList();
        if (info.ImageShown && images && Item()->ImageIndex() < images->Count()) {
            const TRect centred = Bounds((imageRect.Left + imageRect.Right - image.cx) / 2,
                (imageRect.Top + imageRect.Bottom - image.cy) / 2, image.cx, image.cy);
            theme.PaintImage(canvas, centred, info, images, Item()->ImageIndex());
        } else if (!info.ImageShown && Item()->Checked()) {
            TSkinItemInfo check = info;
            if (Item()->RadioItem())
                check.ItemOptions |= IO_RADIO;
            theme.PaintCheckMark(canvas, imageRect, check);
        }
    }
}

bool TSkinItemViewer::DoExecute()
{
    executed_ = true;
    return TBarItemViewer::DoExecute();
}

void TSkinItemViewer::MouseUp(int x, int y, bool closeOnRelease)
{
    executed_ = false;
    TBarItemViewer::MouseUp(x, y, closeOnRelease);
    // One release runs a command once, and ending menu mode stays an ending.
    if (executed_ || View()->IsEndingModal())
        return;
    if (Item()->Enabled() && (IsPtInButtonPart(x, y) || !(Item()->ItemStyle() & HasSubmenu))
        && View()->MouseOverSelected() && View()->Selected() == this)
        Execute(true);
}

bool TSkinItemViewer::IsPtInButtonPart(int x, int) const
{
    const unsigned style = Item()->ItemStyle();
    if (!(style & SubmenuOnArrowOnly))
        return !(style & HasSubmenu);
    const int arrow = UsesToolbarStyle() ? CurrentTheme().GetIntegerMetric(TMI_SPLITBTN_ARROWWIDTH) : MenuCheckWidth();
    return x < BoundsRect().Width() - arrow;
}

void TSkinSeparatorItemViewer::CalcSize(TCanvas &canvas, int &width, int &height)
{
    const auto *item = dynamic_cast<const TSkinSeparatorItem *>(Item());
    const int size = item ? item->Size() : -1;
    const bool toolbarStyle = UsesToolbarStyle();
    if (size >= 0) {
        width = toolbarStyle ? size : 0;
        height = size;
        return;
    }
    const int metric = CurrentTheme().GetIntegerMetric(toolbarStyle ? TMI_TLBR_SEPARATORSIZE : TMI_MENU_SEPARATORSIZE);
    if (metric < 0) {
        TBarSeparatorItemViewer::CalcSize(canvas, width, height);
        return;
    }
    width = height = metric;
}

void TSkinSeparatorItemViewer::Paint(TCanvas &canvas, const TRect &clientRect, bool, bool pushed, bool)
{
    const auto *item = dynamic_cast<const TSkinSeparatorItem *>(Item());
    if (item && item->Size() == 0)
        return;
    TSkinItemInfo info;
    info.ViewType = GetViewKind(View());
    if (UsesToolbarStyle())
        info.ItemOptions |= IO_TOOLBARSTYLE;
    const auto *separator = dynamic_cast<const TBarSeparatorItem *>(Item());
    info.Enabled = !(separator && separator->Blank());
    info.Pushed = pushed;
    info.IsVertical = View()->Orientation() == tbvoVertical;
    const bool chevronPopup = IsViewKind(info.ViewType, VIEWKIND_POPUP | VIEWKIND_CHEVRONPOPUP);
    const bool horizontal = chevronPopup ? LineBreak() : (LineBreak() != info.IsVertical || View()->IsPopup());
    CurrentTheme().PaintSeparator(canvas, clientRect, info, horizontal, LineBreak());
}

// ---------------------------------------------------------------- chevron

std::unique_ptr<TBarItemViewer> TSkinChevronItem::CreateViewer(TBarView *view, int groupDepth)
{
    return std::make_unique<TSkinChevronItemViewer>(view, this, groupDepth);
}

std::unique_ptr<TBarPopupWindow> TSkinChevronItem::CreateChevronPopupWindow(TBarCustomItem *shown,
    TBarView *parentView, bool customizing)
{
    return std::make_unique<TSkinChevronPopupWindow>(nullptr, parentView, shown, customizing);
}

void TSkinChevronItemViewer::Paint(TCanvas &canvas, const TRect &clientRect, bool, bool pushed, bool selected)
{
    TSkinItemInfo info;
    info.ViewType = GetViewKind(View());
    info.ItemOptions = IO_TOOLBARSTYLE | (View()->Customizing() ? IO_DESIGNING : 0u);
    info.Enabled = true;
    info.Pushed = pushed;
    if (selected)
        info.HoverKind = HOVER_MOUSE;
    info.IsVertical = View()->Orientation() == tbvoVertical;
    CurrentTheme().PaintChevron(canvas, clientRect, info);
}

// ---------------------------------------------------------------- toolbars

TPoint SnapToWorkArea(const TRect &bounds, const TRect &workArea, int distance)
{
    int x = bounds.Left, y = bounds.Top;
    const int width = bounds.Width(), height = bounds.Height();
    if (distance <= 0)
        return TPoint{x, y};
    if (std::abs(x + width - workArea.Right) < distance)
        x = workArea.Right - width;
    if (std::abs(y + height - workArea.Bottom) < distance)
        y = workArea.Bottom - height;
    if (std::abs(x - workArea.Left) < distance)
        x = workArea.Left;
    if (std::abs(y - workArea.Top) < distance)
        y = workArea.Top;
    return TPoint{x, y};
}

TColor GetEffectiveColor(TControl *control)
{
    if (!control)
        return clBtnFace;
    TMessage message{BARWM_GETBACKCOLOR, 0, 0, 0};
    DispatchMessage(control, message);
    if (message.Result)
        return static_cast<TColor>(message.WParam);
    return control->Color();
}

TSkinToolbarView::TSkinToolbarView(TSkinToolbar *toolbar, TBarCustomItem *root)
    : TBarToolbarView(toolbar, root, true), toolbar_(toolbar)
{
}

TRect TSkinToolbarView::GetViewMargins(TBarViewOrientation orientation) const
{
    std::uint32_t kind = toolbar_->ViewKind();
    if (orientation == tbvoFloating)
        kind |= VIEWKIND_FLOATING;
    else
        kind &= ~static_cast<std::uint32_t>(VIEWKIND_FLOATING);
    TRect margins;
    CurrentTheme().GetViewMargins(kind, margins);
    return margins;
}

void PaintParentBackground(TControl *parent, TCanvas &canvas, const TRect &rect, TPoint offset)
{
    if (!parent) {
        FillRectEx(canvas, rect, clBtnFace);
        return;
    }
    canvas.SaveDC();
    canvas.IntersectClipRect(rect);
    canvas.SetWindowOrg(canvas.WindowOrg().X + offset.X, canvas.WindowOrg().Y + offset.Y);
    TMessage message{WM_ERASEBKGND, 0, reinterpret_cast<std::intptr_t>(&canvas), 0};
    DispatchMessage(parent, message);
    canvas.RestoreDC(-1);
    if (!message.Result)
        FillRectEx(canvas, rect, GetEffectiveColor(parent));
}

TSkinToolbar::TSkinToolbar(TComponent *owner) : TBarCustomToolbar(owner)
{
    ReplaceViewAndChevron(std::make_unique<TSkinToolbarView>(this, Items()), new TSkinChevronItem(this));
    SkinNexus().AddToolbar(this);
    effectiveColor_ = Color();
    SetColor(clNone);
    SetDblClickUndock(false);
    UpdateEffectiveColor();
}

TSkinToolbar::~TSkinToolbar() { SkinNexus().RemoveToolbar(this); }

void TSkinToolbar::SetItemTransparency(TSkinItemTransparency value)
{
    itemTransparency_ = value;
    Invalidate();
}

void TSkinToolbar::SetSnapDistance(int distance)
{
    snapDistance_ = std::max(distance, 0);
    if (auto *frame = dynamic_cast<TSkinFloatingWindowParent *>(FloatingParent()))
        frame->SetSnapDistance(snapDistance_);
}

void TSkinToolbar::SetColor(TColor color)
{
    TBarCustomToolbar::SetColor(color);
    UpdateEffectiveColor();
    Invalidate();
}

std::uint32_t TSkinToolbar::ViewKind() const
{
    std::uint32_t kind = VIEWKIND_TOOLBAR | (menuBar_ ? VIEWKIND_MENUBAR : VIEWKIND_TOOLBAR_PLAIN);
    if (Floating())
        kind |= VIEWKIND_FLOATING;
    if (Resizable())
        kind |= VIEWKIND_RESIZABLE;
    if (itemTransparency_ == itDisable || (itemTransparency_ == itAuto && !Floating() && !Docked()))
        kind |= VIEWKIND_OPAQUEITEMS;
    return kind;
}

void TSkinToolbar::UpdateEffectiveColor()
{
    if (Color() != clNone)
        effectiveColor_ = Color();
    else if (!Docked() && !Floating() && Parent())
        effectiveColor_ = GetEffectiveColor(Parent());
    else
        effectiveColor_ = CurrentTheme().GetViewColor(ViewKind());
}

TPoint TSkinToolbar::GetFloatingBorderSize() const
{
    TPoint border;
    CurrentTheme().GetViewBorder(ViewKind() | VIEWKIND_FLOATING, border);
    return border;
}

std::unique_ptr<TBarFloatingWindowParent> TSkinToolbar::CreateFloatingParent(TWinControl *form)
{
    auto frame = std::make_unique<TSkinFloatingWindowParent>(this, form);
    frame->SetSnapDistance(snapDistance_);
    return frame;
}

TSkinToolbarFrameInfo TSkinToolbar::GetFrameInfo() const
{
    TSkinToolbarFrameInfo info;
    info.Window = const_cast<TSkinToolbar *>(this);
    info.ViewType = ViewKind();
    info.IsVertical = CurrentDock() && CurrentDock()->Vertical();
    info.AllowDrag = CurrentDock() && CurrentDock()->AllowsDrag();
    info.DragHandleStyle = DragHandleStyle();
    info.ClientWidth = ClientWidth();
    info.ClientHeight = ClientHeight();
    if (DockedCloseButtonShown())
        info.CloseButtonState = CDBS_VISIBLE | (DockedCloseButtonHot() ? CDBS_HOT : 0u)
            | (DockedCloseButtonPushed() ? CDBS_PUSHED : 0u);
    info.BorderStyle = BorderStyle() == bsSingle ? 1 : 0;
    TPoint border;
    CurrentTheme().GetViewBorder(info.ViewType, border);
    info.BorderSizeX = border.X;
    info.BorderSizeY = border.Y;
    info.EffectiveColor = effectiveColor_;
    return info;
}

TRect TSkinToolbar::GetDockedCloseButtonRect() const { return ::GetDockedCloseButtonRect(GetFrameInfo()); }

void TSkinToolbar::DrawNCArea(TCanvas &canvas)
{
    TSkinTheme &theme = CurrentTheme();
    canvas.Brush().SetBitmap(nullptr);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(ColorToRGB(effectiveColor_));
    if (!Docked()) {
        canvas.FillRect(TRect{0, 0, Width(), Height()});
        return;
    }
    theme.PaintToolbarNCArea(canvas, TRect{0, 0, Width(), Height()}, GetFrameInfo());
}

void TSkinToolbar::EraseBackground(TCanvas &canvas)
{
    const TRect client{0, 0, ClientWidth(), ClientHeight()};
    bool transparent = false;
    if (Color() == clNone && !Docked() && !Floating() && Parent()) {
        PaintParentBackground(Parent(), canvas, client, TPoint{Left(), Top()});
        transparent = true;
    }
    const TRect reference = Docked() ? BoundsRect() : TRect{};
    CurrentTheme().PaintBackground(canvas, reference, client, client, effectiveColor_, transparent, ViewKind());
}

void TSkinToolbar::PaintClient(TCanvas &canvas)
{
    EraseBackground(canvas);
    TBarCustomToolbar::PaintClient(canvas);
}

void TSkinToolbar::MouseMove(TShiftState shift, int x, int y)
{
    if (auto *frame = dynamic_cast<TSkinFloatingWindowParent *>(FloatingParent()); frame && Floating())
        frame->SetCloseButtonHot(false);
    TBarCustomToolbar::MouseMove(shift, x, y);
}

void TSkinToolbar::WndProc(TMessage &message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND:
        if (auto *canvas = reinterpret_cast<TCanvas *>(message.LParam)) {
            EraseBackground(*canvas);
            message.Result = 1;
        }
        return;
    case BARWM_GETVIEWKIND:
        message.Result = static_cast<std::intptr_t>(ViewKind());
        return;
    case BARWM_GETBACKCOLOR:
        message.WParam = effectiveColor_;
        message.Result = 1;
        return;
    case BARWM_THEMECHANGE:
        if (message.WParam == THEMECHANGE_BEGIN) {
            BeginUpdate();
        } else if (message.WParam == THEMECHANGE_END) {
            EndUpdate();
            UpdateEffectiveColor();
            if (FloatingParent())
                FloatingParent()->Invalidate();
            Invalidate();
            Arrange();
        } else if ((message.WParam == THEMECHANGE_APPACTIVATED || message.WParam == THEMECHANGE_APPDEACTIVATED)
            && menuBar_) {
            Invalidate();
        }
        return;
    default:
        TBarCustomToolbar::WndProc(message);
    }
}

TSkinFloatingWindowParent::TSkinFloatingWindowParent(TSkinToolbar *toolbar, TWinControl *ownerForm)
    : TBarFloatingWindowParent(toolbar, ownerForm), toolbar_(toolbar)
{
}

void TSkinFloatingWindowParent::SetCloseButtonHot(bool hot)
{
    if (closeHot_ == hot)
        return;
    closeHot_ = hot;
    if (Visible())
        Invalidate();
}

TSkinFloatingWindowInfo TSkinFloatingWindowParent::GetFloatingInfo(std::uint32_t parts) const
{
    TSkinFloatingWindowInfo info;
    info.FloatingWindow = const_cast<TSkinFloatingWindowParent *>(this);
    info.DockableWindow = toolbar_;
    info.ViewType = toolbar_->ViewKind();
    info.ClientWidth = Width() - 2 * BorderSize();
    info.ClientHeight = Height() - 2 * BorderSize() - CaptionHeight();
    info.ShowCaption = toolbar_->ShowCaption();
    const TPoint border = toolbar_->GetFloatingBorderSize();
    info.FloatingBorderX = border.X;
    info.FloatingBorderY = border.Y;
    if (toolbar_->CloseButton() && toolbar_->ShowCaption())
        info.CloseButtonState = CDBS_VISIBLE | (CloseButtonPressed ? CDBS_PUSHED : closeHot_ ? CDBS_HOT : 0u);
    info.RedrawPart = parts;
    info.Caption = toolbar_->Caption();
    info.EffectiveColor = toolbar_->EffectiveColor();
    info.Active = !toolbar_->CaptionInactive();
    return info;
}

void TSkinFloatingWindowParent::MouseMove(TShiftState shift, int x, int y)
{
    TBarFloatingWindowParent::MouseMove(shift, x, y);
    const TRect close = CloseButtonRect();
    SetCloseButtonHot(x >= close.Left && x < close.Right && y >= close.Top && y < close.Bottom);
}

void TSkinFloatingWindowParent::WndProc(TMessage &message)
{
    switch (message.Msg) {
    case CM_MOUSELEAVE:
        SetCloseButtonHot(false);
        break;
    case WM_ERASEBKGND:
        // The whole frame is painted by the theme.
        message.Result = 1;
        return;
    default:
        break;
    }
    TBarFloatingWindowParent::WndProc(message);
}

void TSkinFloatingWindowParent::PaintWindow(TCanvas &canvas)
{
    canvas.Brush().SetBitmap(nullptr);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(ColorToRGB(toolbar_->EffectiveColor()));
    CurrentTheme().PaintFloatingBorder(canvas, TRect{0, 0, Width(), Height()},
        GetFloatingInfo(SFWP_FRAME | SFWP_CAPTION | SFWP_CLOSEBUTTON));
}

void TSkinFloatingWindowParent::SetBounds(int left, int top, int width, int height)
{
    if (snapDistance_ > 0 && width == Width() && height == Height()) {
        const TRect bounds = Bounds(left, top, width, height);
        const TPoint p = SnapToWorkArea(bounds, MonitorRectOfRect(bounds, true), snapDistance_);
        left = p.X;
        top = p.Y;
    }
    TBarFloatingWindowParent::SetBounds(left, top, width, height);
}

// ---------------------------------------------------------------- popups

std::unique_ptr<TBarPopupWindow> TSkinCustomItem::CreatePopupWindow(TBarView *parentView, bool customizing)
{
    return std::make_unique<TSkinPopupWindow>(nullptr, parentView, this, customizing);
}

TPoint TSkinPopupWindow::GetNCSize() const
{
    TPoint border;
    CurrentTheme().GetViewBorder(ViewKind(), border);
    return border;
}

TSkinPopupWindow::~TSkinPopupWindow() { DestroyShadows(); }

void TSkinPopupWindow::WndProc(TMessage &message)
{
    switch (message.Msg) {
    case BARWM_GETVIEWKIND:
        message.Result = static_cast<std::intptr_t>(ViewKind());
        return;
    case BARWM_POPUPSHOW:
        // 3: shown without animation (not sent while one runs: its end sends 2).
        if ((message.WParam == 2 || (message.WParam == 3 && !PopupAnimationRunning())) && Visible()
            && CanHaveShadow() && !shadows_) {
            const int type = CurrentTheme().GetPopupShadowType();
            if (type == 2 || type == 3)
                CreateShadows();
        }
        break;
    default:
        break;
    }
    TBarPopupWindow::WndProc(message);
}

bool TSkinPopupWindow::CanHaveShadow() const
{
    return !IsViewKind(ViewKind(), VIEWKIND_POPUP | VIEWKIND_SINGLELIST);
}

TRect TSkinPopupWindow::ExcludedRect()
{
    TBarView *parentView = View()->ParentView();
    TBarItemViewer *parentViewer = parentView && parentView->OpenPopup() == this ? parentView->OpenViewer() : nullptr;
    const bool chevron = IsViewKind(ViewKind(), VIEWKIND_POPUP | VIEWKIND_CHEVRONPOPUP);
    if (parentViewer && (dynamic_cast<TSkinItemViewer *>(parentViewer) || chevron)
        && !IsViewKind(GetViewKind(parentView), VIEWKIND_POPUP | VIEWKIND_POPUPMENU)) {
        const TRect &b = parentViewer->BoundsRect();
        const TPoint tl = parentView->ClientToScreen(b.TopLeft());
        savedParentRect_ = Bounds(tl.X, tl.Y, b.Width(), b.Height());
        return savedParentRect_;
    }
    return savedParentRect_;
}

void TSkinPopupWindow::CreateShadows()
{
    const int type = CurrentTheme().GetPopupShadowType();
    const TRect excluded = type == 2 ? ExcludedRect() : TRect{};
    shadows_ = std::make_unique<TShadows>(excluded, SkinSystemState().LowColor, 61, 4, BoundsRect());
    shadows_->SetZOrder(*this);
}

void TSkinPopupWindow::DestroyShadows() { shadows_.reset(); }

void TSkinPopupWindow::BoundsChanged()
{
    TBarPopupWindow::BoundsChanged();
    // Moved or resized: the strips follow.
    if (shadows_) {
        DestroyShadows();
        CreateShadows();
    }
}

void TSkinPopupWindow::VisibleChanged()
{
    TBarPopupWindow::VisibleChanged();
    if (Visible())
        PostMessage(this, BARWM_POPUPSHOW, 3, 0);
    else
        DestroyShadows();
}

void TSkinPopupWindow::PaintWindow(TCanvas &canvas)
{
    TSkinTheme &theme = CurrentTheme();
    canvas.SaveDC();
    // While sliding in, the whole picture stands moved.
    const TPoint slide = PopupAnimationOffset(this);
    canvas.SetWindowOrg(canvas.WindowOrg().X - slide.X, canvas.WindowOrg().Y - slide.Y);
    const TRect whole{0, 0, Width(), Height()};
    const TPoint nc = GetNCSize();
    const TRect client{nc.X, nc.Y, Width() - nc.X, Height() - nc.Y};
    const TColor color = theme.GetViewColor(ViewKind());
    theme.PaintBackground(canvas, client, client, client, color, false, ViewKind());
    TSkinPopupInfo info;
    info.Window = this;
    info.ViewType = ViewKind();
    info.BorderSizeX = nc.X;
    info.BorderSizeY = nc.Y;
    theme.PaintPopupNCArea(canvas, whole, info);
    canvas.SaveDC();
    canvas.IntersectClipRect(client);
    canvas.SetWindowOrg(canvas.WindowOrg().X - nc.X, canvas.WindowOrg().Y - nc.Y);
    View()->DrawAll(canvas);
    PaintScrollArrows(canvas);
    canvas.RestoreDC(-1);
    canvas.RestoreDC(-1);
}
