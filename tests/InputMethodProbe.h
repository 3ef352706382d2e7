#pragma once
// What an input method learns when it asks the focused window, as the
// toolkit's input methods ask before they take the keys: whether it may come
// in, and the window's hints.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethodQueryEvent>

namespace testing_support {

struct TInputMethodAnswer {
    bool enabled = false;
    Qt::InputMethodHints hints;
    bool PrefersNumbers() const { return hints.testFlag(Qt::ImhPreferNumbers); }
    bool PrefersLatin() const { return hints.testFlag(Qt::ImhPreferLatin); }
};

inline TInputMethodAnswer AskFocusedWindow()
{
    QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImHints);
    QObject *focus = QGuiApplication::focusObject();
    if (!focus)
        return {};
    QCoreApplication::sendEvent(focus, &query);
    return {query.value(Qt::ImEnabled).toBool(), Qt::InputMethodHints(query.value(Qt::ImHints).toInt())};
}

} // namespace testing_support
