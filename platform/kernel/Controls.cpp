#include "platform/kernel/Controls.h"

#include "platform/kernel/Accessibility.h"
#include "platform/kernel/Application.h"
#include "platform/kernel/Beep.h"
#include "platform/kernel/Forms.h"
#include "platform/core/Menus.h"
#include "platform/graphics/QtCanvas.h"
#include "platform/kernel/QtControls.h"
#include "platform/kernel/ToolWindow.h"
#include "platform/kernel/WindowEffects.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QToolTip>
#include <QWindow>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <optional>
#include <utility>
#include <unordered_map>

namespace {

std::uint64_t gNextSerial = 1;
std::uint64_t gNextZOrder = 1;

std::unordered_map<std::uint64_t, TControl *> &LiveControls()
{
    static std::unordered_map<std::uint64_t, TControl *> live;
    return live;
}

std::unordered_map<const QWidget *, TWinControl *> &WidgetControls()
{
    static std::unordered_map<const QWidget *, TWinControl *> map;
    return map;
}

// The control that gets every mouse message while a button is held.
TControl *gCapture = nullptr;
// Above zero while a form previews a key for its focused control.
int gKeyPreviewDepth = 0;

// Drag and drop in progress.
struct TDragProgress {
    TControl *source = nullptr;
    bool started = false;      // past the threshold
    int threshold = 5;
    TPoint startScreen;
    TControl *target = nullptr;
    bool accepted = false;
};
TDragProgress gDrag;
// Where the last mouse event happened, in screen coordinates: a drag starts and
// drops where the events say, not where the pointer has gone since.
TPoint gLastMouseScreen;

TShiftState ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= ssShift;
    if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
    if (modifiers & Qt::AltModifier) shift |= ssAlt;
    if (buttons & Qt::LeftButton) shift |= ssLeft;
    if (buttons & Qt::RightButton) shift |= ssRight;
    if (buttons & Qt::MiddleButton) shift |= ssMiddle;
    return shift;
}

WPARAM MouseKeys(TShiftState shift)
{
    WPARAM keys = 0;
    if (shift & ssLeft) keys |= MK_LBUTTON;
    if (shift & ssRight) keys |= MK_RBUTTON;
    if (shift & ssMiddle) keys |= MK_MBUTTON;
    if (shift & ssShift) keys |= MK_SHIFT;
    if (shift & ssCtrl) keys |= MK_CONTROL;
    return keys;
}

TShiftState ShiftOfKeys(WPARAM keys)
{
    TShiftState shift = 0;
    if (keys & MK_LBUTTON) shift |= ssLeft;
    if (keys & MK_RBUTTON) shift |= ssRight;
    if (keys & MK_MBUTTON) shift |= ssMiddle;
    if (keys & MK_SHIFT) shift |= ssShift;
    if (keys & MK_CONTROL) shift |= ssCtrl;
    if (QApplication::keyboardModifiers() & Qt::AltModifier) shift |= ssAlt;
    return shift;
}

int VirtualKey(const QKeyEvent *event)
{
    int key = event->key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Menu: return VK_APPS;
    default: return 0;
    }
}

TControl *ControlUnderScreenPoint(TPoint screen)
{
    QWidget *widget = QApplication::widgetAt(QPoint(screen.X, screen.Y));
    for (; widget; widget = widget->parentWidget()) {
        TWinControl *control = TWidgetLink::ControlOf(widget);
        if (!control)
            continue;
        TPoint local = control->ScreenToClient(screen);
        if (TControl *child = control->ControlAtPos(local))
            return child;
        return control;
    }
    return nullptr;
}

TCustomForm *FormOf(TControl *control)
{
    for (TControl *c = control; c; c = c->Parent())
        if (auto *form = dynamic_cast<TCustomForm *>(c))
            return form;
    return nullptr;
}

// A press on a control that takes the focus, in a tool window that is not the
// active window, makes that window active (as the window system does for a
// plain window), so that what the person types next reaches the control.
void ActivateToolWindowForFocus(QWidget *source)
{
    const QWidget *taker = source->focusProxy() ? source->focusProxy() : source;
    if (!(taker->focusPolicy() & Qt::ClickFocus) || !taker->isEnabled())
        return;
    QWidget *top = source->window();
    // (Not isActiveWindow(): the toolkit counts every shown tool window as active.)
    if (QApplication::activeWindow() == top || !dynamic_cast<TToolWindow *>(TWidgetLink::ControlOf(top)) || !top->windowHandle())
        return;
    // Until it loses the activation again (the widget keeps refusing it).
    top->windowHandle()->setFlag(Qt::WindowDoesNotAcceptFocus, false);
    top->activateWindow();
}

// The form whose menus and shortcuts a key typed in `widget` reaches: its
// window's form; a tool window's keys are its owner form's.
TCustomForm *KeyboardFormOf(QWidget *widget)
{
    TWinControl *window = TWidgetLink::ControlOf(widget->window());
    if (auto *tool = dynamic_cast<TToolWindow *>(window))
        window = tool->OwnerWindow();
    return dynamic_cast<TCustomForm *>(window);
}

// The system's menu key offered to the form's menu bars: Alt alone or F10
// (`ch` 0), or Alt and a character; true when one took it.
bool OfferSysCommand(TCustomForm *form, char32_t ch)
{
    TMessage message{CM_APPSYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(ch), 0};
    Application().Guard([&] { DispatchMessage(form, message); });
    return message.Result != 0;
}

// A character typed with Alt (and without Ctrl): a menu key, never text.
// Characters a keyboard layout makes with AltGr arrive without Alt, or with
// Ctrl and Alt together, and are text.
bool TypedWithAlt(const QKeyEvent &key)
{
    const Qt::KeyboardModifiers mods = key.modifiers();
    const QString text = key.text();
    return (mods & Qt::AltModifier) && !(mods & Qt::ControlModifier) && !text.isEmpty() && text.at(0).isPrint();
}

// A widget on a menu bar or in an open menu.
bool OnMenus(const QWidget *widget)
{
    for (; widget; widget = widget->parentWidget())
        if (qobject_cast<const QMenuBar *>(widget) || qobject_cast<const QMenu *>(widget))
            return true;
    return false;
}

// Keys reach the form before any control sees them, as the class library
// offers them: first as shortcuts of the form's menu commands, then (with Alt)
// as the accelerators of its controls' captions. Without this a text box
// would take Ctrl+A as select-all and the command would never run.
class TFormKeyFilter : public QObject {
public:
    explicit TFormKeyFilter(QObject *parent) : QObject(parent) { setObjectName(kName); }
    static constexpr const char *kName = "TFormKeyFilter";

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonPress) {
            altAlone_ = false;
            if (watched->isWidgetType()) {
                auto *pressed = static_cast<QWidget *>(watched);
                ActivateToolWindowForFocus(pressed);
                // A press anywhere but on the menus ends the menu bar's
                // keyboard mode, also on a part that takes no focus.
                if (!OnMenus(pressed))
                    if (TCustomForm *form = KeyboardFormOf(pressed))
                        form->EndMenuKeyboardMode();
            }
        }
        if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWidgetType())
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        int vk = VirtualKey(key);
        auto *widget = static_cast<QWidget *>(watched);
        // A tool window's keys are its owner form's (its menu's shortcuts
        // work there); Esc gives the keyboard back to the owner.
        if (auto *tool = dynamic_cast<TToolWindow *>(TWidgetLink::ControlOf(widget->window()))) {
            TWinControl *owner = tool->OwnerWindow();
            if (owner && type == QEvent::KeyPress && vk == VK_ESCAPE && key->modifiers() == Qt::NoModifier) {
                ActivateWindow(*owner);
                return true;
            }
        }
        TCustomForm *form = KeyboardFormOf(widget);
        if (type == QEvent::KeyRelease) {
            // Alt pressed and let go with nothing between: the system's menu key.
            if (vk != VK_MENU || !altAlone_ || key->isAutoRepeat())
                return false;
            altAlone_ = false;
            return form && OfferSysCommand(form, 0);
        }
        if (vk == VK_MENU) {
            if (!key->isAutoRepeat())
                altAlone_ = (key->modifiers() & ~Qt::AltModifier) == Qt::NoModifier;
            return false;
        }
        altAlone_ = false;
        if (vk == 0 || vk == VK_SHIFT || vk == VK_CONTROL)
            return false;
        if (!form)
            return false;
        TShiftState shift = ShiftOf(key->modifiers(), Qt::NoButton);
        int shortCut = vk | (shift & ssShift ? scShift : 0) | (shift & ssCtrl ? scCtrl : 0) | (shift & ssAlt ? scAlt : 0);
        bool accelerator = (shift & ssAlt) && !(shift & ssCtrl)
                        && ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'));
        bool taken = false;
        Application().Guard([&] { taken = form->IsShortCut(shortCut) || (accelerator && form->DialogChar(vk)); });
        if (taken || !(shift & ssAlt) || (shift & ssCtrl))
            return taken;
        // Alt and a character nobody took: the system's menu key with that character.
        char32_t ch = 0;
        QString text = key->text();
        if (text.size() == 1 && text.at(0).isPrint())
            ch = text.at(0).toLower().unicode();
        else if (vk >= 'A' && vk <= 'Z')
            ch = static_cast<char32_t>(vk - 'A' + 'a');
        else if (vk >= '0' && vk <= '9')
            ch = static_cast<char32_t>(vk);
        // Then the menu bar's title with that access key, with Shift as without.
        return ch != 0 && ch != U' ' && (OfferSysCommand(form, ch) || form->OpenMenuTitle(ch));
    }

private:
    bool altAlone_ = false;
};

void InstallFormKeyFilter()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (app && !app->findChild<QObject *>(TFormKeyFilter::kName, Qt::FindDirectChildrenOnly))
        app->installEventFilter(new TFormKeyFilter(app));
}


} // namespace

QString QStr(const std::string &text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string StdStr(const QString &text) { return text.toStdString(); }

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent *owner) : TComponent(owner), serial_(gNextSerial++), zOrder_(gNextZOrder++)
{
    LiveControls()[serial_] = this;
    font_.OnChange = [this] { FontChanged(); };
}

TControl::~TControl()
{
    if (gCapture == this)
        gCapture = nullptr;
    if (gDrag.source == this)
        gDrag = TDragProgress{};
    if (gDrag.target == this)
        gDrag.target = nullptr;
    LiveControls().erase(serial_);
    if (parent_)
        parent_->RemoveControl(this);
}

TControl *TControl::FindBySerial(std::uint64_t serial)
{
    auto it = LiveControls().find(serial);
    return it == LiveControls().end() ? nullptr : it->second;
}

void TControl::SetParent(TWinControl *parent)
{
    if (parent == parent_)
        return;
    if (parent_)
        parent_->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (constraints_.MinWidth > 0) width = std::max(width, constraints_.MinWidth);
    if (constraints_.MaxWidth > 0) width = std::min(width, constraints_.MaxWidth);
    if (constraints_.MinHeight > 0) height = std::max(height, constraints_.MinHeight);
    if (constraints_.MaxHeight > 0) height = std::min(height, constraints_.MaxHeight);
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    TRect old = BoundsRect();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (parent_) {
        parent_->ChildMoved(this);
        if (!windowed_) {
            parent_->InvalidateRect(old);
            parent_->InvalidateRect(BoundsRect());
        }
    }
    BoundsChanged();
    if (align_ != alNone)
        RequestAlign();
}

void TControl::SetConstraints(const TSizeConstraints &c)
{
    constraints_ = c;
    SetBounds(left_, top_, width_, height_);
}

void TControl::BoundsChanged()
{
}

void TControl::SetAlign(TAlign align)
{
    if (align_ == align)
        return;
    align_ = align;
    RequestAlign();
}

void TControl::RequestAlign()
{
    if (parent_)
        parent_->Realign(this);
}

void TControl::SetVisible(bool visible)
{
    if (visible_ == visible)
        return;
    visible_ = visible;
    VisibleChanged();
    if (align_ != alNone)
        RequestAlign();
}

void TControl::VisibleChanged()
{
    if (parent_)
        parent_->InvalidateRect(BoundsRect());
}

bool TControl::Showing() const
{
    for (const TControl *c = this; c; c = c->parent_)
        if (!c->visible_)
            return false;
    return true;
}

void TControl::SetEnabled(bool enabled)
{
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    Invalidate();
}

void TControl::SetText(const std::string &text)
{
    if (caption_ == text)
        return;
    caption_ = text;
    Invalidate();
}

void TControl::SetColor(TColor color)
{
    if (color_ == color)
        return;
    color_ = color;
    Invalidate();
}

void TControl::FontChanged()
{
    Invalidate();
}

void TControl::SetCursor(TCursor cursor)
{
    cursor_ = cursor;
}

void TControl::SetShowHint(bool show)
{
    if (show == showHint_)
        return;
    showHint_ = show;
    SendMessage(this, CM_SHOWHINTCHANGED);
}

void TControl::SetPopupMenu(TPopupMenu *menu)
{
    if (popupMenu_)
        RemoveFreeNotification(popupMenu_);
    popupMenu_ = menu;
    if (menu)
        FreeNotification(menu);
}

void TControl::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == popupMenu_)
        popupMenu_ = nullptr;
}

void TControl::Invalidate()
{
    if (parent_ && visible_)
        parent_->InvalidateRect(BoundsRect());
}

void TControl::Repaint()
{
    Invalidate();
    for (TWinControl *p = dynamic_cast<TWinControl *>(this) ? static_cast<TWinControl *>(this) : parent_; p; p = p->Parent())
        if (p->Link() && p->Link()->Widget()) {
            p->Link()->Widget()->repaint();
            break;
        }
}

void TControl::BringToFront()
{
    zOrder_ = gNextZOrder++;
    Invalidate();
}

void TControl::SendToBack()
{
    zOrder_ = 0;
    Invalidate();
}

TPoint TControl::ClientToScreen(TPoint p) const
{
    const TControl *c = this;
    // Walk up to the nearest window, adding offsets of windowless controls.
    while (c && !dynamic_cast<const TWinControl *>(c)) {
        p.X += c->left_;
        p.Y += c->top_;
        c = c->parent_;
    }
    auto *win = static_cast<const TWinControl *>(c);
    if (win && win->Link() && win->Link()->Client()) {
        QPoint g = win->Link()->Client()->mapToGlobal(QPoint(p.X, p.Y));
        return TPoint{g.x(), g.y()};
    }
    for (; win; win = win->Parent()) {
        p.X += win->Left();
        p.Y += win->Top();
    }
    return p;
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    TPoint origin = ClientToScreen(TPoint{0, 0});
    return TPoint{p.X - origin.X, p.Y - origin.Y};
}

void TControl::BeginDrag(bool immediate, int threshold)
{
    gDrag = TDragProgress{};
    gDrag.source = this;
    gDrag.threshold = immediate ? 0 : threshold;
    gDrag.started = immediate;
    gDrag.startScreen = gLastMouseScreen;
}

bool TControl::Dragging() const
{
    return gDrag.source == this && gDrag.started;
}

void TControl::EndDrag(bool drop)
{
    if (gDrag.source != this)
        return;
    TDragProgress drag = gDrag;
    gDrag = TDragProgress{};
    if (drop && drag.started && drag.target && drag.accepted && drag.target->OnDragDrop) {
        TPoint local = drag.target->ScreenToClient(gLastMouseScreen);
        drag.target->OnDragDrop(drag.target, this, local.X, local.Y);
    }
    QApplication::restoreOverrideCursor();
}

bool TControl::AcceptsDrop(TObject *source, int x, int y, TDragState state)
{
    bool accept = false;
    if (OnDragOver) {
        accept = true;
        OnDragOver(this, source, x, y, state, accept);
    }
    return accept;
}

void TControl::WndProc(TMessage &message)
{
    switch (message.Msg) {
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
        if (!doubleClicks_)
            message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
        HandleMouseMessage(message);
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP:
        HandleMouseMessage(message);
        break;
    default:
        break;
    }
}

void TControl::HandleMouseMessage(TMessage &message)
{
    if (!enabled_)
        return;
    int x = LParamX(message.LParam);
    int y = LParamY(message.LParam);
    TShiftState shift = ShiftOfKeys(message.WParam);
    switch (message.Msg) {
    case WM_MOUSEMOVE:
        MouseMove(shift, x, y);
        break;
    case WM_LBUTTONDOWN:
        clicked_ = true;
        MouseDown(mbLeft, shift, x, y);
        break;
    case WM_RBUTTONDOWN: MouseDown(mbRight, shift, x, y); break;
    case WM_MBUTTONDOWN: MouseDown(mbMiddle, shift, x, y); break;
    case WM_LBUTTONDBLCLK: DblClick(); MouseDown(mbLeft, shift | ssDouble, x, y); break;
    case WM_RBUTTONDBLCLK: MouseDown(mbRight, shift | ssDouble, x, y); break;
    case WM_MBUTTONDBLCLK: MouseDown(mbMiddle, shift | ssDouble, x, y); break;
    case WM_LBUTTONUP: {
        bool inside = x >= 0 && y >= 0 && x < width_ && y < height_;
        bool clicked = std::exchange(clicked_, false);
        MouseUp(mbLeft, shift, x, y);
        if (clicked && inside && FindBySerial(serial_) == this)
            Click();
        break;
    }
    case WM_RBUTTONUP: MouseUp(mbRight, shift, x, y); break;
    case WM_MBUTTONUP: MouseUp(mbMiddle, shift, x, y); break;
    default: break;
    }
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::PaintControl(TCanvas &)
{
}

// ---------------------------------------------------------------- TGraphicControl

void TGraphicControl::PaintControl(TCanvas &canvas)
{
    canvas_ = &canvas;
    Paint();
    canvas_ = nullptr;
}

namespace {

constexpr int kIndexBand = 128;  // pixels per band of the child index
constexpr int kTallBands = 16;   // a child reaching more bands is kept apart
constexpr int kTallBand = INT_MIN;

int BandOf(int y) { return y >= 0 ? y / kIndexBand : -((-y + kIndexBand - 1) / kIndexBand); }

bool Meets(const TRect &a, const TRect &b)
{
    TRect common;
    return IntersectRect(common, a, b);
}

// All of our windows that need to know when what they show moves.
std::vector<TWinControl *> &OnDemandParents()
{
    static std::vector<TWinControl *> parents;
    return parents;
}

} // namespace

// Children filed under the band of the client area where their top is, each
// knowing its band and its place in that band's list, so that filing, moving
// and unfiling take constant time. A search looks back as many bands as the
// tallest filed child reaches; children reaching very many bands are kept
// in a list of their own that every search looks at.
class TChildIndex {
public:
    void Add(TControl *control)
    {
        int band = BandFor(control->BoundsRect());
        std::vector<TControl *> &list = band == kTallBand ? tall_ : bands_[band];
        control->indexBand_ = band;
        control->indexSlot_ = static_cast<int>(list.size());
        list.push_back(control);
    }

    void Remove(TControl *control)
    {
        if (control->indexSlot_ < 0)
            return;
        const int band = control->indexBand_;
        auto it = bands_.end();
        std::vector<TControl *> *list = &tall_;
        if (band != kTallBand) {
            it = bands_.find(band);
            if (it == bands_.end())
                return;
            list = &it->second;
        }
        const auto slot = static_cast<size_t>(control->indexSlot_);
        if (slot >= list->size() || (*list)[slot] != control)
            return;
        (*list)[slot] = list->back();
        (*list)[slot]->indexSlot_ = static_cast<int>(slot);
        list->pop_back();
        control->indexSlot_ = -1;
        if (it != bands_.end() && it->second.empty())
            bands_.erase(it);
    }

    // After the control's bounds changed.
    void Moved(TControl *control)
    {
        if (control->indexSlot_ >= 0 && BandFor(control->BoundsRect()) == control->indexBand_)
            return;
        Remove(control);
        Add(control);
    }

    // Calls `visit` for every filed child that may meet the area (and some
    // that do not), each once.
    template <typename F>
    void ForEachNear(const TRect &area, F &&visit) const
    {
        for (TControl *c : tall_)
            visit(c);
        if (bands_.empty())
            return;
        const long long first = static_cast<long long>(BandOf(area.Top)) - span_;
        const long long last = BandOf(std::max(area.Top, area.Bottom - 1));
        if (last - first >= static_cast<long long>(bands_.size())) {
            for (const auto &entry : bands_)
                for (TControl *c : entry.second)
                    visit(c);
            return;
        }
        for (long long band = first; band <= last; ++band)
            if (auto it = bands_.find(static_cast<int>(band)); it != bands_.end())
                for (TControl *c : it->second)
                    visit(c);
    }

private:
    int BandFor(const TRect &r)
    {
        const int first = BandOf(r.Top), last = BandOf(std::max(r.Top, r.Bottom - 1));
        const long long reach = static_cast<long long>(last) - first;
        if (reach >= kTallBands)
            return kTallBand;
        span_ = std::max(span_, static_cast<int>(reach));
        return first;
    }

    std::unordered_map<int, std::vector<TControl *>> bands_;
    std::vector<TControl *> tall_;
    int span_ = 0;  // the most bands below its own that a filed child reaches
};

// ---------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent *owner) : TControl(owner)
{
    windowed_ = true;
}

TWinControl::~TWinControl()
{
    // Children outlive their parent here: they are detached, not freed (their
    // owners free them). Nothing is laid out again on the way.
    ++alignLock_;
    while (!controls_.empty())
        controls_.back()->SetParent(nullptr);
    DestroyHandle();
    if (windowsOnDemand_) {
        auto &parents = OnDemandParents();
        parents.erase(std::remove(parents.begin(), parents.end(), this), parents.end());
    }
}

void TWinControl::InsertControl(TControl *control)
{
    control->parent_ = this;
    control->indexInParent_ = static_cast<int>(controls_.size());
    controls_.push_back(control);
    if (control->windowed_) {
        auto *win = static_cast<TWinControl *>(control);
        if (windowIndex_) {
            windowIndex_->Add(control);
            (*tabOrder_)[control->Serial()] = control;
            if (HandleAllocated() && win->Visible() && !win->HandleAllocated() && NearSeenPart(*win, 1))
                MakeChildWindow(*win);
        } else if (HandleAllocated()) {
            win->HandleNeeded();
        }
    } else {
        if (!graphicIndex_)
            graphicIndex_ = std::make_unique<TChildIndex>();
        graphicIndex_->Add(control);
        control->Invalidate();
    }
    if (control->Align() != alNone)
        Realign();
    ControlListChange(control, true);
}

void TWinControl::RemoveControl(TControl *control)
{
    int index = control->indexInParent_;
    if (index < 0 || index >= ControlCount() || controls_[static_cast<size_t>(index)] != control)
        return;
    ControlListChange(control, false);
    // The handler may have changed the list.
    index = control->indexInParent_;
    if (index < 0 || index >= ControlCount() || controls_[static_cast<size_t>(index)] != control)
        return;
    if (!control->windowed_) {
        if (graphicIndex_)
            graphicIndex_->Remove(control);
        InvalidateRect(control->BoundsRect());
    } else if (windowIndex_) {
        windowIndex_->Remove(control);
        tabOrder_->erase(control->Serial());
        nearWindows_.erase(std::remove(nearWindows_.begin(), nearWindows_.end(), control), nearWindows_.end());
    }
    // Swap with the last so that removal stays constant-time with many children;
    // the order of the list is not the z-order, so nothing visible changes.
    controls_[static_cast<size_t>(index)] = controls_.back();
    controls_[static_cast<size_t>(index)]->indexInParent_ = index;
    controls_.pop_back();
    control->indexInParent_ = -1;
    control->parent_ = nullptr;
    if (alignCause_ == control)
        alignCause_ = nullptr;
    // A window being freed has already let its handle go and is no TWinControl any more.
    if (auto *win = dynamic_cast<TWinControl *>(control); win && !win->keepWindow_)
        win->DestroyHandle();
    if (control->Align() != alNone)
        Realign();
}

void TWinControl::MoveWindowTo(TWinControl *parent)
{
    if (parent == Parent())
        return;
    bool keep = HandleAllocated() && parent && parent->HandleAllocated() && !parent->windowsOnDemand_
             && (!Parent() || !Parent()->windowsOnDemand_);
    if (!keep) {
        TControl::SetParent(parent);
        return;
    }
    QWidget *widget = link_->Widget();
    keepWindow_ = true;
    try {
        TControl::SetParent(parent);
    } catch (...) {
        keepWindow_ = false;
        throw;
    }
    keepWindow_ = false;
    widget->setParent(parent->Link()->Client());
    widget->setGeometry(Left(), Top(), Width(), Height());
    widget->setVisible(Visible());
}


void TWinControl::ChildMoved(TControl *control)
{
    if (!control->windowed_) {
        if (graphicIndex_)
            graphicIndex_->Moved(control);
        return;
    }
    if (!windowIndex_)
        return;
    windowIndex_->Moved(control);
    // Moves made while laying out are looked at once, at the end.
    if (alignLock_ > 0 || updatingWindows_ || !HandleAllocated())
        return;
    auto *child = static_cast<TWinControl *>(control);
    if (!child->HandleAllocated() && child->Visible() && NearSeenPart(*child, 1))
        MakeChildWindow(*child);
    else if (child->HandleAllocated() && !NearSeenPart(*child, 2) && !HoldsWindow(*child))
        GiveBackChildWindow(child);
}

std::vector<TControl *> TWinControl::ChildrenIn(const TRect &area) const
{
    std::vector<TControl *> found;
    if (!graphicIndex_ || area.Right <= area.Left || area.Bottom <= area.Top)
        return found;
    graphicIndex_->ForEachNear(area, [&](TControl *c) {
        if (c->Visible() && Meets(c->BoundsRect(), area))
            found.push_back(c);
    });
    std::sort(found.begin(), found.end(), [](TControl *a, TControl *b) {
        return a->ZOrder() != b->ZOrder() ? a->ZOrder() < b->ZOrder() : a->Serial() < b->Serial();
    });
    return found;
}

// ---------------------------------------------------------------- windows on demand

void TWinControl::SetChildWindowsOnDemand(bool onDemand)
{
    if (windowsOnDemand_ == onDemand)
        return;
    windowsOnDemand_ = onDemand;
    auto &parents = OnDemandParents();
    if (!onDemand) {
        parents.erase(std::remove(parents.begin(), parents.end(), this), parents.end());
        windowIndex_.reset();
        tabOrder_.reset();
        nearWindows_.clear();
        if (HandleAllocated())
            CreateChildHandles();
        return;
    }
    parents.push_back(this);
    windowIndex_ = std::make_unique<TChildIndex>();
    tabOrder_ = std::make_unique<std::map<std::uint64_t, TControl *>>();
    for (TControl *c : controls_)
        if (c->windowed_) {
            windowIndex_->Add(c);
            (*tabOrder_)[c->Serial()] = c;
            if (static_cast<TWinControl *>(c)->HandleAllocated())
                nearWindows_.push_back(c);
        }
    UpdateChildWindows();
}

TRect TWinControl::SeenRect() const
{
    // Walks up with the rectangle in each parent's coordinates: a scrolling
    // parent's children sit in its scrolled area, of which it shows its view.
    TRect seen = ClientRect();
    int dx = 0, dy = 0;  // from this control's coordinates to the current ones
    const TControl *child = this;
    for (const TWinControl *p = Parent(); p; child = p, p = p->Parent()) {
        OffsetRect(seen, child->Left(), child->Top());
        dx += child->Left();
        dy += child->Top();
        const TRect view = p->ViewRect();
        if (!IntersectRect(seen, seen, view))
            return TRect{0, 0, 0, 0};
        OffsetRect(seen, -view.Left, -view.Top);
        dx -= view.Left;
        dy -= view.Top;
    }
    OffsetRect(seen, -dx, -dy);
    return seen;
}

// Near means within `margins` heights of the seen part above or below it
// (at least a few rows' worth); only the height counts, so a narrow column
// still has its windows.
bool TWinControl::NearSeenPart(const TControl &child, int margins) const
{
    TRect seen = SeenRect();
    if (seen.Bottom <= seen.Top)
        return false;
    const int margin = std::max(seen.Height(), 256) * margins;
    return child.Top() + child.Height() > seen.Top - margin && child.Top() < seen.Bottom + margin;
}

bool TWinControl::HoldsWindow(const TWinControl &child)
{
    if (gCapture == &child || gDrag.source == &child)
        return true;
    QWidget *own = child.HandleAllocated() ? child.link_->Widget() : nullptr;
    if (!own)
        return false;
    // The focus its window has, or gets back when it is active again (a modal
    // dialog may be open over it).
    QWidget *focus = own->window()->focusWidget();
    return focus && (focus == own || own->isAncestorOf(focus));
}

void TWinControl::MakeChildWindow(TWinControl &child)
{
    child.MakeWindows();
    nearWindows_.push_back(&child);
}

void TWinControl::GiveBackChildWindow(TControl *child)
{
    auto it = std::find(nearWindows_.begin(), nearWindows_.end(), child);
    if (it != nearWindows_.end()) {
        *it = nearWindows_.back();
        nearWindows_.pop_back();
    }
    static_cast<TWinControl *>(child)->DestroyHandle();
}

void TWinControl::UpdateChildWindows()
{
    if (!windowsOnDemand_ || !HandleAllocated() || updatingWindows_ || alignLock_ > 0)
        return;
    updatingWindows_ = true;
    std::vector<TControl *> far;
    for (TControl *c : nearWindows_)
        if (!NearSeenPart(*c, 2) && !HoldsWindow(*static_cast<TWinControl *>(c)))
            far.push_back(c);
    for (TControl *c : far)
        GiveBackChildWindow(c);
    TRect seen = SeenRect();
    const int margin = std::max(seen.Height(), 256);
    std::vector<TWinControl *> near;
    windowIndex_->ForEachNear(TRect{0, seen.Top - margin, 1, seen.Bottom + margin}, [&](TControl *c) {
        auto *child = static_cast<TWinControl *>(c);
        if (child->Visible() && !child->HandleAllocated() && NearSeenPart(*child, 1))
            near.push_back(child);
    });
    for (TWinControl *child : near)
        MakeChildWindow(*child);
    updatingWindows_ = false;
}

void UpdateOnDemandWindows()
{
    for (TWinControl *parent : OnDemandParents())
        parent->UpdateChildWindows();
}

bool TWinControl::FocusNextChild(bool forward)
{
    if (!tabOrder_)
        return false;
    TWinControl *focused = FocusedControl();
    while (focused && focused->Parent() != this)
        focused = focused->Parent();
    if (!focused)
        return false;
    auto at = tabOrder_->find(focused->Serial());
    if (at == tabOrder_->end())
        return false;
    auto usable = [](TControl *c) {
        auto *w = static_cast<TWinControl *>(c);
        return w->TabStop() && w->CanFocus() && w->InTabOrder();
    };
    if (forward) {
        for (auto it = std::next(at); it != tabOrder_->end(); ++it)
            if (usable(it->second)) {
                static_cast<TWinControl *>(it->second)->SetFocus();
                return true;
            }
    } else {
        for (auto it = at; it != tabOrder_->begin();) {
            --it;
            if (usable(it->second)) {
                static_cast<TWinControl *>(it->second)->SetFocus();
                return true;
            }
        }
    }
    return false;
}

TControl *TWinControl::ControlAtPos(TPoint p) const
{
    std::vector<TControl *> near = ChildrenIn(TRect{p.X, p.Y, p.X + 1, p.Y + 1});
    return near.empty() ? nullptr : near.back();
}

bool TWinControl::HandleAllocated() const
{
    return link_ && link_->Widget();
}

void TWinControl::HandleNeeded()
{
    if (HandleAllocated())
        return;
    if (Parent())
        Parent()->HandleNeeded();
    MakeWindows();
    if (Parent() && Parent()->windowsOnDemand_)
        Parent()->nearWindows_.push_back(this);
}

void TWinControl::MakeWindows()
{
    CreateHandle();
    InitializeHandle();
    HandleMade();
    CreateChildHandles();
}

void TWinControl::CreateChildHandles()
{
    if (windowsOnDemand_) {
        UpdateChildWindows();
        return;
    }
    for (TControl *c : controls_)
        if (auto *win = dynamic_cast<TWinControl *>(c))
            if (!win->HandleAllocated()) {
                win->MakeWindows();
            }
}

void TWinControl::SetOutOfTabOrder(bool out)
{
    if (out == outOfTabOrder_)
        return;
    outOfTabOrder_ = out;
    ApplyTabOrder();
}

bool TWinControl::InTabOrder() const
{
    for (const TWinControl *c = this; c; c = c->Parent())
        if (c->outOfTabOrder_)
            return false;
    return true;
}

namespace {

// The toolkit's Tab passes over windows without tab focus: it is taken from
// each window (remembered on it) or given back.
constexpr char kTabFocusTaken[] = "tarvoldTabFocusTaken";

void SetTabFocus(QWidget &window, bool takes)
{
    if (!takes && (window.focusPolicy() & Qt::TabFocus)) {
        window.setProperty(kTabFocusTaken, true);
        window.setFocusPolicy(static_cast<Qt::FocusPolicy>(window.focusPolicy() & ~Qt::TabFocus));
    } else if (takes && window.property(kTabFocusTaken).toBool()) {
        window.setProperty(kTabFocusTaken, false);
        window.setFocusPolicy(static_cast<Qt::FocusPolicy>(window.focusPolicy() | Qt::TabFocus));
    }
}

// The window and the toolkit's windows inside it that belong to the same
// control (a spin box's text field), not those of the controls inside it.
void SetOwnTabFocus(QWidget &window, const TWinControl &control, bool takes)
{
    SetTabFocus(window, takes);
    for (QObject *child : window.children()) {
        auto *inner = qobject_cast<QWidget *>(child);
        if (!inner)
            continue;
        const TWinControl *owner = TWidgetLink::ControlOf(inner);
        if (!owner || owner == &control)
            SetOwnTabFocus(*inner, control, takes);
    }
}

} // namespace

void TWinControl::SetTabStop(bool v)
{
    if (v == tabStop_)
        return;
    tabStop_ = v;
    ApplyOwnTabFocus();
}

void TWinControl::ApplyOwnTabFocus()
{
    if (HandleAllocated())
        SetOwnTabFocus(*link_->Widget(), *this, tabStop_ && InTabOrder());
}

void TWinControl::ApplyTabOrder()
{
    ApplyOwnTabFocus();
    for (TControl *c : controls_)
        if (c->windowed_)
            static_cast<TWinControl *>(c)->ApplyTabOrder();
}

void TWinControl::HandleMade()
{
    ApplyOwnTabFocus();
    RefreshAccessibleName(*this);
}

void TWinControl::CreateHandle()
{
    QWidget *parentWidget = Parent() && Parent()->Link() ? Parent()->Link()->Client() : nullptr;
    auto *widget = new TQtWindow(this, parentWidget);
    link_ = std::make_unique<TWidgetLink>(this, widget);
}

void TWinControl::DestroyHandle()
{
    for (TControl *c : controls_)
        if (auto *win = dynamic_cast<TWinControl *>(c))
            win->DestroyHandle();
    nearWindows_.clear();
    if (link_) {
        // Hooks learn that the window goes while it still exists.
        TMessage destroy;
        destroy.Msg = WM_DESTROY;
        DispatchMessage(this, destroy);
    }
    link_.reset();
}

void TWinControl::InitializeHandle()
{
    QWidget *w = link_->Widget();
    w->setGeometry(Left(), Top(), Width(), Height());
    w->setEnabled(Enabled());
    w->setFont(ToQFont(Font()));
    w->setVisible(Visible());
}

bool TWinControl::CanFocus() const
{
    return Showing() && Enabled();
}

bool TWinControl::Focused() const
{
    return HandleAllocated() && link_->Widget()->hasFocus();
}

void TWinControl::SetFocus()
{
    HandleNeeded();
    link_->Widget()->setFocus(Qt::OtherFocusReason);
}

void TWinControl::EnableAlign()
{
    if (alignLock_ > 0 && --alignLock_ == 0 && alignPending_)
        Realign(alignCause_);
}

void TWinControl::Realign(TControl *cause)
{
    if (alignLock_ > 0) {
        alignPending_ = true;
        if (cause)
            alignCause_ = cause;
        return;
    }
    alignPending_ = false;
    alignCause_ = nullptr;
    AlignChildren(cause);
}

void TWinControl::AlignChildren(TControl *cause)
{
    TRect rest = AlignRect();
    auto byKind = [this](TAlign align) {
        std::vector<TControl *> list;
        for (TControl *c : controls_)
            if (c->Align() == align && c->Visible())
                list.push_back(c);
        return list;
    };
    // Ties: the cause first, then the order in which the children were made.
    auto sortBy = [cause](std::vector<TControl *> &list, auto key) {
        std::sort(list.begin(), list.end(), [&](TControl *a, TControl *b) {
            if (key(a) != key(b))
                return key(a) < key(b);
            if ((a == cause) != (b == cause))
                return a == cause;
            return a->Serial() < b->Serial();
        });
    };
    ++alignLock_; // children resizing themselves must not re-enter
    std::vector<TControl *> tops = byKind(alTop);
    sortBy(tops, [](TControl *c) { return c->Top(); });
    for (TControl *c : tops) {
        c->SetBounds(rest.Left, rest.Top, rest.Width(), c->Height());
        rest.Top += c->Height();
    }
    std::vector<TControl *> bottoms = byKind(alBottom);
    sortBy(bottoms, [](TControl *c) { return -(c->Top() + c->Height()); });
    for (TControl *c : bottoms) {
        rest.Bottom -= c->Height();
        c->SetBounds(rest.Left, rest.Bottom, rest.Width(), c->Height());
    }
    std::vector<TControl *> lefts = byKind(alLeft);
    sortBy(lefts, [](TControl *c) { return c->Left(); });
    for (TControl *c : lefts) {
        c->SetBounds(rest.Left, rest.Top, c->Width(), std::max(0, rest.Height()));
        rest.Left += c->Width();
    }
    std::vector<TControl *> rights = byKind(alRight);
    sortBy(rights, [](TControl *c) { return -(c->Left() + c->Width()); });
    for (TControl *c : rights) {
        rest.Right -= c->Width();
        c->SetBounds(rest.Right, rest.Top, c->Width(), std::max(0, rest.Height()));
    }
    for (TControl *c : byKind(alClient))
        c->SetBounds(rest.Left, rest.Top, std::max(0, rest.Width()), std::max(0, rest.Height()));
    --alignLock_;
    alignPending_ = false;
    alignCause_ = nullptr;
    UpdateChildWindows();
}

void TWinControl::SetRedraw(bool redraw)
{
    redrawOff_ = !redraw;
    if (HandleAllocated())
        link_->Widget()->setUpdatesEnabled(redraw);
}

void TWinControl::BoundsChanged()
{
    if (HandleAllocated()) {
        QWidget *w = link_->Widget();
        if (w->isWindow())
            w->resize(Width(), Height());
        else
            w->setGeometry(Left(), Top(), Width(), Height());
        // Moved, it may stand beside another label.
        RefreshAccessibleName(*this);
    }
    Realign();
    if (OnResize)
        OnResize(this);
}

void TWinControl::VisibleChanged()
{
    if (Visible() && Parent() && Parent()->HandleAllocated())
        HandleNeeded();
    if (HandleAllocated())
        link_->Widget()->setVisible(Visible());
}

void TWinControl::SetVisible(bool visible)
{
    TControl::SetVisible(visible);
}

void TWinControl::SetEnabled(bool enabled)
{
    TControl::SetEnabled(enabled);
    if (HandleAllocated())
        link_->Widget()->setEnabled(enabled);
}

void TWinControl::SetText(const std::string &text)
{
    TControl::SetText(text);
}

void TWinControl::SetColor(TColor color)
{
    TControl::SetColor(color);
}

void TWinControl::FontChanged()
{
    if (HandleAllocated())
        link_->Widget()->setFont(ToQFont(Font()));
    Invalidate();
}

void TWinControl::Invalidate()
{
    if (HandleAllocated() && !redrawOff_)
        link_->Widget()->update();
}

void TWinControl::InvalidateRect(const TRect &rect)
{
    // While the redraw is off (thousands of children may be moving), the
    // toolkit is not asked at all; turning it on repaints everything.
    if (!redrawOff_ && HandleAllocated() && link_->Client())
        link_->Client()->update(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()));
}

void TWinControl::BringToFront()
{
    TControl::BringToFront();
    if (HandleAllocated())
        link_->Widget()->raise();
}

void TWinControl::SendToBack()
{
    TControl::SendToBack();
    if (HandleAllocated())
        link_->Widget()->lower();
}

void TWinControl::PaintWindow(TCanvas &canvas)
{
    TColor color = Color();
    if (color != clNone) {
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(color);
        canvas.FillRect(ClientRect());
    }
}

void TWinControl::PaintControls(TCanvas &canvas, const TRect &clip)
{
    for (TControl *c : ChildrenIn(clip)) {
        canvas.SaveDC();
        TPoint org = canvas.WindowOrg();
        canvas.IntersectClipRect(c->BoundsRect());
        canvas.SetWindowOrg(org.X - c->Left(), org.Y - c->Top());
        c->PaintControl(canvas);
        canvas.RestoreDC(-1);
    }
}

void TWinControl::PaintTo(TCanvas &canvas, int x, int y)
{
    canvas.SaveDC();
    TPoint org = canvas.WindowOrg();
    canvas.SetWindowOrg(org.X - x, org.Y - y);
    canvas.IntersectClipRect(TRect{0, 0, Width(), Height()});
    TRect clip = canvas.ClipRect();
    PaintWindow(canvas);
    PaintControls(canvas, clip);
    // Windowed children that paint themselves are drawn too, back to front.
    // (Only those meeting the clip: a panel of thousands of windowless
    // children and a column of thousands of captions paint what is asked.)
    std::vector<TWinControl *> wins;
    TRect meets;
    for (TControl *c : controls_)
        if (c->windowed_ && c->Visible() && IntersectRect(meets, c->BoundsRect(), clip))
            wins.push_back(static_cast<TWinControl *>(c));
    std::sort(wins.begin(), wins.end(), [](TControl *a, TControl *b) { return a->ZOrder() < b->ZOrder(); });
    for (TWinControl *win : wins)
        win->PaintTo(canvas, win->Left(), win->Top());
    canvas.RestoreDC(-1);
}

void TWinControl::KeyDown(int &key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(int &key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

bool TWinControl::OfferChildKey(int key, TShiftState shift)
{
    if (!(shift & ssCtrl) || (shift & ssAlt))
        return false;
    const std::uint64_t serial = Serial();
    for (TWinControl *p = Parent(); p; p = p->Parent()) {
        if (SendMessage(p, CM_CHILDKEY, static_cast<WPARAM>(key), static_cast<LPARAM>(shift)) != 0)
            return true;
        // The handler may have taken this control (and its parents) away.
        if (TControl::FindBySerial(serial) != this)
            return false;
    }
    return false;
}

void TWinControl::WndProc(TMessage &message)
{
    switch (message.Msg) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
        int key = static_cast<int>(message.WParam);
        TShiftState shift = static_cast<TShiftState>(message.LParam);
        // A form that previews keys sees them before the focused control.
        TCustomForm *form = FormOf(this);
        if (form && form != this && form->KeyPreview()) {
            ++gKeyPreviewDepth;
            SendMessage(form, message.Msg, message.WParam, message.LParam);
            --gKeyPreviewDepth;
            if (TControl::FindBySerial(form->Serial()) != form)
                return;
            key = static_cast<TWinControl *>(form)->lastKey_;
        }
        if (key != 0) {
            if (message.Msg == WM_KEYDOWN)
                KeyDown(key, shift);
            else
                KeyUp(key, shift);
        }
        if (message.Msg == WM_KEYDOWN && key != 0 && gKeyPreviewDepth == 0
            && TControl::FindBySerial(Serial()) == this && OfferChildKey(key, shift))
            key = 0;
        if (message.Msg == WM_KEYDOWN && (key == VK_RETURN || key == VK_ESCAPE) && gKeyPreviewDepth == 0 && form
            && TControl::FindBySerial(Serial()) == this && !WantsSpecialKey(key) && form->DialogKey(key))
            key = 0;
        lastKey_ = key;
        message.Result = key;
        break;
    }
    case WM_SETFOCUS: DoEnter(); break;
    case WM_KILLFOCUS: DoExit(); break;
    default:
        TControl::WndProc(message);
        break;
    }
}

// ---------------------------------------------------------------- TCustomControl

void TCustomControl::PaintWindow(TCanvas &canvas)
{
    canvas_ = &canvas;
    Paint();
    canvas_ = nullptr;
}

TControl *CaptureControl() { return gCapture; }

void ReleaseCapture() { gCapture = nullptr; }

TWinControl *FocusedControl()
{
    QWidget *focus = QApplication::focusWidget();
    for (; focus; focus = focus->parentWidget())
        if (TWinControl *c = TWidgetLink::ControlOf(focus))
            return c;
    return nullptr;
}

// ---------------------------------------------------------------- the toolkit side

TWidgetLink::TWidgetLink(TWinControl *control, QWidget *widget, QWidget *client)
    : control_(control), widget_(widget), client_(client ? client : widget)
{
    InstallAccessibilityFactory();
    WidgetControls()[widget] = control;
    if (client_ != widget)
        WidgetControls()[client_] = control;
    widget->installEventFilter(this);
    if (client_ != widget)
        client_->installEventFilter(this);
    client_->setMouseTracking(true);
    widget->setMouseTracking(true);
    InstallFormKeyFilter();
}

TWidgetLink::~TWidgetLink()
{
    WidgetControls().erase(client_);
    if (widget_) {
        WidgetControls().erase(widget_.data());
        widget_->removeEventFilter(this);
        delete widget_.data();
    }
}

void TWidgetLink::SetNative(bool native)
{
    native_ = native;
    if (widget_)
        widget_->setAttribute(Qt::WA_NoMousePropagation, native);
}

void TWidgetLink::WatchWidget(QWidget *widget)
{
    widget->installEventFilter(this);
    widget->setMouseTracking(true);
}

TWinControl *TWidgetLink::ControlOf(const QWidget *widget)
{
    auto it = WidgetControls().find(widget);
    return it == WidgetControls().end() ? nullptr : it->second;
}

void TWidgetLink::Paint(TWinControl *control, QPainter &painter, const TRect &clip)
{
    TQtCanvas canvas(painter);
    canvas.SetClipRect(clip);
    control->PaintWindow(canvas);
    control->PaintControls(canvas, clip);
}

namespace {

// A turn of the wheel from the window system goes first to the window under
// the pointer, then, while no window takes it, to each window around it in
// turn, as copies not marked as the system's. The form hears of the turn
// once, from the first. A native control's own window takes the copy its
// text field passes on (a spin edit or a date picker steps, a combo box
// chooses); the other windows have it, so that none scrolls on its own.
struct TSystemWheel {
    quint64 timestamp = 0;
    QPointF global;
    QPoint delta;
};
std::optional<TSystemWheel> gLastSystemWheel;

// A popup menu or drop-down list takes the toolkit's focus while it is open,
// and the menu bar while it has the keyboard; for the program the control
// keeps it, as the class library's popups and menu mode leave it (a text
// editor that ends on leaving stays open under its popup menu, and a text is
// not selected whole again when Alt is pressed and let go).
// The control that lent it (its serial number) hears nothing when it comes
// back, and loses it only when another control takes it.
std::uint64_t gFocusLentToPopup = 0;

bool TakesFocusBack(const TWinControl &control)
{
    const std::uint64_t lent = std::exchange(gFocusLentToPopup, 0);
    if (lent == control.Serial())
        return true;
    if (TControl *left = lent ? TControl::FindBySerial(lent) : nullptr)
        SendMessage(left, WM_KILLFOCUS);
    return false;
}

bool IsCopyOfSystemWheel(const QWheelEvent &wheel)
{
    if (wheel.spontaneous()) {
        gLastSystemWheel = TSystemWheel{wheel.timestamp(), wheel.globalPosition(), wheel.angleDelta()};
        return false;
    }
    return gLastSystemWheel && gLastSystemWheel->timestamp == wheel.timestamp()
           && gLastSystemWheel->global == wheel.globalPosition() && gLastSystemWheel->delta == wheel.angleDelta();
}

} // namespace

// Exceptions from handlers must not run through the toolkit: they are shown
// to the person as the class library's default handler does.
bool TWidgetLink::eventFilter(QObject *watched, QEvent *event)
{
    bool result = false, failed = true;
    Application().Guard([&] {
        result = FilterEvent(watched, event);
        failed = false;
    });
    // Input whose handler failed was had: the parent windows must not get it again.
    return result || (failed && event->isInputEvent());
}

bool TWidgetLink::FilterEvent(QObject *watched, QEvent *event)
{
    auto *source = qobject_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        // A handler may take the window away (a toolbar dragged off its dock
        // floats in a new frame), freeing this link: read it first.
        bool native = native_;
        return MouseEvent(source, event) && !native;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (event->type() == QEvent::KeyPress && control_->NumericInput() && ResendHalfWidth(watched, event))
            return true;
        if (source == widget_ || native_)
            return KeyEvent(event);
        return false;
    case QEvent::InputMethod:
        return control_->NumericInput() && ResendHalfWidth(watched, event);
    case QEvent::InputMethodQuery:
        return source == widget_ && AnswerInputMethodQuery(watched, event);
    case QEvent::FocusIn:
        if (source == widget_) {
            if (TakesFocusBack(*control_))
                return false;
            // Scrolling parents bring the focused control into view.
            for (TWinControl *p = control_->Parent(); p; p = p->Parent())
                if (auto *box = dynamic_cast<TScrollBox *>(p))
                    box->ScrollInView(*control_);
            SendMessage(control_, WM_SETFOCUS);
        }
        return false;
    case QEvent::FocusOut:
        if (source == widget_) {
            // A popup, or the menu bar taking the keyboard (Alt, F10), only
            // borrows the focus: the control is not left until another takes it.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason) {
                gFocusLentToPopup = control_->Serial();
                return false;
            }
            SendMessage(control_, WM_KILLFOCUS);
        }
        return false;
    case QEvent::WindowDeactivate:
        // A tool window refuses the activation again once it has lost it.
        if (source == widget_ && widget_->windowHandle() && dynamic_cast<TToolWindow *>(control_))
            widget_->windowHandle()->setFlag(Qt::WindowDoesNotAcceptFocus, true);
        return false;
    case QEvent::Leave:
        if (source == widget_) {
            Application().CancelHint();
            SendMessage(control_, CM_MOUSELEAVE);
        }
        return false;
    case QEvent::ContextMenu:
        // A control with a popup menu (its own or a parent's) shows that one on the
        // right button's release, never the toolkit's own edit menu. The window
        // system's request from the keyboard (sent just before the menu key's
        // press) is had too: the key press opens ours, once the form, the key
        // handlers and the message hooks (a toolbar's menu mode) have had it.
        for (TControl *c = control_; c; c = c->Parent())
            if (c->PopupMenu())
                return true;
        return false;
    case QEvent::ToolTip:
        // Hints come after the application's own pause (FeedHint), not the toolkit's.
        return true;
    case QEvent::ChildPolished:
        // The text field of a native number, date or list box takes the pointer
        // over the box's text: its moves must reach us for the hint to show there.
        if (source == widget_ && native_)
            if (auto *field = qobject_cast<QLineEdit *>(static_cast<QChildEvent *>(event)->child());
                field && !field->isWindow())
                WatchWidget(field);
        return false;
    case QEvent::Resize:
        if (source == widget_ && widget_->isWindow()) {
            auto *form = dynamic_cast<TCustomForm *>(control_);
            if (form)
                form->WindowResized(widget_->width(), widget_->height());
        }
        return false;
    case QEvent::Move:
        if (source == widget_ && widget_->isWindow())
            if (auto *form = dynamic_cast<TCustomForm *>(control_))
                form->WindowMoved(widget_->x(), widget_->y());
        return false;
    case QEvent::Close:
        if (source == widget_ && widget_->isWindow())
            if (auto *form = dynamic_cast<TCustomForm *>(control_)) {
                event->ignore();
                form->Close();
                return true;
            }
        // A tool window decides itself what closing it means.
        if (source == widget_ && dynamic_cast<TToolWindow *>(control_)) {
            event->ignore();
            SendMessage(control_, WM_CLOSE);
            return true;
        }
        return false;
    case QEvent::Wheel:
        // While a window holds the pointer (menus), the wheel is its, wherever
        // the pointer stands: it gets WM_MOUSEWHEEL with the screen point.
        if (QWidget *grabber = QWidget::mouseGrabber()) {
            if (TWinControl *holder = ControlOf(grabber)) {
                auto *wheel = static_cast<QWheelEvent *>(event);
                auto turn = static_cast<std::uint16_t>(static_cast<std::int16_t>(wheel->angleDelta().y()));
                QPoint g = wheel->globalPosition().toPoint();
                SendMessage(holder, WM_MOUSEWHEEL, static_cast<WPARAM>(turn) << 16, MakeLParam(g.x(), g.y()));
                return true;
            }
        }
        if (IsCopyOfSystemWheel(*static_cast<QWheelEvent *>(event)))
            return !(native_ && source == widget_);
        if (auto *form = FormOf(control_)) {
            auto *wheel = static_cast<QWheelEvent *>(event);
            TShiftState shift = ShiftOf(wheel->modifiers(), wheel->buttons());
            QPoint g = wheel->globalPosition().toPoint();
            form->MouseWheel(shift, wheel->angleDelta().y(), TPoint{g.x(), g.y()});
        }
        return false;
    default:
        return false;
    }
}

namespace {

// The cursor over a point of the control: its own answer to WM_SETCURSOR,
// else its Cursor, else its parent window's.
TCursor CursorAt(TControl &control, TPoint p)
{
    TMessage message{WM_SETCURSOR, 0, MakeLParam(p.X, p.Y), 0};
    DispatchMessage(&control, message);
    if (message.Result != 0)
        return static_cast<TCursor>(message.WParam);
    for (TControl *c = &control; c; c = c->Parent())
        if (c->Cursor() != crDefault || dynamic_cast<TWinControl *>(c))
            return c->Cursor();
    return crDefault;
}

// The popup menu of the control or of its nearest parent that has one, shown
// at a screen point with the control as its PopupComponent; false when none
// of them has one.
bool OpenPopupMenu(TControl &control, TPoint screen)
{
    for (TControl *c = &control; c; c = c->Parent())
        if (TPopupMenu *menu = c->PopupMenu()) {
            menu->SetPopupComponent(&control);
            menu->Popup(screen.X, screen.Y);
            return true;
        }
    return false;
}

// The keys that ask for the focused control's context menu.
bool AsksForContextMenu(int vk, TShiftState shift)
{
    return (vk == VK_F10 && shift == ssShift) || (vk == VK_APPS && !(shift & (ssCtrl | ssAlt)));
}

// The pointer rests on the control: the application's hint becomes the
// control's long hint, and its short hint shows after the hint pause where
// the control shows hints.
void FeedHint(TControl &control, TPoint screen)
{
    Application().SetHint(GetLongHint(control.Hint()));
    Application().ActivateHint(control.ShowHint() ? &control : nullptr, screen);
}

} // namespace

bool TWidgetLink::MouseEvent(QWidget *source, QEvent *event)
{
    auto *mouse = static_cast<QMouseEvent *>(event);
    QPoint global = mouse->globalPosition().toPoint();
    TPoint screen{global.x(), global.y()};
    gLastMouseScreen = screen;
    TShiftState shift = ShiftOf(mouse->modifiers(), mouse->buttons());

    // A drag in progress: the control under the mouse is asked, the release drops.
    if (gDrag.source && (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonRelease)) {
        TControl *dragSource = gDrag.source;
        if (!gDrag.started) {
            if (std::abs(screen.X - gDrag.startScreen.X) + std::abs(screen.Y - gDrag.startScreen.Y) >= gDrag.threshold)
                gDrag.started = true;
        }
        if (gDrag.started) {
            TControl *target = ControlUnderScreenPoint(screen);
            if (target != gDrag.target && gDrag.target) {
                TPoint p = gDrag.target->ScreenToClient(screen);
                gDrag.target->AcceptsDrop(dragSource, p.X, p.Y, dsDragLeave);
            }
            bool accepted = false;
            if (target) {
                TPoint p = target->ScreenToClient(screen);
                accepted = target->AcceptsDrop(dragSource, p.X, p.Y, target == gDrag.target ? dsDragMove : dsDragEnter);
            }
            if (gDrag.source == dragSource) {
                gDrag.target = target;
                gDrag.accepted = accepted;
                QApplication::restoreOverrideCursor();
                QApplication::setOverrideCursor(QtCursor(accepted ? crDrag : crNoDrop));
            }
        }
        if (event->type() == QEvent::MouseButtonRelease && gDrag.source == dragSource) {
            gCapture = nullptr;
            dragSource->EndDrag(true);
        }
        return true;
    }

    // A capture with no button held is left over from a release that never
    // reached us (the window under the press moved to another top-level
    // window in between): it ends here.
    const Qt::MouseButtons others = event->type() == QEvent::MouseMove ? mouse->buttons()
                                                                      : mouse->buttons() & ~mouse->button();
    if (gCapture && others == Qt::NoButton && event->type() != QEvent::MouseButtonRelease)
        gCapture = nullptr;
    // The target: the captured control, else the topmost windowless child under
    // the point, else the window itself.
    TControl *target = gCapture;
    if (!target) {
        QPoint local = source == client_ ? mouse->position().toPoint() : client_->mapFromGlobal(global);
        target = control_->ControlAtPos(TPoint{local.x(), local.y()});
        if (!target)
            target = control_;
    }
    TPoint p = target->ScreenToClient(screen);
    unsigned msg = WM_MOUSEMOVE;
    Qt::MouseButton button = mouse->button();
    int base = button == Qt::RightButton ? WM_RBUTTONDOWN : button == Qt::MiddleButton ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
    switch (event->type()) {
    case QEvent::MouseButtonPress: msg = static_cast<unsigned>(base); gCapture = target; break;
    case QEvent::MouseButtonDblClick: msg = static_cast<unsigned>(base + 2); gCapture = target; break;
    case QEvent::MouseButtonRelease: msg = static_cast<unsigned>(base + 1); break;
    default: break;
    }
    if (msg == WM_MOUSEMOVE && !gCapture) {
        // A native control without a cursor of its own keeps the toolkit's (a text field's I-beam).
        const TCursor cursor = CursorAt(*target, p);
        if (cursor != crDefault || !native_)
            source->setCursor(QtCursor(cursor));
    }
    else if (msg != WM_MOUSEMOVE)
        Application().CancelHint();
    std::uint64_t serial = target->Serial();
    // The capture ends with the last button, before the release is handled:
    // a click that opens a modal window leaves the mouse to that window.
    if (event->type() == QEvent::MouseButtonRelease && mouse->buttons() == Qt::NoButton)
        gCapture = nullptr;
    SendMessage(target, msg, MouseKeys(shift), MakeLParam(p.X, p.Y));
    // The handler may have changed the hint (a toolbar's follows its buttons) or freed the control.
    if (msg == WM_MOUSEMOVE && !gCapture && mouse->buttons() == Qt::NoButton && !QWidget::mouseGrabber())
        if (TControl *over = TControl::FindBySerial(serial))
            FeedHint(*over, screen);
    // A right click opens the popup menu at the pointer.
    if (event->type() == QEvent::MouseButtonRelease && button == Qt::RightButton)
        if (TControl *clicked = TControl::FindBySerial(serial))
            OpenPopupMenu(*clicked, screen);
    return true;
}

bool TWidgetLink::KeyEvent(QEvent *event)
{
    if (event->type() == QEvent::KeyPress)
        Application().CancelHint();
    auto *key = static_cast<QKeyEvent *>(event);
    const bool press = event->type() == QEvent::KeyPress;
    // Alt and a character that no menu, control or handler took is a menu
    // key that matched nothing: a beep, and the character never goes into
    // the control's text.
    const bool altCharacter = press && TypedWithAlt(*key);
    int vk = VirtualKey(key);
    if (vk == 0) {
        if (altCharacter)
            MessageBeep(0);
        return altCharacter;
    }
    TShiftState shift = ShiftOf(key->modifiers(), Qt::NoButton);
    TWinControl *control = control_;
    const QPointer<QWidget> widget = widget_;
    const std::uint64_t serial = control->Serial();
    LRESULT result = SendMessage(control, press ? WM_KEYDOWN : WM_KEYUP,
                                 static_cast<WPARAM>(vk), static_cast<LPARAM>(shift));
    // (The handler may have freed the control, and this link with it.)
    const bool untouched = result == vk && press && TControl::FindBySerial(serial) == control;
    // Shift+F10 and the menu key that came back untouched (no handler or hook
    // took them) open the popup menu at the focused control's client origin,
    // as for a request with no point.
    if (untouched && AsksForContextMenu(vk, shift) && OpenPopupMenu(*control, control->ClientToScreen(TPoint{0, 0})))
        return true;
    // F10 alone gives the menus the keyboard, as Alt alone does.
    if (untouched && vk == VK_F10 && shift == 0 && !key->isAutoRepeat() && widget)
        if (TCustomForm *form = KeyboardFormOf(widget); form && (OfferSysCommand(form, 0) || form->ToggleMenuKeyboardMode()))
            return true;
    if (result != 0 && altCharacter) {
        MessageBeep(0);
        return true;
    }
    return result == 0;
}

std::string GetShortHint(const std::string &hint)
{
    size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(0, bar);
}

std::string GetLongHint(const std::string &hint)
{
    size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

bool DeliverMousePressAt(TPoint screen, unsigned msg, WPARAM keys)
{
    TControl *target = ControlUnderScreenPoint(screen);
    if (!target) {
        gCapture = nullptr;
        return false;
    }
    // The control keeps the mouse only while a button is still down; a press
    // whose release has already come gets no capture.
    gCapture = QGuiApplication::mouseButtons() != Qt::NoButton ? target : nullptr;
    TPoint p = target->ScreenToClient(screen);
    SendMessage(target, msg, keys, MakeLParam(p.X, p.Y));
    return true;
}

void SetStaysOnTop(QWidget &window, bool onTop)
{
    const bool shown = window.isVisible();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (shown)
        window.show();
}

TQtWindow::TQtWindow(TWinControl *control, QWidget *parent) : QWidget(parent), control_(control)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool TQtWindow::focusNextPrevChild(bool next)
{
    bool moved = false;
    Application().Guard([&] { moved = control_->FocusNextChild(next); });
    return moved || QWidget::focusNextPrevChild(next);
}

void TQtWindow::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    QRect r = event->rect();
    TWidgetLink::Paint(control_, painter, TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
}
