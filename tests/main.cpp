#include <gtest/gtest.h>

#include "platform/services/DesktopServices.h"

#include <QApplication>
#include <cstdlib>

// Every test runs headless; a QApplication exists for the whole run so that
// widgets, fonts and painters can be made by any test.
int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    InstallDesktopServices();
    return RUN_ALL_TESTS();
}
