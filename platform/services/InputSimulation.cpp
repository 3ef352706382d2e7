#include "platform/services/InputSimulation.h"

#include "platform/widgets/Mask.h"
#include "platform/core/Exceptions.h"
#include "platform/kernel/Forms.h"
#include "platform/kernel/QtControls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QWindow>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <QWheelEvent>

#include <memory>
#include <utility>

namespace {

// The window that got the press keeps the mouse until every button is up.
QPointer<QWidget> gPressedWindow;
Qt::MouseButtons gHeldButtons;

QWidget *TopWindowOf(TControl &control)
{
    for (TControl *c = &control; c; c = c->Parent())
        if (auto *win = dynamic_cast<TWinControl *>(c); win && win->HandleAllocated())
            return win->Link()->Widget()->window();
    throw EInvalidOperation("Input needs a window: show the control's form first");
}

// Where the windowing system sends the mouse: the window holding it while a
// button is down, else the topmost child window under the point.
std::pair<QWidget *, QPoint> MouseReceiver(TControl &control, TPoint p)
{
    QWidget *top = TopWindowOf(control);
    TPoint s = control.ClientToScreen(p);
    QPoint screen(s.X, s.Y);
    QWidget *receiver = gPressedWindow && gHeldButtons != Qt::NoButton ? gPressedWindow.data() : nullptr;
    if (!receiver) {
        receiver = top->childAt(top->mapFromGlobal(screen));
        if (!receiver)
            receiver = top;
    }
    return {receiver, receiver->mapFromGlobal(screen)};
}

Qt::MouseButton QtButton(TMouseButton button)
{
    switch (button) {
    case mbRight: return Qt::RightButton;
    case mbMiddle: return Qt::MiddleButton;
    default: return Qt::LeftButton;
    }
}

Qt::KeyboardModifiers QtModifiers(TShiftState shift)
{
    Qt::KeyboardModifiers modifiers;
    if (shift & ssShift) modifiers |= Qt::ShiftModifier;
    if (shift & ssCtrl) modifiers |= Qt::ControlModifier;
    if (shift & ssAlt) modifiers |= Qt::AltModifier;
    return modifiers;
}

// While a window runs modally, the windowing system gives the mouse only to it
// and to the windows it owns (its pop-ups).
bool BlockedByModalWindow(QWidget *receiver)
{
    QWindow *modal = QGuiApplication::modalWindow();
    QWindow *target = receiver->window()->windowHandle();
    return modal && target && target != modal && !modal->isAncestorOf(target, QWindow::IncludeTransients);
}

void SendMouse(QTest::MouseAction action, TControl &control, TPoint p, Qt::MouseButton button, TShiftState shift)
{
    auto [receiver, local] = MouseReceiver(control, p);
    if (BlockedByModalWindow(receiver))
        return;
    if (action == QTest::MousePress || action == QTest::MouseDClick) {
        if (gHeldButtons == Qt::NoButton)
            gPressedWindow = receiver;
        gHeldButtons |= button;
    } else if (action == QTest::MouseRelease) {
        gHeldButtons &= ~Qt::MouseButtons(button);
    }
    QTest::mouseEvent(action, receiver, button, QtModifiers(shift), local);
}

Qt::Key QtKey(int key)
{
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return static_cast<Qt::Key>(key);
    if (key >= VK_F1 && key < VK_F1 + 24)
        return static_cast<Qt::Key>(Qt::Key_F1 + (key - VK_F1));
    static const std::pair<int, Qt::Key> keys[] = {
        {VK_BACK, Qt::Key_Backspace}, {VK_TAB, Qt::Key_Tab},       {VK_RETURN, Qt::Key_Return},
        {VK_SHIFT, Qt::Key_Shift},    {VK_CONTROL, Qt::Key_Control}, {VK_MENU, Qt::Key_Alt},
        {VK_ESCAPE, Qt::Key_Escape},  {VK_SPACE, Qt::Key_Space},   {VK_PRIOR, Qt::Key_PageUp},
        {VK_NEXT, Qt::Key_PageDown},  {VK_END, Qt::Key_End},       {VK_HOME, Qt::Key_Home},
        {VK_LEFT, Qt::Key_Left},      {VK_UP, Qt::Key_Up},         {VK_RIGHT, Qt::Key_Right},
        {VK_DOWN, Qt::Key_Down},      {VK_INSERT, Qt::Key_Insert}, {VK_DELETE, Qt::Key_Delete},
        {VK_APPS, Qt::Key_Menu}};
    for (const auto &[vk, qt] : keys)
        if (vk == key)
            return qt;
    throw EInvalidOperation("No key has the code " + std::to_string(key));
}

} // namespace

bool SimulateActivation(TCustomForm &form)
{
    form.ShowForm();
    QWidget *window = form.Link()->Widget();
    window->activateWindow();
    // The form's own window, not a tool window it owns (the toolkit counts
    // those as the form being active).
    auto active = [window] { return QApplication::activeWindow() == window; };
    // After SimulateApplicationDeactivation the window system still has the
    // window focused and asks for nothing: the program is told directly.
    if (!QTest::qWaitFor(active, 200))
        QApplication::setActiveWindow(window);
    return QTest::qWaitFor(active, 2000);
}

void SimulateApplicationDeactivation()
{
    // Activations still on their way would come after and undo it.
    QApplication::processEvents();
    QApplication::setActiveWindow(nullptr);
    QApplication::processEvents();
}

void SimulateCloseRequest()
{
    QWidget *active = QApplication::activeWindow();
    if (!active || !active->windowHandle())
        return;
    // The window system's close event, as the toolkit gets it from the window manager.
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    QApplication::sendEvent(active->windowHandle(), &close);
    QApplication::processEvents();
}

namespace {

QMessageBox *MessageBoxUp()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    return box && box->isVisible() ? box : nullptr;
}

// Looks for the box every few milliseconds, for two seconds at most.
void PlayWhenMessageBoxShown(std::function<void()> input, int triesLeft)
{
    QMessageBox *box = MessageBoxUp();
    if (!box) {
        if (triesLeft > 0)
            QTimer::singleShot(10, [input = std::move(input), triesLeft]() mutable {
                PlayWhenMessageBoxShown(std::move(input), triesLeft - 1);
            });
        return;
    }
    box->activateWindow();
    static_cast<void>(QTest::qWaitFor([box] { return QApplication::activeWindow() == box; }, 2000));
    input();
}

} // namespace

void SimulateNextMessageBoxInput(std::function<void()> input)
{
    QTimer::singleShot(0, [input = std::move(input)]() mutable { PlayWhenMessageBoxShown(std::move(input), 200); });
}

bool MessageBoxShown() { return MessageBoxUp() != nullptr; }

bool SimulateMessageBoxClick(const std::string &caption)
{
    QMessageBox *box = MessageBoxUp();
    if (!box)
        return false;
    static const QRegularExpression accelerator(R"(\(&.\)$|&)");
    for (QAbstractButton *button : box->buttons())
        if (QString(button->text()).remove(accelerator) == QStr(caption)) {
            QTest::mouseClick(button, Qt::LeftButton);
            return true;
        }
    return false;
}

void SimulateWindowResize(TCustomForm &form, int width, int height)
{
    form.Link()->Widget()->resize(width, height);
    QApplication::processEvents();
}

void SimulateMousePress(TControl &control, TPoint p, TMouseButton button, TShiftState shift)
{
    SendMouse(QTest::MousePress, control, p, QtButton(button), shift);
}

void SimulateMouseMove(TControl &control, TPoint p, TShiftState shift)
{
    SendMouse(QTest::MouseMove, control, p, Qt::NoButton, shift);
}

void SimulateMouseRelease(TControl &control, TPoint p, TMouseButton button, TShiftState shift)
{
    SendMouse(QTest::MouseRelease, control, p, QtButton(button), shift);
}

void SimulateClick(TControl &control, TPoint p, TMouseButton button, TShiftState shift)
{
    SimulateMousePress(control, p, button, shift);
    SimulateMouseRelease(control, p, button, shift);
}

void SimulateDoubleClick(TControl &control, TPoint p)
{
    SimulateClick(control, p);
    SendMouse(QTest::MouseDClick, control, p, Qt::LeftButton, 0);
    SimulateMouseRelease(control, p);
}

void SimulateDrag(TControl &control, TPoint from, TPoint to, TShiftState shift, int steps)
{
    SimulateMousePress(control, from, mbLeft, shift);
    for (int i = 1; i <= steps; ++i)
        SimulateMouseMove(control,
                          TPoint{from.X + (to.X - from.X) * i / steps, from.Y + (to.Y - from.Y) * i / steps}, shift);
    SimulateMouseRelease(control, to, mbLeft, shift);
}

namespace {

// A turn of the wheel as the window system gives it: marked as its own, so
// that the toolkit hands it on to the windows around the one under the
// pointer while none takes it.
void DeliverSystemWheel(QWidget *receiver, QPointF local, int delta, Qt::KeyboardModifiers modifiers)
{
    QWheelEvent wheel(local, QPointF(receiver->mapToGlobal(local)), QPoint(), QPoint(0, delta), gHeldButtons,
                      modifiers, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    QApplication::instance()->notify(receiver, &wheel);
}

} // namespace

void SimulateWheel(TControl &control, TPoint p, int delta, TShiftState shift)
{
    auto [receiver, local] = MouseReceiver(control, p);
    if (BlockedByModalWindow(receiver))
        return;
    DeliverSystemWheel(receiver, QPointF(local), delta, QtModifiers(shift));
}

void SimulateWheelBurst(TControl &control, TPoint p, int delta, int notches)
{
    auto [receiver, local] = MouseReceiver(control, p);
    if (BlockedByModalWindow(receiver))
        return;
    QPointer<QWidget> target(receiver);
    const QPointF at(local);
    for (int i = 0; i < notches; ++i)
        QMetaObject::invokeMethod(
            QApplication::instance(),
            [target, at, delta] {
                if (target)
                    DeliverSystemWheel(target, at, delta, Qt::NoModifier);
            },
            Qt::QueuedConnection);
}

namespace {

QMenu *MenuUp()
{
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    return menu && menu->isVisible() ? menu : nullptr;
}

// The caption of an action as its item gave it: the shortcut is shown after a tab.
QString ItemCaption(const QAction &action) { return action.text().section('\t', 0, 0); }

// Looks for the menu every few milliseconds, for two seconds at most.
void WhenMenuShown(std::function<void(QMenu &)> answer, int triesLeft)
{
    QMenu *menu = MenuUp();
    if (!menu) {
        if (triesLeft > 0)
            QTimer::singleShot(10, [answer = std::move(answer), triesLeft]() mutable {
                WhenMenuShown(std::move(answer), triesLeft - 1);
            });
        return;
    }
    // Where the window system gives the menu the focus, it does so a little
    // later: a menu closed before would get it back once it is gone, leaving
    // no window active.
    QPointer<QMenu> shown(menu);
    static_cast<void>(QTest::qWaitFor([shown] { return !shown || QGuiApplication::focusWindow() == shown->windowHandle(); }, 200));
    if (shown)
        answer(*shown);
}

void ChooseInMenu(QMenu &menu, const QString &caption)
{
    for (QAction *action : menu.actions())
        if (!caption.isEmpty() && ItemCaption(*action) == caption && action->isEnabled()) {
            menu.setActiveAction(action);
            QTest::keyClick(&menu, Qt::Key_Return);
            return;
        }
    QTest::keyClick(&menu, Qt::Key_Escape);
}

} // namespace

void SimulateNextMenuChoice(const std::string &caption)
{
    const QString text = QString::fromStdString(caption);
    QTimer::singleShot(0, [text] { WhenMenuShown([text](QMenu &menu) { ChooseInMenu(menu, text); }, 200); });
}

void SimulateNextMenuInput(std::function<void()> input)
{
    QTimer::singleShot(0, [input = std::move(input)]() mutable {
        WhenMenuShown(
            [input = std::move(input)](QMenu &menu) {
                QPointer<QMenu> shown(&menu);
                input();
                if (shown && shown->isVisible())
                    QTest::keyClick(shown.data(), Qt::Key_Escape);
            },
            200);
    });
}

std::optional<TShownMenu> ShownMenu()
{
    QMenu *menu = MenuUp();
    if (!menu)
        return std::nullopt;
    TShownMenu shown;
    const QPoint topLeft = menu->mapToGlobal(QPoint(0, 0));
    shown.TopLeft = TPoint{topLeft.x(), topLeft.y()};
    for (QAction *action : menu->actions())
        if (!action->isSeparator())
            shown.Items.push_back(TShownMenuItem{StdStr(ItemCaption(*action)), action->isEnabled()});
    if (QAction *active = menu->activeAction())
        shown.Active = StdStr(ItemCaption(*active));
    return shown;
}

std::optional<TShownMenu> ShownMenuBar(TCustomForm &form)
{
    if (!form.HandleAllocated())
        return std::nullopt;
    auto *bar = form.Link()->Widget()->findChild<QMenuBar *>(QString(), Qt::FindDirectChildrenOnly);
    if (!bar || !bar->isVisible())
        return std::nullopt;
    TShownMenu shown;
    const QPoint topLeft = bar->mapToGlobal(QPoint(0, 0));
    shown.TopLeft = TPoint{topLeft.x(), topLeft.y()};
    const QImage image = bar->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const QRgb highlight[] = {bar->palette().color(QPalette::Active, QPalette::Highlight).rgb(),
                              bar->palette().color(QPalette::Inactive, QPalette::Highlight).rgb()};
    for (QAction *action : bar->actions()) {
        if (!action->isVisible() || action->isSeparator())
            continue;
        const std::string caption = StdStr(ItemCaption(*action));
        shown.Items.push_back(TShownMenuItem{caption, action->isEnabled()});
        // Drawn highlighted: most of the title's pixels have the highlight colour.
        const QRect title = bar->actionGeometry(action);
        const QRect pixels(QPoint(qRound(title.left() * ratio), qRound(title.top() * ratio)),
                           QSize(qRound(title.width() * ratio), qRound(title.height() * ratio)));
        long lit = 0;
        for (int y = pixels.top(); y <= pixels.bottom(); ++y)
            for (int x = pixels.left(); x <= pixels.right(); ++x)
                if (image.valid(x, y)
                    && (image.pixel(x, y) == highlight[0] || image.pixel(x, y) == highlight[1]))
                    ++lit;
        if (!pixels.isEmpty() && lit * 2 > static_cast<long>(pixels.width()) * pixels.height())
            shown.Active = caption;
    }
    return shown;
}

TCursor ShownCursor(TControl &control, TPoint p)
{
    auto [receiver, local] = MouseReceiver(control, p);
    const Qt::CursorShape shape = receiver->cursor().shape();
    for (TCursor cursor : {crSizeAll, crSizeWE, crSizeNS, crSizeNWSE, crSizeNESW, crHandPoint, crIBeam, crCross,
                           crHSplit, crVSplit, crDrag, crNoDrop, crHourGlass, crUpArrow})
        if (QtCursor(cursor).shape() == shape)
            return cursor;
    return crDefault;
}

namespace {

// Where keys go now: the window holding the keyboard, the open popup's
// focused widget (or the popup), else the focused widget.
QWidget *KeyReceiver()
{
    if (QWidget *grabber = QWidget::keyboardGrabber())
        return grabber;
    if (QWidget *popup = QApplication::activePopupWidget())
        return popup->focusWidget() ? popup->focusWidget() : popup;
    return QApplication::focusWidget();
}

// The window system's request for the context menu from the keyboard, at the
// widget's text cursor.
void RequestContextMenuFromKeyboard(Qt::KeyboardModifiers modifiers)
{
    QWidget *receiver = KeyReceiver();
    if (!receiver || !receiver->isEnabled())
        return;
    const QPoint at = receiver->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    QContextMenuEvent request(QContextMenuEvent::Keyboard, at, receiver->mapToGlobal(at), modifiers);
    QSpontaneKeyEvent::setSpontaneous(&request);
    QApplication::instance()->notify(receiver, &request);
}

} // namespace

void SimulateKey(int key, TShiftState shift)
{
    if (key == VK_APPS)
        RequestContextMenuFromKeyboard(QtModifiers(shift));
    QTest::keyClick(static_cast<QWidget *>(nullptr), QtKey(key), QtModifiers(shift));
}

void SimulateTyping(const std::string &text)
{
    for (char32_t c : Utf8ToUtf32(text)) {
        QString character = QString::fromUcs4(&c, 1);
        Qt::Key key = c < 0x80 ? QTest::asciiToKey(static_cast<char>(c)) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, static_cast<QWidget *>(nullptr), key, character, Qt::NoModifier);
    }
}

void SimulateAltGrTyping(int key, const std::string &character, bool withCtrlAlt)
{
    const Qt::KeyboardModifiers held = withCtrlAlt ? Qt::ControlModifier | Qt::AltModifier : Qt::NoModifier;
    QTest::sendKeyEvent(QTest::Click, static_cast<QWidget *>(nullptr), QtKey(key), QStr(character), held);
}

void SimulateClipboard(const std::string &text)
{
    auto data = std::make_unique<QMimeData>();
    if (!text.empty())
        data->setText(QStr(text));
    QGuiApplication::clipboard()->setMimeData(data.release());
}
