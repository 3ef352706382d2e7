#include "platform/widgets/QtEditLook.h"

#include <QPalette>
#include <QWidget>

void HideSelectionWithoutFocus(QWidget &edit)
{
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Inactive, QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Inactive, QPalette::Text));
    edit.setPalette(palette);
}
