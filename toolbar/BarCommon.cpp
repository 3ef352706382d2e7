#include "toolbar/BarCommon.h"

#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"
#include "platform/services/SystemParameters.h"

#include <algorithm>
#include <atomic>
#include <cwctype>

namespace {

// The byte length of the UTF-8 character starting at text[i].
size_t CharLength(const std::string &text, size_t i)
{
    auto c = static_cast<unsigned char>(text[i]);
    size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    return std::min(n, text.size() - i);
}

char32_t DecodeAt(const std::string &text, size_t i)
{
    size_t n = CharLength(text, i);
    auto c = static_cast<unsigned char>(text[i]);
    if (n == 1)
        return c;
    char32_t cp = c & (0xFF >> (n + 1));
    for (size_t k = 1; k < n; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    return cp;
}

} // namespace

std::string StripAccelChars(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '&') {
            ++i;
            if (i >= text.size())
                break;
        }
        size_t n = CharLength(text, i);
        out.append(text, i, n);
        i += n;
    }
    return out;
}

std::string EscapeAmpersands(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + 4);
    for (char c : text) {
        if (c == '&')
            out += '&';
        out += c;
    }
    return out;
}

std::string StripTrailingPunctuation(const std::string &text)
{
    if (text.size() >= 2 && text.back() == ':')
        return text.substr(0, text.size() - 1);
    if (text.size() > 3 && text.compare(text.size() - 3, 3, "...") == 0)
        return text.substr(0, text.size() - 3);
    return text;
}

char32_t FindAccelChar(const std::string &text)
{
    char32_t found = 0;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '&') {
            if (i + 1 >= text.size())
                break;
            if (text[i + 1] == '&') {
                i += 2;
                continue;
            }
            found = DecodeAt(text, i + 1);
            ++i;
            continue;
        }
        i += CharLength(text, i);
    }
    return found;
}

char32_t FirstChar(const std::string &text) { return text.empty() ? 0 : DecodeAt(text, 0); }

bool SameCharIgnoringCase(char32_t a, char32_t b)
{
    return std::towupper(static_cast<wint_t>(a)) == std::towupper(static_cast<wint_t>(b));
}

int DivRoundAwayFromZero(int a, int b)
{
    int q = a / b;
    if (a % b != 0)
        q += ((a < 0) == (b < 0)) ? 1 : -1;
    return q;
}

int ReadMenuShowDelayFromRegistry()
{
    TRegistry registry;
    registry.SetRootKey(THKey::HKEY_CURRENT_USER);
    if (!registry.OpenKeyReadOnly("Control Panel/Desktop") || !registry.ValueExists("MenuShowDelay"))
        return 400;
    std::string value = registry.ReadString("MenuShowDelay");
    if (value.size() > 32)
        return 0;
    int result = 0;
    return TryStrToInt(value, result) ? result : 0;
}

int GetMenuShowDelay()
{
    const TSystemParameters &sp = SystemParameters();
    if (sp.VersionMajor < 4)
        return 400;
    int delay = sp.MenuShowDelay;
    if (!sp.MenuShowDelayKnown) {
        // Read once per process.
        static std::atomic<int> cached{-1};
        int value = cached.load();
        if (value < 0) {
            value = std::max(0, ReadMenuShowDelayFromRegistry());
            cached.store(value);
        }
        delay = value;
    }
    return std::max(0, delay);
}

bool RunningVersion51OrLater()
{
    const TSystemParameters &sp = SystemParameters();
    return sp.VersionMajor > 5 || (sp.VersionMajor == 5 && sp.VersionMinor >= 1);
}

bool FlatMenusEnabled() { return RunningVersion51OrLater() && SystemParameters().FlatMenus; }

bool ShowAccelUnderlines() { return SystemParameters().VersionMajor < 5 || !SystemParameters().KeyboardCues; }

bool SoundEventAssigned(const std::string &name)
{
    const auto &assigned = SystemParameters().AssignedSoundEvents;
    return std::find(assigned.begin(), assigned.end(), name) != assigned.end();
}

TRect GetMonitorRectOfRect(const TRect &rect, bool workArea) { return MonitorRectOfRect(rect, workArea); }
TRect GetMonitorRectOfPoint(TPoint point, bool workArea) { return MonitorRectOfPoint(point, workArea); }

std::string ShortCutToText(int shortCut)
{
    int key = shortCut & 0xFF;
    std::string name;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        name = std::string(1, static_cast<char>(key));
    else if (key >= 0x70 && key <= 0x87)
        name = "F" + std::to_string(key - 0x70 + 1);
    else {
        switch (key) {
        case 0x08: name = "BkSp"; break;
        case 0x09: name = "Tab"; break;
        case 0x0D: name = "Enter"; break;
        case 0x1B: name = "Esc"; break;
        case 0x20: name = "Space"; break;
        case 0x21: name = "PgUp"; break;
        case 0x22: name = "PgDn"; break;
        case 0x23: name = "End"; break;
        case 0x24: name = "Home"; break;
        case 0x25: name = "Left"; break;
        case 0x26: name = "Up"; break;
        case 0x27: name = "Right"; break;
        case 0x28: name = "Down"; break;
        case 0x2D: name = "Ins"; break;
        case 0x2E: name = "Del"; break;
        default: return {};
        }
    }
    std::string text;
    if (shortCut & 0x2000)
        text += "Shift+";
    if (shortCut & 0x4000)
        text += "Ctrl+";
    if (shortCut & 0x8000)
        text += "Alt+";
    return text + name;
}

void DrawRotatedText(TCanvas &canvas, const std::string &text, const TRect &rect, unsigned flags)
{
    // The characters as shown, and which one the accelerator underlines.
    std::vector<std::string> chars;
    int accel = -1;
    for (size_t i = 0; i < text.size();) {
        size_t n = CharLength(text, i);
        std::string ch = text.substr(i, n);
        i += n;
        if (ch == "&" && !(flags & DT_NOPREFIX)) {
            if (i >= text.size())
                break; // a final "&" marks nothing
            n = CharLength(text, i);
            std::string next = text.substr(i, n);
            i += n;
            if (next != "&")
                accel = static_cast<int>(chars.size());
            chars.push_back(next);
            continue;
        }
        chars.push_back(ch);
    }
    auto join = [&](size_t count) {
        std::string s;
        for (size_t k = 0; k < count && k < chars.size(); ++k)
            s += chars[k];
        return s;
    };
    std::string shown = join(chars.size());
    int length = canvas.TextWidth(shown);
    if ((flags & DT_END_ELLIPSIS) && length > rect.Height() && chars.size() > 1) {
        size_t keep = chars.size();
        if (rect.Height() < 3) {
            keep = 1;
            shown = join(1);
        } else {
            while (keep > 1 && canvas.TextWidth(join(keep) + "...") > rect.Height())
                --keep;
            shown = join(keep) + "...";
        }
        if (accel >= static_cast<int>(keep))
            accel = -1;
        length = canvas.TextWidth(shown);
    }
    TTextMetric metrics = canvas.TextMetrics();
    int left = rect.Left + (rect.Width() - metrics.tmHeight) / 2;
    int right = left + metrics.tmHeight;
    int top = (flags & DT_CENTER) ? rect.Top + (rect.Height() - length) / 2 : rect.Top;
    int saved = canvas.SaveDC();
    if (!(flags & DT_NOCLIP))
        canvas.IntersectClipRect(rect);
    canvas.RotatedTextOut(right, top, shown);
    if (accel >= 0 && !(flags & DT_HIDEPREFIX)) {
        // The underline runs along the turned text, just beyond its baseline.
        int from = top + canvas.TextWidth(join(static_cast<size_t>(accel)));
        int to = from + canvas.TextWidth(chars[static_cast<size_t>(accel)]);
        int x = right - metrics.tmAscent - 1;
        canvas.Pen().SetStyle(psSolid);
        canvas.Pen().SetColor(canvas.Font().Color());
        canvas.MoveTo(x, from);
        canvas.LineTo(x, to);
    }
    canvas.RestoreDC(saved);
}

void HandleWMPrint(TWinControl &window, TMessage &message, TPoint ncSize,
                   const std::function<void(TCanvas &)> &paintNonClient)
{
    auto *canvas = reinterpret_cast<TCanvas *>(message.WParam);
    auto flags = static_cast<unsigned>(message.LParam);
    if (!canvas || ((flags & PRF_CHECKVISIBLE) && !window.Visible()))
        return;
    int saved = canvas->SaveDC();
    if ((flags & PRF_NONCLIENT) && paintNonClient)
        paintNonClient(*canvas);
    TPoint origin = (flags & PRF_NONCLIENT) ? ncSize : TPoint{0, 0};
    if (flags & PRF_CLIENT) {
        canvas->SaveDC();
        TPoint org = canvas->WindowOrg();
        canvas->SetWindowOrg(org.X - origin.X, org.Y - origin.Y);
        if (flags & PRF_ERASEBKGND)
            SendMessage(&window, WM_ERASEBKGND, 0, static_cast<LPARAM>(message.WParam));
        SendMessage(&window, WM_PRINTCLIENT, message.WParam, static_cast<LPARAM>(flags));
        canvas->RestoreDC(-1);
    }
    if (flags & PRF_CHILDREN) {
        for (int i = 0; i < window.ControlCount(); ++i) {
            auto *child = dynamic_cast<TWinControl *>(window.Controls(i));
            if (!child || !child->Visible())
                continue;
            child->PaintTo(*canvas, origin.X + child->Left(), origin.Y + child->Top());
        }
    }
    canvas->RestoreDC(saved);
    message.Result = 1;
}
