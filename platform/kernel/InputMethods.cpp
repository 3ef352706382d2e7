// The input-method mode of windowed controls and the ASCII forms of numbers
// typed with an input method on.
#include "platform/kernel/QtControls.h"
#include "platform/core/SysUtils.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>

#include <cctype>

namespace {

bool KeepsInputMethodOut(TImeMode mode)
{
    return mode == imDisable || mode == imClose;
}

// A changed mode reaches the input method at once when the window has the focus.
void TellInputMethod(const TWinControl &control)
{
    if (control.HandleAllocated() && control.Link()->Widget()->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

// The key an ASCII character is typed with.
int KeyOf(char c)
{
    return std::toupper(static_cast<unsigned char>(c));
}

} // namespace

void TWinControl::SetImeMode(TImeMode mode)
{
    if (mode == imeMode_)
        return;
    imeMode_ = mode;
    TellInputMethod(*this);
}

void TWinControl::SetNumericInput(bool numeric)
{
    if (numeric == numericInput_)
        return;
    numericInput_ = numeric;
    TellInputMethod(*this);
}

bool TWidgetLink::AnswerInputMethodQuery(QObject *watched, QEvent *event)
{
    const TImeMode mode = control_->ImeMode();
    const bool numeric = control_->NumericInput();
    if (mode == imDontCare && !numeric)
        return false;
    watched->event(event);
    auto *query = static_cast<QInputMethodQueryEvent *>(event);
    if ((query->queries() & Qt::ImEnabled) && KeepsInputMethodOut(mode))
        query->setValue(Qt::ImEnabled, false);
    if (query->queries() & Qt::ImHints) {
        auto hints = static_cast<Qt::InputMethodHints>(query->value(Qt::ImHints).toInt());
        if (KeepsInputMethodOut(mode))
            hints |= Qt::ImhPreferLatin | Qt::ImhNoPredictiveText;
        if (numeric)
            hints |= Qt::ImhPreferNumbers | Qt::ImhNoPredictiveText;
        query->setValue(Qt::ImHints, static_cast<int>(hints));
    }
    return true;
}

bool TWidgetLink::ResendHalfWidth(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const std::string text = StdStr(key->text());
        const std::string ascii = HalfWidthForms(text);
        if (ascii == text)
            return false;
        const int code = ascii.size() == 1 ? KeyOf(ascii[0]) : key->key();
        QKeyEvent again(QEvent::KeyPress, code, key->modifiers(), QStr(ascii), key->isAutoRepeat(),
                        static_cast<quint16>(key->count()));
        QCoreApplication::sendEvent(watched, &again);
        return true;
    }
    auto *input = static_cast<QInputMethodEvent *>(event);
    const std::string text = StdStr(input->commitString());
    const std::string ascii = HalfWidthForms(text);
    if (ascii == text)
        return false;
    QInputMethodEvent again(input->preeditString(), input->attributes());
    again.setCommitString(QStr(ascii), input->replacementStart(), input->replacementLength());
    QCoreApplication::sendEvent(watched, &again);
    return true;
}
