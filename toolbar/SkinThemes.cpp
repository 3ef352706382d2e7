#include "toolbar/SkinThemes.h"

#include "platform/services/SystemParameters.h"
#include "toolbar/SkinUtils.h"

#include <algorithm>
#include <cctype>

// ---------------------------------------------------------------- registry

namespace {

struct TThemeEntry {
    std::string Name;
    TSkinThemeFactory Factory;
    std::unique_ptr<TSkinTheme> Instance;
    int RefCount = 0;
};

std::vector<TThemeEntry> &Registry()
{
    static std::vector<TThemeEntry> registry;
    return registry;
}

bool SameTextIgnoringCase(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}

} // namespace

void RegisterTheme(const std::string &name, TSkinThemeFactory factory)
{
    if (name.empty() || !factory)
        throw ESkinThemeError("Cannot register theme");
    if (FindTheme(name) >= 0)
        throw ESkinThemeError("Theme " + name + " is already registered");
    Registry().push_back(TThemeEntry{name.substr(0, 255), std::move(factory), nullptr, 0});
}

int FindTheme(const std::string &name)
{
    const std::vector<TThemeEntry> &registry = Registry();
    for (std::size_t i = 0; i < registry.size(); ++i)
        if (SameTextIgnoringCase(registry[i].Name, name))
            return static_cast<int>(i);
    return -1;
}

TSkinTheme *GetTheme(const std::string &name)
{
    const int index = FindTheme(name);
    if (index < 0)
        throw ESkinThemeError("Unknown theme " + name);
    TThemeEntry &entry = Registry()[static_cast<std::size_t>(index)];
    if (entry.RefCount == 0) {
        entry.Instance = entry.Factory(entry.Name);
        // The new theme learns whether the application is active.
        SendMessage(entry.Instance.get(), BARWM_SYSTEMTHEMECHANGE,
            ApplicationIsActive() ? THEMECHANGE_APPACTIVATED : THEMECHANGE_APPDEACTIVATED, 0);
    }
    ++entry.RefCount;
    return entry.Instance.get();
}

void ReleaseTheme(TSkinTheme *&theme)
{
    std::vector<TThemeEntry> &registry = Registry();
    auto it = std::find_if(registry.begin(), registry.end(),
        [theme](const TThemeEntry &entry) { return entry.Instance.get() == theme; });
    if (it == registry.end())
        throw ESkinThemeError("Cannot release theme");
    if (it->RefCount < 1)
        throw ESkinThemeError("Cannot release theme " + it->Name);
    if (--it->RefCount == 0) {
        it->Instance.reset();
        theme = nullptr;
    }
}

namespace {

// The live nexuses, told when a theme they hold is freed with its entry.
std::vector<TSkinNexus *> &Nexuses()
{
    static std::vector<TSkinNexus *> nexuses;
    return nexuses;
}

} // namespace

void ClearThemeRegistry()
{
    std::vector<TThemeEntry> &registry = Registry();
    for (const TThemeEntry &entry : registry)
        if (entry.Instance)
            for (TSkinNexus *nexus : Nexuses())
                nexus->ThemeFreed(entry.Instance.get());
    registry.clear();
}

// ---------------------------------------------------------------- system state

namespace {

TSkinSystemState systemState;

constexpr std::array<const char *, 9> ThemeClassNames = {
    "BUTTON", "SCROLLBAR", "REBAR", "TOOLBAR", "WINDOW", "COMBOBOX", "EXPLORERBAR", "STATUS", "SPIN"};

constexpr int TMT_FILLCOLOR = 3802, TMT_TEXTCOLOR = 3803;

bool VersionAtLeastXP()
{
    const TSystemParameters &p = SystemParameters();
    return p.VersionMajor > 5 || (p.VersionMajor == 5 && p.VersionMinor >= 1);
}

TColor ToolbarThemeColor(int property, TColor fallback)
{
    const TUxThemeFunctions &ux = UxTheme();
    TColor color = fallback;
    if (ux.GetThemeColor && ux.GetThemeColor(systemState.Handles[UXC_TOOLBAR], 0, 0, property, color) == 0)
        return color;
    return fallback;
}

} // namespace

const TSkinSystemState &SkinSystemState() { return systemState; }

// ---------------------------------------------------------------- manager

TSkinThemeManager::TSkinThemeManager()
{
    HookSubscribe(this, &TSkinThemeManager::HookProc, 1u << HookKindActivateApp);
    UpdateSystemState();
}

TSkinThemeManager::~TSkinThemeManager()
{
    HookUnsubscribe(this, &TSkinThemeManager::HookProc);
    CloseThemeHandles();
}

void TSkinThemeManager::HookProc(THookKind, TMessageTarget *window, WPARAM wParam, LPARAM)
{
    TSkinThemeManager &manager = SkinThemeManager();
    if (window != &manager)
        SendMessage(&manager, WM_ACTIVATEAPP, wParam, 0);
}

void TSkinThemeManager::AddListener(TMessageTarget *listener) { listeners_.push_back(listener); }

void TSkinThemeManager::RemoveListener(TMessageTarget *listener)
{
    auto it = std::find(listeners_.begin(), listeners_.end(), listener);
    if (it != listeners_.end())
        listeners_.erase(it);
}

std::intptr_t TSkinThemeManager::Broadcast(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam)
{
    TMessage message{msg, wParam, lParam, 0};
    const std::vector<TMessageTarget *> snapshot = listeners_;
    for (TMessageTarget *listener : snapshot)
        if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end())
            DispatchMessage(listener, message);
    return message.Result;
}

void TSkinThemeManager::BroadcastThemeChange()
{
    if (listeners_.empty())
        return;
    Broadcast(BARWM_SYSTEMTHEMECHANGE, THEMECHANGE_BEGIN, 0);
    Broadcast(BARWM_SYSTEMTHEMECHANGE, THEMECHANGE_APPLY, 0);
    Broadcast(BARWM_SYSTEMTHEMECHANGE, THEMECHANGE_END, 0);
}

void TSkinThemeManager::UpdateSystemState()
{
    systemState.LowColor = SystemParameters().ScreenBitsPerPixel < 12;
    systemState.HighContrast = ColorToRGB(clBtnFace) == 0xFFFFFF;
    systemState.ReducedColor = systemState.LowColor || systemState.HighContrast;

    CloseThemeHandles();
    OpenThemeHandles();

    systemState.ToolbarColor = clBtnFace;
    systemState.ToolbarTextColor = clBtnText;
    if (systemState.VisualStyles) {
        systemState.ToolbarColor = ToolbarThemeColor(TMT_FILLCOLOR, clBtnFace);
        systemState.ToolbarTextColor = ToolbarThemeColor(TMT_TEXTCOLOR, clBtnText);
    }

    const bool systemFlat = VersionAtLeastXP() && SystemParameters().FlatMenus;
    if (systemFlat && flatMenuStyle_ == 1) {
        systemState.FlatMenus = false;
        systemState.MenuColor = systemState.ToolbarColor;
        systemState.MenuTextColor = systemState.ToolbarTextColor;
    } else if (systemFlat) {
        systemState.FlatMenus = true;
        systemState.MenuColor = clMenu;
        systemState.MenuTextColor = clMenuText;
    } else if (flatMenuStyle_ == 2) {
        systemState.FlatMenus = true;
        systemState.MenuColor = clWindow;
        systemState.MenuTextColor = clWindowText;
    } else {
        systemState.FlatMenus = false;
        systemState.MenuColor = clMenu;
        systemState.MenuTextColor = clMenuText;
    }
}

void TSkinThemeManager::OpenThemeHandles()
{
    if (!VersionAtLeastXP() || !visualStylesEnabled_ || !LoadUxThemeFunctions())
        return;
    try {
        systemState.VisualStyles = VisualStylesActive();
        const TUxThemeFunctions &ux = UxTheme();
        if (ux.OpenThemeData)
            for (std::size_t i = 0; i < ThemeClassNames.size(); ++i)
                systemState.Handles[i] = ux.OpenThemeData(ThemeClassNames[i]);
    } catch (const std::exception &) {
        // Classic drawing from here on.
        CloseThemeHandles();
    }
}

void TSkinThemeManager::CloseThemeHandles()
{
    const TUxThemeFunctions &ux = UxTheme();
    for (HTHEME &handle : systemState.Handles) {
        if (handle != 0 && ux.CloseThemeData)
            ux.CloseThemeData(handle);
        handle = 0;
    }
    systemState.VisualStyles = false;
    FreeUxThemeFunctions();
}

void TSkinThemeManager::WndProc(TMessage &message)
{
    switch (message.Msg) {
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
    case WM_THEMECHANGED:
        UpdateSystemState();
        ClearGradientCache();
        BroadcastThemeChange();
        break;
    case WM_ACTIVATEAPP:
        Broadcast(BARWM_SYSTEMTHEMECHANGE, message.WParam ? THEMECHANGE_APPACTIVATED : THEMECHANGE_APPDEACTIVATED, 0);
        break;
    default:
        break;
    }
}

TSkinThemeManager &SkinThemeManager()
{
    static TSkinThemeManager manager;
    return manager;
}

void AddThemeNotification(TMessageTarget *listener) { SkinThemeManager().AddListener(listener); }
void RemoveThemeNotification(TMessageTarget *listener) { SkinThemeManager().RemoveListener(listener); }

// ---------------------------------------------------------------- nexus

TSkinNexus::TSkinNexus(const std::string &themeName) : theme_(GetTheme(themeName))
{
    Nexuses().push_back(this);
    AddThemeNotification(this);
}

TSkinNexus::~TSkinNexus()
{
    RemoveThemeNotification(this);
    Nexuses().erase(std::find(Nexuses().begin(), Nexuses().end(), this));
    if (theme_)
        ReleaseTheme(theme_);
}

void TSkinNexus::ThemeFreed(const TSkinTheme *theme)
{
    if (theme_ == theme)
        theme_ = nullptr;
}

TSkinTheme *TSkinNexus::Theme()
{
    if (!theme_) {
        if (FindTheme(DefaultThemeName) < 0 && defaultFactory_)
            RegisterTheme(DefaultThemeName, defaultFactory_);
        theme_ = GetTheme(DefaultThemeName);
    }
    return theme_;
}

int TSkinNexus::AddToolbar(TMessageTarget *toolbar)
{
    auto it = std::find(toolbars_.begin(), toolbars_.end(), toolbar);
    if (it != toolbars_.end())
        return static_cast<int>(it - toolbars_.begin());
    toolbars_.push_back(toolbar);
    return static_cast<int>(toolbars_.size()) - 1;
}

void TSkinNexus::RemoveToolbar(TMessageTarget *toolbar)
{
    auto it = std::find(toolbars_.begin(), toolbars_.end(), toolbar);
    if (it != toolbars_.end())
        toolbars_.erase(it);
}

void TSkinNexus::WndProc(TMessage &message)
{
    if (message.Msg != BARWM_SYSTEMTHEMECHANGE)
        return;
    const std::vector<TMessageTarget *> snapshot = toolbars_;
    for (TMessageTarget *toolbar : snapshot) {
        if (std::find(toolbars_.begin(), toolbars_.end(), toolbar) == toolbars_.end())
            continue;
        TMessage relay{BARWM_THEMECHANGE, message.WParam, 0, 0};
        DispatchMessage(toolbar, relay);
    }
}

// ---------------------------------------------------------------- frame geometry

TRect GetFloatingCaptionRect(const TSkinFloatingWindowInfo &info, bool offsetByBorder, bool leaveOutCloseButton)
{
    TRect rect{0, 0, info.ClientWidth, SkinSmallCaptionHeight - 1};
    if (leaveOutCloseButton)
        rect.Right -= rect.Height();
    if (offsetByBorder)
        OffsetRect(rect, info.FloatingBorderX, info.FloatingBorderY);
    return rect;
}

TRect GetFloatingCloseButtonRect(const TSkinFloatingWindowInfo &info, bool offsetByBorder)
{
    TRect rect = GetFloatingCaptionRect(info, offsetByBorder, false);
    rect.Left = rect.Right - rect.Height();
    return rect;
}

int GetDragHandleSize(const TSkinToolbarFrameInfo &info)
{
    if (!info.AllowDrag)
        return 0;
    if (info.CloseButtonState & CDBS_VISIBLE)
        return 14;
    switch (info.DragHandleStyle) {
    case 0: return 9;
    case 2: return 6;
    default: return 0;
    }
}

TRect GetDockedCloseButtonRect(const TSkinToolbarFrameInfo &info)
{
    const int side = GetDragHandleSize(info) - 1;
    const int x = info.IsVertical ? info.ClientWidth + info.BorderSizeX - side : info.BorderSizeX;
    return Bounds(x, info.BorderSizeY, side, side);
}
