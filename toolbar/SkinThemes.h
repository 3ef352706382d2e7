#pragma once
// The theme contract, the registry of theme classes with their reference-
// counted single instances, the process-wide system state themes read, and
// the theme manager that watches the system and broadcasts theme changes.

#include "platform/core/Exceptions.h"
#include "platform/graphics/Graphics.h"
#include "platform/core/Messages.h"
#include "toolbar/BarHook.h"
#include "toolbar/SkinUxThemes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TBarImageList;

class ESkinThemeError : public Exception {
public:
    using Exception::Exception;
};

enum : unsigned {
    BARWM_GETVIEWKIND = 0x4ED,
    BARWM_GETBACKCOLOR = 0x4EE,
    BARWM_SYSTEMTHEMECHANGE = 0x538,
    BARWM_THEMECHANGE = 0x53A,
};

enum : unsigned {
    THEMECHANGE_BEGIN = 1,
    THEMECHANGE_APPLY = 2,
    THEMECHANGE_END = 3,
    THEMECHANGE_APPACTIVATED = 4,
    THEMECHANGE_APPDEACTIVATED = 5,
};

// Themed toolbars ask their parent for the background they stand on with
// WM_ERASEBKGND (platform/core/Messages.h).

// System messages the manager's window answers.
enum : unsigned {
    WM_SYSCOLORCHANGE = 0x0015,
    WM_SETTINGCHANGE = 0x001A,
    WM_DISPLAYCHANGE = 0x007E,
    WM_THEMECHANGED = 0x031A,
};

enum : std::uint32_t {
    VIEWKIND_TOOLBAR = 0x1000,
    VIEWKIND_TOOLBAR_PLAIN = 0x0001,
    VIEWKIND_MENUBAR = 0x0002,
    VIEWKIND_POPUP = 0x2000,
    VIEWKIND_POPUPMENU = 0x0001,
    VIEWKIND_SINGLELIST = 0x0002,
    VIEWKIND_TOOLBOXPOPUP = 0x0004,
    VIEWKIND_CHEVRONPOPUP = 0x0008,
    VIEWKIND_DOCKPANEL = 0x4000,
    VIEWKIND_STATUSBAR = 0x10000,
    VIEWKIND_FLOATING = 0x0800,
    VIEWKIND_RESIZABLE = 0x0400,
    VIEWKIND_OPAQUEITEMS = 0x0200,
};

// Whether the view kind is of the given kind (kind bits and subkind bits all set).
inline bool IsViewKind(std::uint32_t viewKind, std::uint32_t kind) { return (viewKind & kind) == kind; }

enum : std::uint32_t {
    IO_TOOLBARSTYLE = 0x01,
    IO_SUBMENUITEM = 0x04,
    IO_COMBO = 0x08,
    IO_DESIGNING = 0x10,
    IO_APPACTIVE = 0x20,
    IO_RADIO = 0x40,
};

enum : std::uint8_t { HOVER_NONE = 0, HOVER_KEYBOARD = 1, HOVER_MOUSE = 2 };

struct TSkinItemInfo {
    std::uint32_t ViewType = 0;
    std::uint32_t ItemOptions = 0;
    bool Enabled = false;
    bool Pushed = false;
    std::uint8_t HoverKind = HOVER_NONE;
    bool Selected = false; // checked
    bool ImageShown = false;
    int ImageWidth = 0;
    int ImageHeight = 0;
    bool IsVertical = false;
    std::uint8_t ComboPart = 0; // 0 plain, 1 with an arrow inside, 2 split main part, 3 split arrow
    bool IsPopupParent = false;
    int PopupMargin = 0;
};

enum : std::uint32_t { CDBS_VISIBLE = 1, CDBS_HOT = 2, CDBS_PUSHED = 4 };

struct TSkinToolbarFrameInfo {
    TMessageTarget *Window = nullptr;
    std::uint32_t ViewType = 0;
    bool IsVertical = false;
    bool AllowDrag = false;
    std::uint8_t BorderStyle = 0;
    int BorderSizeX = 0, BorderSizeY = 0;
    int ClientWidth = 0, ClientHeight = 0;
    int DragHandleStyle = 0; // 0 double, 1 none, 2 single
    std::uint32_t CloseButtonState = 0;
    TColor EffectiveColor = 0;
};

enum : std::uint32_t { SFWP_FRAME = 1, SFWP_CAPTION = 2, SFWP_CLOSEBUTTON = 4 };

struct TSkinFloatingWindowInfo {
    TMessageTarget *FloatingWindow = nullptr;
    TMessageTarget *DockableWindow = nullptr;
    std::uint32_t ViewType = 0;
    int ClientWidth = 0, ClientHeight = 0;
    bool ShowCaption = false;
    int FloatingBorderX = 0, FloatingBorderY = 0;
    std::uint32_t CloseButtonState = 0;
    std::uint32_t RedrawPart = 0;
    std::string Caption;
    TColor EffectiveColor = 0;
    bool Active = false;
};

struct TSkinPopupInfo {
    TMessageTarget *Window = nullptr;
    std::uint32_t ViewType = 0;
    TRect ParentRect;
    int BorderSizeX = 0, BorderSizeY = 0;
};

struct TSkinMargins {
    int LeftWidth = 0, RightWidth = 0, TopHeight = 0, BottomHeight = 0;
};

enum : int { MID_TOOLBARITEM = 1, MID_MENUITEM = 2, MID_STATUSPANE = 3 };

// A theme: every painting operation and metric of the themed framework. Slots
// the framework never calls for its own item kinds must still be answered.
class TSkinTheme : public TMessageTarget {
public:
    explicit TSkinTheme(std::string name) : name_(std::move(name)) {}
    const std::string &Name() const { return name_; }
    void WndProc(TMessage &) override {}

    virtual TPoint GetImageOffset(TCanvas &canvas, const TSkinItemInfo &item, const TBarImageList *images) = 0;
    virtual TColor GetItemColor(const TSkinItemInfo &item) = 0;
    virtual TColor GetItemTextColor(const TSkinItemInfo &item) = 0;
    virtual TColor GetFlatMenuItemColor(const TSkinItemInfo &item) = 0;
    virtual void GetMargins(int marginId, TSkinMargins &margins) = 0;
    virtual int GetPopupShadowType() = 0;
    virtual void GetViewBorder(std::uint32_t viewType, TPoint &border) = 0;
    virtual TColor GetViewColor(std::uint32_t viewType) = 0;
    virtual void GetViewMargins(std::uint32_t viewType, TRect &margins) = 0;
    virtual void PaintBackground(TCanvas &canvas, const TRect &referenceRect, const TRect &paintRect,
        const TRect &clipRect, TColor color, bool transparent, std::uint32_t viewType) = 0;
    virtual void PaintButton(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) = 0;
    virtual void PaintCaption(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item,
        const std::string &caption, unsigned format, bool rotated) = 0;
    virtual void PaintCheckMark(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) = 0;
    virtual void PaintChevron(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) = 0;
    virtual void PaintEditFrame(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) = 0;
    virtual void PaintEditButton(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item, int buttonKind) = 0;
    virtual void PaintDock(TCanvas &canvas, const TRect &clientRect, const TRect &dockRect, int dockPosition) = 0;
    virtual void PaintDockPanelNCArea(TCanvas &canvas, const TRect &rect) = 0;
    virtual void PaintDropDownArrow(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) = 0;
    virtual void PaintFloatingBorder(TCanvas &canvas, const TRect &rect, const TSkinFloatingWindowInfo &info) = 0;
    virtual void PaintFrame(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) = 0;
    virtual void PaintImage(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item,
        const TBarImageList *images, int imageIndex) = 0;
    virtual void PaintMdiButton(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item, int buttonKind) = 0;
    virtual void PaintMenuItem(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) = 0;
    virtual void PaintMenuItemFrame(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item) = 0;
    virtual void PaintScrollButton(TCanvas &canvas, const TRect &rect, bool pushed, int direction) = 0;
    virtual void PaintPopupNCArea(TCanvas &canvas, const TRect &rect, const TSkinPopupInfo &info) = 0;
    virtual void PaintSeparator(TCanvas &canvas, const TRect &rect, const TSkinItemInfo &item, bool horizontal,
        bool lineSeparator) = 0;
    virtual void PaintToolbarNCArea(TCanvas &canvas, const TRect &rect, const TSkinToolbarFrameInfo &info) = 0;
    virtual void PaintFrameControl(TCanvas &canvas, const TRect &rect, int kind, unsigned state, int params) = 0;
    virtual void PaintStatusBar(TCanvas &canvas, const TRect &rect, int part) = 0;
    virtual int GetIntegerMetric(int index) = 0;
    virtual bool GetBooleanMetric(int index) = 0;

private:
    std::string name_;
};

using TSkinThemeFactory = std::function<std::unique_ptr<TSkinTheme>(const std::string &name)>;

void RegisterTheme(const std::string &name, TSkinThemeFactory factory);
int FindTheme(const std::string &name);
// The registered theme's single instance, created on first use; one more reference.
TSkinTheme *GetTheme(const std::string &name);
// One reference less; at none left the instance is freed and `theme` emptied.
void ReleaseTheme(TSkinTheme *&theme);
// Empties the registry (shutdown and tests).
void ClearThemeRegistry();

// ---------------------------------------------------------------- system state

struct TSkinSystemState {
    bool LowColor = false;
    bool HighContrast = false;
    bool ReducedColor = false;
    bool VisualStyles = false;
    // "BUTTON", "SCROLLBAR", "REBAR", "TOOLBAR", "WINDOW", "COMBOBOX", "EXPLORERBAR", "STATUS", "SPIN".
    std::array<HTHEME, 9> Handles{};
    TColor ToolbarColor = clBtnFace;
    TColor ToolbarTextColor = clBtnText;
    bool FlatMenus = false;
    TColor MenuColor = clMenu;
    TColor MenuTextColor = clMenuText;
};

enum : int {
    UXC_BUTTON, UXC_SCROLLBAR, UXC_REBAR, UXC_TOOLBAR, UXC_WINDOW, UXC_COMBOBOX, UXC_EXPLORERBAR, UXC_STATUS, UXC_SPIN
};

const TSkinSystemState &SkinSystemState();

// ---------------------------------------------------------------- manager

class TSkinThemeManager : public TMessageTarget {
public:
    TSkinThemeManager();
    ~TSkinThemeManager() override;

    void AddListener(TMessageTarget *listener);
    void RemoveListener(TMessageTarget *listener);
    // Sends the message to every listener in list order; one that leaves
    // meanwhile is skipped. Answers the result after the last.
    std::intptr_t Broadcast(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);
    void BroadcastThemeChange();
    void UpdateSystemState();
    void OpenThemeHandles();
    void CloseThemeHandles();
    // The hidden window: system changes and the application's activation.
    void WndProc(TMessage &message) override;

    bool VisualStylesEnabled() const { return visualStylesEnabled_; }
    void SetVisualStylesEnabled(bool enabled) { visualStylesEnabled_ = enabled; }
    int FlatMenuStyle() const { return flatMenuStyle_; }

private:
    static void HookProc(THookKind kind, TMessageTarget *window, WPARAM wParam, LPARAM lParam);

    bool visualStylesEnabled_ = true;
    int flatMenuStyle_ = 0;
    std::vector<TMessageTarget *> listeners_;
};

TSkinThemeManager &SkinThemeManager();
void AddThemeNotification(TMessageTarget *listener);
void RemoveThemeNotification(TMessageTarget *listener);

// ---------------------------------------------------------------- nexus

// The theme the framework falls back to.
inline constexpr const char *DefaultThemeName = "Default";

// Holds the current theme and relays the manager's broadcasts to the themed toolbars.
class TSkinNexus : public TMessageTarget {
public:
    explicit TSkinNexus(const std::string &themeName);
    ~TSkinNexus() override;
    int AddToolbar(TMessageTarget *toolbar);
    void RemoveToolbar(TMessageTarget *toolbar);
    // The current theme. One that was freed with its registry entry is no
    // longer current: "Default" is taken again (registered anew with the
    // default factory when it is gone as well).
    TSkinTheme *Theme();
    void SetDefaultFactory(TSkinThemeFactory factory) { defaultFactory_ = std::move(factory); }
    // The registry frees a theme's instance: a nexus holding it lets go.
    void ThemeFreed(const TSkinTheme *theme);
    void WndProc(TMessage &message) override;

private:
    TSkinTheme *theme_ = nullptr;
    TSkinThemeFactory defaultFactory_;
    std::vector<TMessageTarget *> toolbars_;
};

// ---------------------------------------------------------------- frame geometry

// Height of the small caption of floating frames.
constexpr int SkinSmallCaptionHeight = 16;

TRect GetFloatingCaptionRect(const TSkinFloatingWindowInfo &info, bool offsetByBorder, bool leaveOutCloseButton);
TRect GetFloatingCloseButtonRect(const TSkinFloatingWindowInfo &info, bool offsetByBorder);
int GetDragHandleSize(const TSkinToolbarFrameInfo &info);
TRect GetDockedCloseButtonRect(const TSkinToolbarFrameInfo &info);
