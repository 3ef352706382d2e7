#include "platform/kernel/DragOutline.h"

#include "platform/kernel/Controls.h"
#include "platform/kernel/QtControls.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <QWindow>

namespace {

// Whether windows reach a screen (not the offscreen test platform, which has
// no masks, stacking or pointer grabs).
bool WindowSystemDraws() { return QGuiApplication::platformName() != QLatin1String("offscreen"); }

// The 8 x 8 pattern whose rows alternate 0x55 and 0xAA: every other pixel.
QBrush HalftoneBrush()
{
    QImage pattern(8, 8, QImage::Format_Mono);
    pattern.setColor(0, qRgb(255, 255, 255));
    pattern.setColor(1, qRgb(0, 0, 0));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pattern.setPixel(x, y, (x + y) % 2 == 0 ? 1 : 0);
    return QBrush(pattern);
}

} // namespace

struct TDragOutline::TWindow : QWidget {
    TWindow()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                               | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), HalftoneBrush());
    }
};

TDragOutline::TDragOutline() = default;

TDragOutline::~TDragOutline() = default;

void TDragOutline::Show(const TRect &rect, int thickness)
{
    bool empty = rect.Right <= rect.Left || rect.Bottom <= rect.Top || thickness <= 0;
    if (empty) {
        if (window_)
            window_->hide();
        visible_ = false;
        rect_ = TRect{};
        thickness_ = 0;
        return;
    }
    if (!window_)
        window_ = std::make_unique<TWindow>();
    rect_ = rect;
    thickness_ = thickness;
    const int w = rect.Right - rect.Left, h = rect.Bottom - rect.Top;
    window_->setGeometry(rect.Left, rect.Top, w, h);
    QRegion frame(0, 0, w, h);
    if (w > 2 * thickness && h > 2 * thickness)
        frame -= QRegion(thickness, thickness, w - 2 * thickness, h - 2 * thickness);
    if (WindowSystemDraws())
        window_->setMask(frame);
    if (!window_->isVisible())
        window_->show();
    if (WindowSystemDraws())
        window_->raise();
    window_->update();
    visible_ = true;
}

bool TDragOutline::InputTransparent() const
{
    return window_ && (window_->windowFlags() & Qt::WindowTransparentForInput)
        && window_->testAttribute(Qt::WA_TransparentForMouseEvents);
}

namespace {

QPointer<QWidget> gGrabbed;
QPointer<QWidget> gGrabbedTop;

// Moves the grab to a widget whose window the window system shows.
void TakePointer(QWidget *widget)
{
    if (gGrabbed)
        gGrabbed->releaseMouse();
    widget->grabMouse();
    gGrabbed = widget;
    gGrabbedTop = widget->window();
}

// A window just shown is not on the screen until the window system (a window
// manager first) has mapped it, and a grab on it before then fails: the
// pointer would be held by no window, and once it left the program's windows
// its moves and its release would reach the program no more. So the grab
// stays where it is (the toolkit hands what it brings to the widget) and
// moves to the widget when its window is exposed.
class TGrabWhenExposed : public QObject {
public:
    void Watch(QWidget *widget)
    {
        if (widget_ == widget && window_ == widget->window()->windowHandle())
            return;
        Cancel();
        widget_ = widget;
        window_ = widget->window()->windowHandle();
        if (window_)
            window_->installEventFilter(this);
    }
    void Cancel()
    {
        if (window_)
            window_->removeEventFilter(this);
        window_ = nullptr;
        widget_ = nullptr;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == window_ && event->type() == QEvent::Expose && window_->isExposed()) {
            QPointer<QWidget> widget = widget_;
            Cancel();
            if (widget && widget->isVisible())
                TakePointer(widget);
        }
        return false;
    }

private:
    QPointer<QWidget> widget_;
    QPointer<QWindow> window_;
};

TGrabWhenExposed &PendingGrab()
{
    static TGrabWhenExposed pending;
    return pending;
}

bool Exposed(QWidget *widget)
{
    const QWindow *window = widget->window()->windowHandle();
    return window && window->isExposed();
}

} // namespace

void GrabPointer(TWinControl *control)
{
    if (!control || !control->HandleAllocated())
        return;
    QWidget *widget = control->Link()->Widget();
    if (!widget->isVisible() || !WindowSystemDraws())
        return;
    if (gGrabbed == widget && gGrabbedTop == widget->window() && QWidget::mouseGrabber() == widget)
        return;
    if (Exposed(widget)) {
        PendingGrab().Cancel();
        TakePointer(widget);
        return;
    }
    // Until then the toolkit sends what the held window brings to this widget.
    if (QWidget::mouseGrabber() != widget)
        widget->grabMouse();
    PendingGrab().Watch(widget);
}

void ReleasePointer()
{
    PendingGrab().Cancel();
    if (gGrabbed)
        gGrabbed->releaseMouse();
    gGrabbed = nullptr;
    gGrabbedTop = nullptr;
}
