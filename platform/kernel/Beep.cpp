#include "platform/kernel/Beep.h"

#include <QApplication>

namespace {
int gBeeps = 0;
}

void MessageBeep(unsigned)
{
    ++gBeeps;
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::beep();
}

int MessageBeepCount() { return gBeeps; }
