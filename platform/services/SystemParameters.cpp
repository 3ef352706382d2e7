#include "platform/services/SystemParameters.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <climits>

namespace {

std::vector<std::string> &Sounds()
{
    static std::vector<std::string> sounds;
    return sounds;
}

TRect ToRect(const QRect &r) { return TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

long long DistanceTo(const QRect &r, QPoint p)
{
    long long dx = p.x() < r.left() ? r.left() - p.x() : p.x() > r.right() ? p.x() - r.right() : 0;
    long long dy = p.y() < r.top() ? r.top() - p.y() : p.y() > r.bottom() ? p.y() - r.bottom() : 0;
    return dx * dx + dy * dy;
}

} // namespace

TSystemParameters &SystemParameters()
{
    static TSystemParameters parameters;
    return parameters;
}

TRect MonitorRectOfPoint(TPoint point, bool workArea)
{
    QScreen *best = nullptr;
    long long bestDistance = LLONG_MAX;
    if (QGuiApplication::instance())
        for (QScreen *screen : QGuiApplication::screens()) {
            long long d = DistanceTo(screen->geometry(), QPoint(point.X, point.Y));
            if (d < bestDistance) {
                bestDistance = d;
                best = screen;
            }
        }
    if (!best)
        return TRect{0, 0, 1024, 768};
    return ToRect(workArea ? best->availableGeometry() : best->geometry());
}

TRect MonitorRectOfRect(const TRect &rect, bool workArea)
{
    return MonitorRectOfPoint(TPoint{rect.Left + (rect.Right - rect.Left) / 2, rect.Top + (rect.Bottom - rect.Top) / 2},
                              workArea);
}

TPoint CursorPos()
{
    QPoint p = QCursor::pos();
    return TPoint{p.x(), p.y()};
}

void PlaySound(const std::string &alias) { Sounds().push_back(alias); }
const std::vector<std::string> &PlayedSounds() { return Sounds(); }

bool ApplicationIsActive()
{
    return QGuiApplication::instance() && QGuiApplication::applicationState() == Qt::ApplicationActive;
}
