#include "toolbar/SkinDefaultTheme.h"

#include "platform/core/Services.h"
#include "toolbar/BarItem.h"
#include "toolbar/SkinUtils.h"

#include <algorithm>

namespace {

enum : int { SM_CXFIXEDFRAME = 7, SM_CYFIXEDFRAME = 8, SM_CXSIZEFRAME = 32, SM_CYSIZEFRAME = 33, SM_CXMENUCHECK = 71 };
enum : int { TP_BUTTON = 1, TP_DROPDOWNBUTTON = 2, TP_SPLITBUTTON = 3, TP_SPLITBUTTONDROPDOWN = 4,
    TP_SEPARATOR = 5, TP_SEPARATORVERT = 6 };
enum : int { TMT_FILLCOLOR = 3802, TMT_TEXTCOLOR = 3803, TMT_CONTENTMARGINS = 3603 };

const std::uint16_t ChevronHorzPattern[8] = {0xCC, 0x66, 0x33, 0x66, 0xCC, 0, 0, 0};
const std::uint16_t ChevronVertPattern[8] = {0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20};
const std::uint16_t CloseCrossPattern[8] = {0x00, 0xCC, 0x78, 0x30, 0x78, 0xCC, 0x00, 0};

bool VisualStyles() { return SkinSystemState().VisualStyles; }
bool FlatMenus() { return SkinSystemState().FlatMenus; }

bool IsHot(const TSkinItemInfo &item)
{
    return (item.Enabled && item.HoverKind != HOVER_NONE) || (!item.Enabled && item.HoverKind == HOVER_KEYBOARD);
}

bool IsToolbarStyle(const TSkinItemInfo &item) { return item.ItemOptions & IO_TOOLBARSTYLE; }
bool IsMenuBar(std::uint32_t viewType) { return IsViewKind(viewType, VIEWKIND_TOOLBAR | VIEWKIND_MENUBAR); }
bool IsPopupMenu(std::uint32_t viewType) { return IsViewKind(viewType, VIEWKIND_POPUP | VIEWKIND_POPUPMENU); }
bool AppActive(const TSkinItemInfo &item) { return item.ItemOptions & IO_APPACTIVE; }

void DrawPart(int handleIndex, TCanvas &canvas, int part, int state, const TRect &rect)
{
    const TUxThemeFunctions &ux = UxTheme();
    if (ux.DrawThemeBackground)
        ux.DrawThemeBackground(SkinSystemState().Handles[static_cast<std::size_t>(handleIndex)], canvas, part, state,
            rect, nullptr);
}

void Edge(TCanvas &canvas, TRect rect, unsigned edge, unsigned flags) { canvas.DrawEdge(rect, edge, flags); }

// A glyph drawn twice when disabled: embossed highlight at (1, 1), then shadow.
template <typename Draw> void DrawMaybeEmbossed(bool enabled, TColor enabledColor, Draw draw)
{
    if (enabled) {
        draw(0, 0, enabledColor);
    } else {
        draw(1, 1, clBtnHighlight);
        draw(0, 0, clBtnShadow);
    }
}

void DrawCloseGlyph(TCanvas &canvas, TRect rect, bool pushed)
{
    if (pushed)
        OffsetRect(rect, 1, 1);
    DrawMonoPatternCentered(canvas, rect, 7, clBtnText, CloseCrossPattern, 7);
}

} // namespace

TSkinDefaultTheme::TSkinDefaultTheme(const std::string &name) : TSkinTheme(name)
{
    AddThemeNotification(this);
    SetupColors();
}

TSkinDefaultTheme::~TSkinDefaultTheme() { RemoveThemeNotification(this); }

void TSkinDefaultTheme::WndProc(TMessage &message)
{
    if (message.Msg == BARWM_SYSTEMTHEMECHANGE && message.WParam == THEMECHANGE_APPLY)
        SetupColors();
}

void TSkinDefaultTheme::SetupColors()
{
    ++setupCount_;
    toolbarColor_ = clBtnFace;
    toolbarTextColor_ = clBtnText;
    statusBarColor_ = clBtnFace;
    if (VisualStyles()) {
        const TUxThemeFunctions &ux = UxTheme();
        const auto &handles = SkinSystemState().Handles;
        if (ux.GetThemeColor) {
            TColor c = toolbarColor_;
            if (ux.GetThemeColor(handles[UXC_TOOLBAR], 0, 0, TMT_FILLCOLOR, c) == 0)
                toolbarColor_ = c;
            c = toolbarTextColor_;
            if (ux.GetThemeColor(handles[UXC_TOOLBAR], 0, 0, TMT_TEXTCOLOR, c) == 0)
                toolbarTextColor_ = c;
            c = statusBarColor_;
            if (ux.GetThemeColor(handles[UXC_STATUS], 0, 0, TMT_FILLCOLOR, c) == 0)
                statusBarColor_ = c;
        }
    }
    dockPanelColor_ = MixColorsNearest(toolbarColor_, clWindow, 64);
}

// ---------------------------------------------------------------- colours and metrics

TColor TSkinDefaultTheme::GetViewColor(std::uint32_t viewType)
{
    if (viewType & VIEWKIND_TOOLBAR)
        return toolbarColor_;
    if (viewType & VIEWKIND_POPUP) {
        if (IsViewKind(viewType, VIEWKIND_POPUP | VIEWKIND_POPUPMENU))
            return SkinSystemState().MenuColor;
        if (IsViewKind(viewType, VIEWKIND_POPUP | VIEWKIND_SINGLELIST))
            return clWindow;
        if (IsViewKind(viewType, VIEWKIND_POPUP | VIEWKIND_CHEVRONPOPUP))
            return SkinSystemState().MenuColor;
        return toolbarColor_;
    }
    if (viewType & VIEWKIND_DOCKPANEL)
        return dockPanelColor_;
    if (viewType & VIEWKIND_STATUSBAR)
        return statusBarColor_;
    return clBtnFace;
}

TColor TSkinDefaultTheme::GetItemColor(const TSkinItemInfo &item)
{
    if (!IsToolbarStyle(item) && IsPopupMenu(item.ViewType) && item.HoverKind != HOVER_NONE && !VisualStyles())
        return clHighlight;
    return GetViewColor(item.ViewType);
}

TColor TSkinDefaultTheme::GetItemTextColor(const TSkinItemInfo &item)
{
    if (!item.Enabled)
        return clGrayText;
    const bool menuBar = IsMenuBar(item.ViewType);
    if (!IsToolbarStyle(item) || (menuBar && FlatMenus())) {
        if (item.HoverKind != HOVER_NONE)
            return clHighlightText;
        if (menuBar && !AppActive(item))
            return clGrayText;
        return SkinSystemState().MenuTextColor;
    }
    if (menuBar && !AppActive(item))
        return clGrayText;
    return clBtnText;
}

TColor TSkinDefaultTheme::GetFlatMenuItemColor(const TSkinItemInfo &item)
{
    if (FlatMenus()) {
        if (IsMenuBar(item.ViewType) && item.HoverKind != HOVER_NONE)
            return clHighlight;
        if (IsViewKind(item.ViewType, VIEWKIND_POPUP | VIEWKIND_CHEVRONPOPUP)
            || (!IsToolbarStyle(item) && IsPopupMenu(item.ViewType) && item.HoverKind != HOVER_NONE))
            return toolbarColor_;
    }
    return GetViewColor(item.ViewType);
}

void TSkinDefaultTheme::GetMargins(int marginId, TSkinMargins &margins)
{
    margins = TSkinMargins{};
    const TUxThemeFunctions &ux = UxTheme();
    switch (marginId) {
    case MID_TOOLBARITEM: {
        margins = TSkinMargins{2, 2, 2, 2};
        TRect m;
        if (VisualStyles() && ux.GetThemeMargins
            && ux.GetThemeMargins(SkinSystemState().Handles[UXC_TOOLBAR], TP_BUTTON, 2, TMT_CONTENTMARGINS, m) == 0)
            margins = TSkinMargins{m.Left, m.Right, m.Top, m.Bottom};
        break;
    }
    case MID_MENUITEM:
        margins = TSkinMargins{0, 0, 2, 2};
        break;
    case MID_STATUSPANE: {
        margins = TSkinMargins{1, 3, 1, 1};
        TRect content;
        if (VisualStyles() && ux.GetThemeBackgroundContentRect) {
            TBitmap scratch(1, 1);
            if (ux.GetThemeBackgroundContentRect(SkinSystemState().Handles[UXC_STATUS], scratch.Canvas(), 1, 0,
                    TRect{0, 0, 100, 100}, content) == 0)
                margins = TSkinMargins{content.Left, 100 - content.Right, content.Top, 100 - content.Bottom};
        }
        break;
    }
    default:
        break;
    }
}

void TSkinDefaultTheme::GetViewBorder(std::uint32_t viewType, TPoint &border)
{
    border = TPoint{0, 0};
    if (viewType & (VIEWKIND_TOOLBAR | VIEWKIND_DOCKPANEL)) {
        if (viewType & VIEWKIND_FLOATING) {
            const bool resizable = viewType & VIEWKIND_RESIZABLE;
            border.X = Services().SystemMetric(resizable ? SM_CXSIZEFRAME : SM_CXFIXEDFRAME);
            border.Y = Services().SystemMetric(resizable ? SM_CYSIZEFRAME : SM_CYFIXEDFRAME);
        } else {
            border = TPoint{2, 2};
        }
    } else if (viewType & VIEWKIND_POPUP) {
        border = IsViewKind(viewType, VIEWKIND_POPUP | VIEWKIND_SINGLELIST) ? TPoint{1, 1} : TPoint{3, 3};
    }
}

void TSkinDefaultTheme::GetViewMargins(std::uint32_t viewType, TRect &margins)
{
    margins = TRect{};
    if ((viewType & VIEWKIND_TOOLBAR) && (viewType & VIEWKIND_FLOATING))
        margins = TRect{4, 2, 4, 1};
}

int TSkinDefaultTheme::GetIntegerMetric(int index)
{
    switch (index) {
    case TMI_SPLITBTN_ARROWWIDTH: {
        const TUxThemeFunctions &ux = UxTheme();
        TSize size;
        if (VisualStyles() && ux.GetThemePartSize
            && ux.GetThemePartSize(SkinSystemState().Handles[UXC_TOOLBAR], TP_SPLITBUTTONDROPDOWN, 1, size) == 0)
            return size.cx + 2;
        return 11;
    }
    case TMI_DROPDOWN_ARROWWIDTH: return 8;
    case TMI_DROPDOWN_ARROWMARGIN: return 3;
    case TMI_MENU_IMGTEXTSPACE: return 1;
    case TMI_MENU_LCAPTIONMARGIN: return 2;
    case TMI_MENU_RCAPTIONMARGIN: return 2;
    case 36: return 2;
    case 37: return 4;
    case TMI_TLBR_SEPARATORSIZE: return 6;
    case TMI_EDIT_FRAMEWIDTH: return 2;
    case 61: return 2;
    case 62: return 1;
    case 65: return 13;
    case 66: return 0;
    default: return -1;
    }
}

bool TSkinDefaultTheme::GetBooleanMetric(int index) { return index == TMB_VISUALSTYLES && VisualStyles(); }

TPoint TSkinDefaultTheme::GetImageOffset(TCanvas &, const TSkinItemInfo &item, const TBarImageList *)
{
    return (item.Pushed || item.Selected) ? TPoint{1, 1} : TPoint{0, 0};
}

// ---------------------------------------------------------------- painting

void TSkinDefaultTheme::PaintBackground(TCanvas &canvas, const TRect &, const TRect &paintRect, const TRect &clipRect,
    TColor color, bool transparent, std::uint32_t)
{
    TRect r;
    if (!transparent && IntersectRect(r, paintRect, clipRect))
        FillRectEx(canvas, r, color);
}

void TSkinDefaultTheme::PaintButton(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item)
{
    const bool menuBar = IsMenuBar(item.ViewType);
    const bool hot = IsHot(item);
    if (VisualStyles() && !menuBar) {
        static constexpr int parts[] = {TP_BUTTON, TP_DROPDOWNBUTTON, TP_SPLITBUTTON, TP_SPLITBUTTONDROPDOWN};
        const int part = parts[std::min<int>(item.ComboPart, 3)];
        int state;
        if (item.Enabled)
            state = item.Pushed ? 3 : item.Selected ? (item.HoverKind ? 6 : 5) : (item.HoverKind ? 2 : 1);
        else
            state = item.HoverKind == HOVER_KEYBOARD ? 2 : 4;
        if ((item.ViewType & VIEWKIND_OPAQUEITEMS) || (item.ItemOptions & IO_DESIGNING)) {
            TRect region = rect;
            if (item.ComboPart == 3)
                --region.Left;
            if (item.ViewType & VIEWKIND_OPAQUEITEMS)
                FillRectEx(canvas, region, toolbarColor_);
            FrameRectEx(canvas, region, clBtnShadow, false);
        }
        DrawPart(UXC_TOOLBAR, canvas, part, state, rect);
        return;
    }
    if (menuBar && FlatMenus()) {
        if (((item.Pushed || item.Selected) && item.Enabled) || hot)
            FillRectEx(canvas, rect, clHighlight);
        return;
    }
    TRect r = rect;
    if (item.ComboPart == 3)
        r.Right -= 2;
    if (FlatMenus() && (((item.Pushed || item.Selected) && item.Enabled) || hot))
        FillRectEx(canvas, r, toolbarColor_);
    const bool checkedIdle = item.Selected && item.Enabled && item.HoverKind == HOVER_NONE;
    if (item.ViewType & VIEWKIND_OPAQUEITEMS) {
        TRect e = r;
        if (item.ComboPart == 2 && !hot && !item.Pushed)
            ++e.Right;
        unsigned flags = BF_RECT | BF_MIDDLE | BF_ADJUST;
        if (!(hot && item.Enabled && !item.Pushed && !item.Selected))
            flags |= BF_FLAT;
        canvas.Brush().SetColor(ColorToRGB(toolbarColor_));
        canvas.DrawEdge(e, EDGE_RAISED, flags);
        if (checkedIdle)
            DitherFillRect(canvas, e, toolbarColor_, clBtnHighlight);
    } else if ((item.Pushed || item.Selected) && item.Enabled) {
        TRect e = r;
        canvas.DrawEdge(e, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        if (checkedIdle && !item.Pushed)
            DitherFillRect(canvas, e, toolbarColor_, clBtnHighlight);
    } else if (hot || (item.ItemOptions & IO_DESIGNING)) {
        Edge(canvas, r, BDR_RAISEDINNER, BF_RECT);
    }
    if (item.ComboPart == 3)
        PaintDropDownArrow(canvas, r, item);
}

void TSkinDefaultTheme::PaintCaption(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item,
    const std::string &caption, unsigned format, bool)
{
    TColor color = canvas.Font().Color();
    if (color == clNone)
        color = GetItemTextColor(item);
    canvas.Brush().SetStyle(bsClear);
    TRect r = rect;
    const bool menuDisabledSelected = !IsToolbarStyle(item) && !item.Enabled && item.HoverKind == HOVER_KEYBOARD;
    if (!menuDisabledSelected) {
        if (item.Enabled && IsToolbarStyle(item) && (item.Pushed || item.Selected)
            && !(IsMenuBar(item.ViewType) && FlatMenus()))
            OffsetRect(r, 1, 1);
        if (!item.Enabled && !VisualStyles()) {
            TRect shifted = r;
            OffsetRect(shifted, 1, 1);
            canvas.Font().SetColor(clBtnHighlight);
            canvas.DrawText(caption, shifted, format);
            color = clBtnShadow;
        }
    }
    canvas.Font().SetColor(color);
    canvas.DrawText(caption, r, format);
    canvas.Brush().SetStyle(bsSolid);
}

void TSkinDefaultTheme::PaintCheckMark(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item)
{
    const int cx = (rect.Left + rect.Right) / 2, cy = (rect.Top + rect.Bottom) / 2;
    const TColor color = item.Enabled ? clBtnText : clGrayText;
    if (item.ItemOptions & IO_RADIO) {
        RoundRectEx(canvas, cx - 3, cy - 3, cx + 3, cy + 3, 2, 2, MixColors(color, clBtnHighlight, 128), clNone);
        RoundRectEx(canvas, cx - 3, cy - 3, cx + 3, cy + 3, 6, 6, color, color);
        if (item.Enabled)
            RoundRectEx(canvas, cx - 4, cy - 4, cx + 4, cy + 4, 6, 6, clBtnHighlight, clNone);
        return;
    }
    const TPoint check[] = {{cx - 3, cy - 1}, {cx - 1, cy + 1}, {cx + 3, cy - 3}, {cx + 3, cy - 2},
        {cx - 1, cy + 2}, {cx - 3, cy}, {cx - 3, cy - 1}};
    PolylineEx(canvas, check, 6, color);
    if (item.Enabled) {
        const TPoint light[] = {{cx - 4, cy - 1}, {cx - 4, cy}, {cx - 1, cy + 3}, {cx + 4, cy - 2}, {cx + 4, cy - 4}};
        PolylineEx(canvas, light, 4, clBtnHighlight);
    }
}

void TSkinDefaultTheme::PaintChevron(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item)
{
    PaintButton(canvas, rect, item);
    TRect strip = item.IsVertical ? TRect{rect.Right - 9, rect.Top, rect.Right - 4, rect.Bottom}
                                  : TRect{rect.Left, rect.Top + 4, rect.Right, rect.Top + 9};
    if (item.Pushed)
        OffsetRect(strip, 1, 1);
    DrawMaybeEmbossed(item.Enabled, clBtnText, [&](int dx, int dy, TColor c) {
        TRect r = strip;
        OffsetRect(r, dx, dy);
        if (item.IsVertical)
            DrawMonoPatternCentered(canvas, r, 5, c, ChevronVertPattern, 8);
        else
            DrawMonoPatternCentered(canvas, r, 8, c, ChevronHorzPattern, 5);
    });
}

void TSkinDefaultTheme::PaintDropDownArrow(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item)
{
    int x = (rect.Left + rect.Right) / 2, y = (rect.Top + rect.Bottom) / 2 - 1;
    if ((item.Pushed || item.Selected) && item.ComboPart != 3) {
        ++x;
        ++y;
    }
    const TColor enabledColor = IsToolbarStyle(item) ? SkinSystemState().MenuTextColor : clBtnText;
    DrawMaybeEmbossed(item.Enabled, enabledColor, [&](int dx, int dy, TColor c) {
        const int px = x + dx, py = y + dy;
        if (item.IsVertical) {
            const TPoint p[] = {{px, py + 2}, {px, py - 2}, {px - 2, py}};
            PolygonEx(canvas, p, 2, c, c);
        } else {
            const TPoint p[] = {{px - 2, py}, {px + 2, py}, {px, py + 2}};
            PolygonEx(canvas, p, 2, c, c);
        }
    });
}

void TSkinDefaultTheme::PaintMenuItemFrame(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item)
{
    if (IsHot(item))
        FillRectEx(canvas, rect, clHighlight);
}

void TSkinDefaultTheme::PaintMenuItem(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item)
{
    const int w = Services().SystemMetric(SM_CXMENUCHECK) > 0 ? Services().SystemMetric(SM_CXMENUCHECK) : 13;
    const bool hasImageArea = item.ImageWidth > 0 || item.Selected;
    const bool split = item.ComboPart != 0 || (item.ItemOptions & IO_COMBO);
    const bool hot = IsHot(item);
    TRect highlight = rect;
    if (hasImageArea)
        highlight.Left += GetIntegerMetric(TMI_MENU_IMGTEXTSPACE) + item.PopupMargin;
    if (split && item.Enabled)
        highlight.Right -= w;
    PaintMenuItemFrame(canvas, highlight, item);
    if (split) {
        TRect arrow{rect.Right - w, rect.Top, rect.Right, rect.Bottom};
        if (item.Enabled && item.HoverKind != HOVER_NONE) {
            Edge(canvas, arrow, BDR_SUNKENOUTER, BF_RECT);
        } else {
            --arrow.Left;
            Edge(canvas, arrow, hot ? BDR_SUNKENOUTER : EDGE_ETCHED, BF_LEFT);
        }
    }
    if (item.ItemOptions & IO_SUBMENUITEM) {
        const int cy = rect.Bottom / 2, x = rect.Right - w * 2 / 3 - 2;
        auto triangle = [&](int dx, int dy, TColor c) {
            const TPoint p[] = {{x + dx, cy - 3 + dy}, {x + dx, cy + 3 + dy}, {x + 3 + dx, cy + dy}};
            PolygonEx(canvas, p, 2, c, c);
        };
        if (item.Enabled) {
            triangle(0, 0, hot && !split ? clHighlightText : SkinSystemState().MenuTextColor);
        } else {
            if (item.HoverKind != HOVER_KEYBOARD)
                triangle(1, 1, clBtnHighlight);
            triangle(0, 0, clBtnShadow);
        }
    }
    if (item.Enabled && hasImageArea && (item.HoverKind != HOVER_NONE || item.Selected)) {
        const TRect column{rect.Left, rect.Top, rect.Left + item.PopupMargin, rect.Bottom};
        if (FlatMenus())
            FillRectEx(canvas, column, toolbarColor_);
        PaintButton(canvas, column, item);
    }
}

void TSkinDefaultTheme::PaintImage(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item,
    const TBarImageList *images, int imageIndex)
{
    if (!images)
        return;
    TRect r = rect;
    if (item.Pushed || item.Selected)
        OffsetRect(r, 1, 1);
    const bool toolbarStyle = IsToolbarStyle(item);
    if ((!toolbarStyle && IsPopupMenu(item.ViewType) && !FlatMenus()) || (toolbarStyle && !VisualStyles())) {
        images->Draw(canvas, r.Left, r.Top, imageIndex, item.Enabled);
        return;
    }
    const bool dark = toolbarStyle && IsDarkColor(GetFlatMenuItemColor(item), 100);
    const TSkinSystemState &state = SkinSystemState();
    bool drawn;
    if (!item.Enabled)
        drawn = DrawGlyphShaded(canvas, *images, imageIndex, r.Left, r.Top, 0);
    else if (!item.Selected && !item.Pushed && item.HoverKind == HOVER_NONE && !dark && !state.HighContrast
        && !state.LowColor)
        drawn = DrawGlyphBlended(canvas, *images, imageIndex, r.Left, r.Top, 178, clWindow);
    else
        drawn = DrawGlyphHighContrast(canvas, *images, imageIndex, r.Left, r.Top, dark);
    // A canvas that cannot be read back (a recorded page) gets the list's own drawing.
    if (!drawn)
        images->Draw(canvas, r.Left, r.Top, imageIndex, item.Enabled);
}

void TSkinDefaultTheme::PaintSeparator(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item, bool horizontal,
    bool lineSeparator)
{
    if (!item.Enabled)
        return;
    if (VisualStyles() && !IsPopupMenu(item.ViewType)) {
        DrawPart(UXC_TOOLBAR, canvas, horizontal ? TP_SEPARATORVERT : TP_SEPARATOR, 1, rect);
        return;
    }
    int inset = 0;
    if (!IsToolbarStyle(item))
        inset = 12;
    else if (lineSeparator)
        inset = (item.ViewType & VIEWKIND_FLOATING) ? 1 : 4;
    if (horizontal) {
        const int y = (rect.Top + rect.Bottom) / 2 - 1;
        Edge(canvas, TRect{rect.Left + inset, y, rect.Right - inset, y + 2}, EDGE_ETCHED, BF_TOP);
    } else {
        const int x = (rect.Left + rect.Right) / 2 - 1;
        const int vInset = IsToolbarStyle(item) ? inset : 0;
        Edge(canvas, TRect{x, rect.Top + vInset, x + 2, rect.Bottom - vInset}, EDGE_ETCHED, BF_LEFT);
    }
}

void TSkinDefaultTheme::PaintPopupNCArea(TCanvas &canvas, const TRect &rect, const TSkinPopupInfo &info)
{
    TRect r{0, 0, rect.Width(), rect.Height()};
    TColor last;
    if (IsViewKind(info.ViewType, VIEWKIND_POPUP | VIEWKIND_SINGLELIST)) {
        FrameRectEx(canvas, r, clWindowFrame, true);
        FrameRectEx(canvas, r, clWindow, true);
        last = clWindow;
    } else if (IsViewKind(info.ViewType, VIEWKIND_POPUP | VIEWKIND_TOOLBOXPOPUP) || !FlatMenus()) {
        canvas.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        last = IsViewKind(info.ViewType, VIEWKIND_POPUP | VIEWKIND_TOOLBOXPOPUP) ? toolbarColor_
                                                                                  : SkinSystemState().MenuColor;
    } else {
        FrameRectEx(canvas, r, clBtnShadow, true);
        FrameRectEx(canvas, r, SkinSystemState().MenuColor, true);
        last = SkinSystemState().MenuColor;
    }
    FrameRectEx(canvas, r, last, true);
}

void TSkinDefaultTheme::PaintToolbarNCArea(TCanvas &canvas, const TRect &rect, const TSkinToolbarFrameInfo &info)
{
    TRect r = rect;
    if (canvas.Brush().Style() != bsClear)
        canvas.FillRect(r);
    if (info.BorderStyle == 1) {
        if (VisualStyles())
            Frame3DEx(canvas, r, ShiftColor(info.EffectiveColor, 24), true, ShiftColor(info.EffectiveColor, -32));
        else
            canvas.DrawEdge(r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    }
    if (!info.AllowDrag)
        return;
    const int handle = GetDragHandleSize(info);
    const bool closeShown = info.CloseButtonState & CDBS_VISIBLE;
    const TRect inner{info.BorderSizeX, info.BorderSizeY, info.BorderSizeX + info.ClientWidth + (info.IsVertical ? 0 : handle),
        info.BorderSizeY + info.ClientHeight + (info.IsVertical ? handle : 0)};
    if (info.DragHandleStyle != 1) {
        const int offset = closeShown ? (info.DragHandleStyle == 0 ? 3 : 5) : 2;
        const int bars = info.DragHandleStyle == 0 ? 2 : 1;
        for (int i = 0; i < bars; ++i) {
            const int at = offset + 3 * i;
            TRect bar = info.IsVertical
                ? TRect{inner.Left, inner.Top + at, inner.Right - (closeShown ? handle : 0), inner.Top + at + 3}
                : TRect{inner.Left + at, inner.Top + (closeShown ? handle : 0), inner.Left + at + 3, inner.Bottom};
            if (VisualStyles()) {
                DrawPart(UXC_REBAR, canvas, info.IsVertical ? 2 : 1, 0, bar);
                continue;
            }
            Edge(canvas, bar, BDR_RAISEDINNER, BF_RECT);
            FillRectEx(canvas, TRect{bar.Left, bar.Bottom - 1, bar.Left + 1, bar.Bottom}, clBtnHighlight);
        }
    }
    if (closeShown) {
        TRect button = GetDockedCloseButtonRect(info);
        const int c = VisualStyles() ? 1 : 2;
        button.Bottom -= c;
        if (info.IsVertical)
            button.Left += c;
        else
            button.Right -= c;
        const bool pushed = info.CloseButtonState & CDBS_PUSHED, hot = info.CloseButtonState & CDBS_HOT;
        if (VisualStyles())
            DrawPart(UXC_TOOLBAR, canvas, TP_BUTTON, pushed ? 3 : hot ? 2 : 1, button);
        else if (pushed)
            Edge(canvas, button, BDR_SUNKENOUTER, BF_RECT);
        else if (hot)
            Edge(canvas, button, BDR_RAISEDINNER, BF_RECT);
        DrawCloseGlyph(canvas, button, pushed);
    }
}

void TSkinDefaultTheme::PaintFloatingBorder(TCanvas &canvas, const TRect &rect, const TSkinFloatingWindowInfo &info)
{
    const bool closeShown = info.ShowCaption && (info.CloseButtonState & CDBS_VISIBLE);
    if (info.RedrawPart & SFWP_FRAME) {
        TRect r = rect;
        canvas.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        for (int i = 2; i < std::max(info.FloatingBorderX, info.FloatingBorderY); ++i)
            FrameRectEx(canvas, r, clBtnFace, true);
    }
    if (!info.ShowCaption)
        return;
    const TColor start = info.Active ? clActiveCaption : clInactiveCaption;
    const TColor end = info.Active ? clGradientActiveCaption : clGradientInactiveCaption;
    if (info.RedrawPart & SFWP_CAPTION) {
        const TRect caption = GetFloatingCaptionRect(info, true, closeShown);
        GradientFillRect(canvas, caption, start, end, false);
        TRect text = caption;
        text.Left += 2;
        canvas.Font().SetName("MS UI Gothic");
        canvas.Font().SetSize(9);
        canvas.Font().SetColor(info.Active ? clCaptionText : clInactiveCaptionText);
        canvas.Brush().SetStyle(bsClear);
        canvas.DrawText(info.Caption, text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        canvas.Brush().SetStyle(bsSolid);
        const TRect full = GetFloatingCaptionRect(info, true, false);
        FillRectEx(canvas, TRect{full.Left, full.Bottom, full.Right, full.Bottom + 1}, clBtnFace);
    }
    if (closeShown && (info.RedrawPart & SFWP_CLOSEBUTTON)) {
        const TRect square = GetFloatingCloseButtonRect(info, true);
        FillRectEx(canvas, square, end);
        TRect button = square;
        InflateRect(button, -2, -2);
        canvas.DrawFrameControl(button, DFC_CAPTION,
            DFCS_CAPTIONCLOSE | ((info.CloseButtonState & CDBS_PUSHED) ? unsigned{DFCS_PUSHED} : 0u));
    }
}

void TSkinDefaultTheme::PaintMdiButton(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item, int buttonKind)
{
    if (VisualStyles()) {
        const int part = buttonKind == DFCS_CAPTIONCLOSE ? 20 : buttonKind == DFCS_CAPTIONMIN ? 16 : 22;
        DrawPart(UXC_WINDOW, canvas, part, item.Pushed ? 3 : item.HoverKind ? 2 : 1, rect);
        return;
    }
    TRect r = rect;
    canvas.DrawFrameControl(r, DFC_CAPTION, static_cast<unsigned>(buttonKind) | (item.Pushed ? unsigned{DFCS_PUSHED} : 0u));
}

void TSkinDefaultTheme::PaintFrame(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item)
{
    TRect r = rect;
    FrameRectEx(canvas, r, (item.ViewType & VIEWKIND_OPAQUEITEMS) ? clBtnShadow : toolbarColor_, true);
    if (item.Pushed || item.Selected || IsHot(item) || (item.ItemOptions & IO_DESIGNING))
        canvas.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    FrameRectEx(canvas, r, clWindow, true);
}

void TSkinDefaultTheme::PaintEditFrame(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item)
{
    PaintFrame(canvas, rect, item);
    TRect r = rect;
    InflateRect(r, -GetIntegerMetric(TMI_EDIT_FRAMEWIDTH), -GetIntegerMetric(TMI_EDIT_FRAMEWIDTH));
    if (item.Enabled)
        FillRectEx(canvas, r, clWindow);
}

void TSkinDefaultTheme::PaintEditButton(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item, int)
{
    TRect r = rect;
    canvas.DrawEdge(r, item.Pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    PaintDropDownArrow(canvas, rect, item);
}

void TSkinDefaultTheme::PaintDock(TCanvas &canvas, const TRect &, const TRect &dockRect, int dockPosition)
{
    if (!VisualStyles())
        return;
    TRect r = dockRect;
    if (dockPosition == 3 || dockPosition == 4)
        ++r.Bottom;
    DrawPart(UXC_REBAR, canvas, 0, 0, r);
}

void TSkinDefaultTheme::PaintDockPanelNCArea(TCanvas &canvas, const TRect &rect)
{
    TRect r = rect;
    FrameRectEx(canvas, r, toolbarColor_, true);
    FrameRectEx(canvas, r, clWindow, true);
}

void TSkinDefaultTheme::PaintScrollButton(TCanvas &canvas, const TRect &rect, bool pushed, int direction)
{
    static constexpr unsigned kinds[] = {DFCS_SCROLLUP, DFCS_SCROLLUP, DFCS_SCROLLDOWN, DFCS_SCROLLLEFT,
        DFCS_SCROLLRIGHT};
    TRect r = rect;
    canvas.DrawFrameControl(r, DFC_SCROLL, kinds[std::clamp(direction, 0, 4)] | (pushed ? unsigned{DFCS_FLAT} : 0u));
}

void TSkinDefaultTheme::PaintFrameControl(TCanvas &canvas, const TRect &rect, int kind, unsigned state, int)
{
    TRect r = rect;
    unsigned flags = kind == 2 ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
    if (state & 1)
        flags |= DFCS_CHECKED;
    if (state & 4)
        flags |= DFCS_INACTIVE;
    if (state & 0x10)
        flags |= DFCS_PUSHED;
    canvas.DrawFrameControl(r, DFC_BUTTON, flags);
}

void TSkinDefaultTheme::PaintStatusBar(TCanvas &canvas, const TRect &rect, int part)
{
    TRect r = rect;
    switch (part) {
    case 0:
        FillRectEx(canvas, r, statusBarColor_);
        break;
    case 1:
    case 2:
        Frame3DEx(canvas, r, clBtnShadow, true, clBtnHighlight);
        break;
    default:
        for (int i = 0; i < 3; ++i) {
            const int d = 4 * i + 3;
            DrawLineEx(canvas, r.Right - d, r.Bottom - 1, r.Right - 1, r.Bottom - d, clBtnShadow);
            DrawLineEx(canvas, r.Right - d - 1, r.Bottom - 1, r.Right - 1, r.Bottom - d - 1, clBtnHighlight);
        }
        break;
    }
}
