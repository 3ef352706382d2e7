#pragma once
// Themed items: toolbar and menu items, separators and their viewers whose
// painting and measuring go through the current theme.

#include "toolbar/BarItem.h"
#include "toolbar/BarPopup.h"
#include "toolbar/BarToolbar.h"
#include "toolbar/SkinThemes.h"
#include "toolbar/SkinUtils.h"

#include <functional>
#include <string>

class TSkinNexus;

// The nexus of the themed framework (created with the "Default" theme on first use).
TSkinNexus &SkinNexus();
TSkinTheme &CurrentTheme();

enum TTriState { tsDefault, tsTrue, tsFalse };

// Font changes an item asks for over the view's font.
class TFontSettings {
public:
    TTriState Bold() const { return bold_; }
    void SetBold(TTriState v) { Set(bold_, v); }
    TTriState Italic() const { return italic_; }
    void SetItalic(TTriState v) { Set(italic_, v); }
    TTriState Underline() const { return underline_; }
    void SetUnderline(TTriState v) { Set(underline_, v); }
    TTriState StrikeOut() const { return strikeOut_; }
    void SetStrikeOut(TTriState v) { Set(strikeOut_, v); }
    // Percent of the view's font size.
    int Size() const { return size_; }
    void SetSize(int percent) { Set(size_, percent); }
    TColor Color() const { return color_; }
    void SetColor(TColor color) { Set(color_, color); }
    const std::string &Name() const { return name_; }
    void SetName(const std::string &name) { Set(name_, name); }
    void Assign(const TFontSettings &other);
    // Applies the settings to a font.
    void Apply(TFont &font) const;

    std::function<void()> OnChange;

private:
    template <typename T> void Set(T &field, const T &value)
    {
        if (field == value)
            return;
        field = value;
        if (OnChange)
            OnChange();
    }
    TTriState bold_ = tsDefault, italic_ = tsDefault, underline_ = tsDefault, strikeOut_ = tsDefault;
    int size_ = 100;
    TColor color_ = clNone;
    std::string name_;
};

enum TSkinItemLayout { sklAuto, sklGlyphLeft, sklGlyphTop };

// State flags handed to the font and image events.
enum : unsigned { ISF_DISABLED = 1, ISF_HOT = 2, ISF_PUSHED = 4, ISF_CHECKED = 8 };

class TSkinItemViewer;

using TAdjustFontEvent = std::function<void(TBarCustomItem *item, TBarItemViewer *viewer, TFont &font, unsigned state)>;

class TSkinCustomItem : public TBarCustomItem {
public:
    explicit TSkinCustomItem(TComponent *owner = nullptr);
    TFontSettings &FontSettings() { return fontSettings_; }
    const TFontSettings &FontSettings() const { return fontSettings_; }
    TSkinItemLayout Layout() const { return layout_; }
    void SetLayout(TSkinItemLayout layout);
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int width);
    int MinHeight() const { return minHeight_; }
    void SetMinHeight(int height);
    bool Stretch() const { return (ItemStyle() & StretchStyle) != 0; }
    void SetStretch(bool stretch);
    std::unique_ptr<TBarItemViewer> CreateViewer(TBarView *view, int groupDepth) override;
    std::unique_ptr<TBarPopupWindow> CreatePopupWindow(TBarView *parentView, bool customizing) override;

    TAdjustFontEvent OnAdjustFont;

    static constexpr unsigned StretchStyle = 0x2000;

private:
    TFontSettings fontSettings_;
    TSkinItemLayout layout_ = sklAuto;
    int minWidth_ = 0, minHeight_ = 0;
};

class TSkinItem : public TSkinCustomItem {
public:
    using TSkinCustomItem::TSkinCustomItem;
};

class TSkinSeparatorItem : public TBarSeparatorItem {
public:
    using TBarSeparatorItem::TBarSeparatorItem;
    // -1: the theme's size; below -1 is stored as -1.
    int Size() const { return size_; }
    void SetSize(int size);
    std::unique_ptr<TBarItemViewer> CreateViewer(TBarView *view, int groupDepth) override;

private:
    int size_ = -1;
};

// The view kind of a view's window (its answer to BARWM_GETVIEWKIND).
std::uint32_t GetViewKind(const TBarView *view);

class TSkinItemViewer : public TBarItemViewer {
public:
    using TBarItemViewer::TBarItemViewer;

    void CalcSize(TCanvas &canvas, int &width, int &height) override;
    void Paint(TCanvas &canvas, const TRect &clientRect, bool embossed, bool pushed, bool selected) override;
    void MouseUp(int x, int y, bool closeOnRelease) override;
    bool DoExecute() override;
    bool IsPtInButtonPart(int x, int y) const override;

    virtual void AdjustFont(TFont &font, unsigned stateFlags);
    // Width of the image column of menus.
    int GetPopupMargin(TCanvas &canvas);
    // The item info a paint starts from.
    TSkinItemInfo MakeItemInfo(bool pushed, bool selected) const;

private:
    TSkinItemLayout EffectiveLayout() const;
    TSize CaptionSize(TCanvas &canvas, unsigned format);
    unsigned BaseTextFormat() const;
    bool executed_ = false;
};

class TSkinSeparatorItemViewer : public TBarSeparatorItemViewer {
public:
    using TBarSeparatorItemViewer::TBarSeparatorItemViewer;
    void CalcSize(TCanvas &canvas, int &width, int &height) override;
    void Paint(TCanvas &canvas, const TRect &clientRect, bool embossed, bool pushed, bool selected) override;
};

// The chevron of a themed toolbar: painted by the theme, its popup a themed one.
class TSkinChevronItem : public TBarChevronItem {
public:
    using TBarChevronItem::TBarChevronItem;
    std::unique_ptr<TBarItemViewer> CreateViewer(TBarView *view, int groupDepth) override;
    std::unique_ptr<TBarPopupWindow> CreateChevronPopupWindow(TBarCustomItem *shown, TBarView *parentView,
        bool customizing) override;
};

class TSkinChevronItemViewer : public TBarItemViewer {
public:
    using TBarItemViewer::TBarItemViewer;
    void Paint(TCanvas &canvas, const TRect &clientRect, bool embossed, bool pushed, bool selected) override;
};

// ---------------------------------------------------------------- toolbars

enum TSkinItemTransparency { itAuto, itEnable, itDisable };

// The position a floating frame of the given bounds snaps to: edges closer
// than `distance` to the work area's edges move onto them.
TPoint SnapToWorkArea(const TRect &bounds, const TRect &workArea, int distance);

// The effective colour of a control: its answer to BARWM_GETBACKCOLOR, else its colour.
TColor GetEffectiveColor(TControl *control);
// Paints the background a control shows behind the rectangle of a child (in
// the child's coordinates, the child at `offset` in the control): the
// control's answer to WM_ERASEBKGND, else its effective colour; clBtnFace
// without a control.
void PaintParentBackground(TControl *parent, TCanvas &canvas, const TRect &rect, TPoint offset);

class TSkinToolbar;

// The view of a themed toolbar: its margins come from the theme.
class TSkinToolbarView : public TBarToolbarView {
public:
    TSkinToolbarView(TSkinToolbar *toolbar, TBarCustomItem *root);
    TRect GetViewMargins(TBarViewOrientation orientation) const override;

private:
    TSkinToolbar *toolbar_;
};

// A toolbar whose frame and floating frame are drawn by the current theme.
class TSkinToolbar : public TBarCustomToolbar {
public:
    explicit TSkinToolbar(TComponent *owner);
    ~TSkinToolbar() override;

    TSkinItemTransparency ItemTransparency() const { return itemTransparency_; }
    void SetItemTransparency(TSkinItemTransparency value);
    int SnapDistance() const { return snapDistance_; }
    void SetSnapDistance(int distance);
    bool MenuBar() const { return menuBar_; }
    void SetMenuBar(bool menuBar) { menuBar_ = menuBar; }

    // A set colour (clNone: automatic) becomes the effective colour at once.
    void SetColor(TColor color) override;
    std::uint32_t ViewKind() const;
    TColor EffectiveColor() const { return effectiveColor_; }
    void UpdateEffectiveColor();
    virtual TSkinToolbarFrameInfo GetFrameInfo() const;
    TRect GetDockedCloseButtonRect() const override;
    TPoint GetFloatingBorderSize() const override;
    std::unique_ptr<TBarFloatingWindowParent> CreateFloatingParent(TWinControl *form) override;
    void WndProc(TMessage &message) override;

protected:
    void DrawNCArea(TCanvas &canvas) override;
    void PaintClient(TCanvas &canvas) override;
    // The mouse on the toolbar is off its floating frame's close button.
    void MouseMove(TShiftState shift, int x, int y) override;
    // The client area's background: the parent's own background for an
    // automatic-colour toolbar on a plain control, then the theme's.
    void EraseBackground(TCanvas &canvas);

private:
    TSkinItemTransparency itemTransparency_ = itAuto;
    int snapDistance_ = 0;
    bool menuBar_ = false;
    TColor effectiveColor_ = clBtnFace;
};

class TSkinFloatingWindowParent : public TBarFloatingWindowParent {
public:
    TSkinFloatingWindowParent(TSkinToolbar *toolbar, TWinControl *ownerForm);
    int SnapDistance() const { return snapDistance_; }
    void SetSnapDistance(int distance) { snapDistance_ = distance; }
    bool CloseButtonHot() const { return closeHot_; }
    void SetCloseButtonHot(bool hot);
    TSkinFloatingWindowInfo GetFloatingInfo(std::uint32_t parts) const;
    void SetBounds(int left, int top, int width, int height) override;

    void WndProc(TMessage &message) override;

protected:
    void PaintWindow(TCanvas &canvas) override;
    void MouseMove(TShiftState shift, int x, int y) override;

private:
    TSkinToolbar *toolbar_;
    int snapDistance_ = 0;
    bool closeHot_ = false;
};

// A popup whose background and frame are drawn by the current theme, with
// shadow strips round it when the theme asks for them.
class TSkinPopupWindow : public TBarPopupWindow {
public:
    using TBarPopupWindow::TBarPopupWindow;
    ~TSkinPopupWindow() override;
    virtual std::uint32_t ViewKind() const { return VIEWKIND_POPUP | VIEWKIND_POPUPMENU; }
    TPoint GetNCSize() const override;
    void WndProc(TMessage &message) override;

    virtual void CreateShadows();
    virtual void DestroyShadows();
    virtual bool CanHaveShadow() const;
    const TShadows *Shadows() const { return shadows_.get(); }

protected:
    void PaintWindow(TCanvas &canvas) override;
    void BoundsChanged() override;
    void VisibleChanged() override;

private:
    // The screen rectangle the shadows leave out: the parent item's.
    TRect ExcludedRect();
    std::unique_ptr<TShadows> shadows_;
    TRect savedParentRect_;
};

// The popup of a themed toolbar's chevron.
class TSkinChevronPopupWindow : public TSkinPopupWindow {
public:
    using TSkinPopupWindow::TSkinPopupWindow;
    std::uint32_t ViewKind() const override { return VIEWKIND_POPUP | VIEWKIND_CHEVRONPOPUP; }
};
