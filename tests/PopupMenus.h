#pragma once
// Whether what a test does opens a popup menu, without leaving one open.
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace testing_support {

// Runs `action`; true when a popup menu (ours or the toolkit's) opened
// meanwhile. A menu that opens is closed at once, so the test goes on.
inline bool OpensAMenu(const std::function<void()> &action)
{
    auto opened = std::make_shared<bool>(false);
    auto watch = std::make_unique<QTimer>();
    watch->setInterval(5);
    QObject::connect(watch.get(), &QTimer::timeout, [opened] {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            *opened = true;
            popup->close();
        }
    });
    watch->start();
    action();
    QTest::qWait(20);
    return *opened;
}

} // namespace testing_support
