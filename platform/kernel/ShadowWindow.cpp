#include "platform/kernel/ShadowWindow.h"

#include "platform/graphics/QtCanvas.h"
#include "platform/kernel/QtControls.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <algorithm>

namespace {

// The strip's window: translucent strips paint their alpha picture here, the
// others paint through the control.
class TQtShadowWidget : public QWidget {
public:
    explicit TQtShadowWidget(TShadowWindow *control) : control_(control) {}

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        if (control_->Mode() != shmTranslucent) {
            const QRect r = event->rect();
            TWidgetLink::Paint(control_, painter, TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
            return;
        }
        const int w = control_->Width(), h = control_->Height();
        QImage image(w, h, QImage::Format_ARGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image.setPixel(x, y, qRgba(0, 0, 0, control_->ShownAlpha(x, y)));
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, image);
    }

private:
    TShadowWindow *control_;
};

} // namespace

TShadowWindow::TShadowWindow(TComponent *owner, TShadowMode mode) : TCustomControl(owner), mode_(mode)
{
    SetVisible(false);
    SetColor(clBtnShadow);
}

void TShadowWindow::SetAlpha(std::vector<std::uint8_t> alpha, int opacity)
{
    alpha_ = std::move(alpha);
    opacity_ = std::clamp(opacity, 0, 255);
    Invalidate();
}

int TShadowWindow::ShownAlpha(int x, int y) const
{
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return 0;
    const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(Width()) + static_cast<std::size_t>(x);
    const int alpha = at < alpha_.size() ? alpha_[at] : 255;
    return alpha * opacity_ / 255;
}

void TShadowWindow::CreateHandle()
{
    auto *window = new TQtShadowWidget(this);
    window->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus
                           | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (mode_ == shmTranslucent) {
        window->setAttribute(Qt::WA_TranslucentBackground);
        window->setAttribute(Qt::WA_NoSystemBackground);
    }
    window->setFocusPolicy(Qt::NoFocus);
    link_ = std::make_unique<TWidgetLink>(this, window);
}

void TShadowWindow::InitializeHandle()
{
    TCustomControl::InitializeHandle();
    Link()->Widget()->move(Left(), Top());
}

void TShadowWindow::Compose()
{
    const int w = Width(), h = Height();
    composite_.SetSize(w, h);
    QImage screenImage;
    QScreen *screen = QGuiApplication::screenAt(QPoint(Left(), Top()));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QPoint origin = screen->geometry().topLeft();
        screenImage = screen->grabWindow(0, Left() - origin.x(), Top() - origin.y(), w, h).toImage();
    }
    const TColor fallback = ColorToRGB(clBtnFace);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            TColor under = fallback;
            if (x < screenImage.width() && y < screenImage.height())
                under = FromQRgb(screenImage.pixel(x, y));
            const int keep = 255 - ShownAlpha(x, y);
            composite_.SetPixel(x, y,
                RGB(GetRValue(under) * keep / 255, GetGValue(under) * keep / 255, GetBValue(under) * keep / 255));
        }
}

void TShadowWindow::ShowBelow(TWinControl &above)
{
    if (mode_ == shmOverScreen && !Visible())
        Compose();
    Show();
    HandleNeeded();
    QWidget *window = Link()->Widget();
    window->move(Left(), Top());
    window->show();
    if (above.HandleAllocated())
        above.Link()->Widget()->raise();
}

void TShadowWindow::PaintWindow(TCanvas &canvas)
{
    if (mode_ == shmOverScreen && !composite_.Empty()) {
        canvas.Draw(0, 0, composite_);
        return;
    }
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clBtnShadow);
    canvas.FillRect(TRect{0, 0, Width(), Height()});
}
