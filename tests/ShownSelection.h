#pragma once
// What an edit's window shows of its selection, for tests of how the
// selection looks with and without the focus.
#include "platform/kernel/QtControls.h"

#include <QImage>
#include <QPalette>
#include <QWidget>

namespace testing_support {

// Pixels of the control's window painted in the selection colour of a focused edit.
inline int SelectionPixels(TWinControl &edit)
{
    QWidget *window = edit.Link()->Widget();
    const QRgb selection = window->palette().color(QPalette::Active, QPalette::Highlight).rgb();
    const QImage image = window->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == selection;
    return count;
}

} // namespace testing_support
