#include "platform/Application.h"

#include <QApplication>
#include <QMainWindow>
#include <memory>

namespace {
std::unique_ptr<QApplication> gQtApp;
}

TApplication &Application()
{
    static TApplication application;
    return application;
}

void TApplication::Initialize(int &argc, char **argv)
{
    if (!QApplication::instance())
        gQtApp = std::make_unique<QApplication>(argc, argv);
}

int TApplication::Run()
{
    QMainWindow window;
    window.setWindowTitle(QString::fromStdString(title_));
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
