// Where the keyboard's focus is, by the names the tests write controls with, and Tab pressed.
#pragma once

#include "harness/Harness.h"

#include <QApplication>
#include <QString>
#include <QWidget>

// A control as the tests write it: its objectName, and "#index" for the keypad keys, which
// all share the name command1.
inline QString idOf(const QWidget* w) {
    const QVariant index = w->property("index");
    return index.isValid() ? QStringLiteral("%1#%2").arg(w->objectName()).arg(index.toInt()) : w->objectName();
}

inline QString focusId() {
    QWidget* w = QApplication::focusWidget();
    return w ? idOf(w) : QStringLiteral("(none)");
}

inline void pressTab(Harness& h, bool forward) {
    const Qt::Key k = forward ? Qt::Key_Tab : Qt::Key_Backtab;
    h.keyDown(k);
    h.keyUp(k);
}
