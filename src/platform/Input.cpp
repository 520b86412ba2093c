#include "platform/Input.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace platform::input {

namespace {

// The event the functions below are sending right now, until the application has seen it once:
// the user's own, although not spontaneous. A control that passes it on to another sends the same
// event again; that second delivery is the program's.
const QEvent* gSending = nullptr;
const QComboBox* gPicking = nullptr;
std::vector<Watcher*> gWatchers;

bool send(QWidget* w, QEvent* e) {
    gSending = e;
    const bool handled = QApplication::sendEvent(w, e);
    if (gSending == e) gSending = nullptr;
    return handled;
}

} // namespace

void sendMouse(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers mods) {
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, buttons, mods);
    send(w, &e);
}

void sendWheel(QWidget* w, QPointF pos, QPoint angleDelta, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
    QWheelEvent e(pos, w->mapToGlobal(pos), QPoint(), angleDelta, buttons, mods, Qt::NoScrollPhase, false);
    send(w, &e);
}

void activateWindowOf(QWidget* w) {
    QWidget* top = w->window();
    if (QApplication::activeWindow() == top) return;
    top->activateWindow();
    QApplication::setActiveWindow(top);
}

void giveFocusAsClickDoes(QWidget* w, QPointF pos, Qt::FocusPolicy policy) {
    // Qt's own rule for a press that comes from the window system (QApplication gives the focus so
    // only to spontaneous events).
    QPointF local = pos;
    for (QWidget* f = w; f; f = f->parentWidget()) {
        if (f->isEnabled() && f->rect().contains(local.toPoint()) && (f->focusPolicy() & policy) == policy) {
            f->setFocus(Qt::MouseFocusReason);
            return;
        }
        if (f->isWindow()) return;
        const QWidget* proxy = f->focusProxy() ? f->focusProxy() : f;
        if (proxy->hasFocus()) return;
        local += f->pos();
    }
}

void mouseDown(QWidget* w, QPointF pos, Qt::MouseButton button, Qt::KeyboardModifiers mods) {
    activateWindowOf(w);
    QPointer<QWidget> target(w);
    giveFocusAsClickDoes(w, pos);
    // Losing the focus may have run a check that took the control away.
    if (target) sendMouse(target, QEvent::MouseButtonPress, pos, button, button, mods);
}

void sendKey(QWidget* w, QEvent::Type type, int key, Qt::KeyboardModifiers mods, const QString& text,
             bool autoRepeat) {
    QKeyEvent e(type, key, mods, text, autoRepeat);
    send(w, &e);
}

void tapKey(QWidget* w, int key, Qt::KeyboardModifiers mods, const QString& text) {
    QPointer<QWidget> target(w);
    sendKey(w, QEvent::KeyPress, key, mods, text);
    if (target) sendKey(target, QEvent::KeyRelease, key, mods, text);
}

QString keyText(int key, Qt::KeyboardModifiers mods) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return QStringLiteral("\r");
    case Qt::Key_Backspace: return QStringLiteral("\b");
    case Qt::Key_Tab: return QStringLiteral("\t");
    case Qt::Key_Escape: return QStringLiteral("\x1b");
    case Qt::Key_Delete: return QStringLiteral("\x7f");
    case Qt::Key_Space: return QStringLiteral(" ");
    default: break;
    }
    if (key <= Qt::Key_Space || key > 0xff || (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return {};
    const QChar ch(key);
    return QString(mods & Qt::ShiftModifier ? ch : ch.toLower());
}

int keyOf(QChar ch) {
    if (ch == QLatin1Char(' ')) return Qt::Key_Space;
    const char16_t upper = ch.toUpper().unicode();
    return upper > 0x20 && upper <= 0xff ? upper : Qt::Key_unknown;
}

void pickComboItem(QComboBox* box, int index) {
    const QComboBox* outer = gPicking;
    gPicking = box;
    QPointer<QComboBox> guard(box);
    box->hidePopup();
    box->setCurrentIndex(index);
    if (guard) emit box->activated(index);
    if (guard) emit box->textActivated(box->itemText(index));
    gPicking = outer;
}

const QComboBox* comboBeingPicked() { return gPicking; }

Watcher::~Watcher() { stopWatching(); }

void Watcher::startWatching() {
    if (std::find(gWatchers.begin(), gWatchers.end(), this) == gWatchers.end()) gWatchers.push_back(this);
}

void Watcher::stopWatching() { gWatchers.erase(std::remove(gWatchers.begin(), gWatchers.end(), this), gWatchers.end()); }

bool beforeEvent(QObject* receiver, QEvent* e) {
    if (gWatchers.empty()) return false;
    const bool fromUser = e->spontaneous() || e == gSending;
    if (e == gSending) gSending = nullptr;
    bool swallow = false;
    // By index: a watcher may stop watching while it is told.
    for (size_t i = 0; i < gWatchers.size(); ++i) swallow = gWatchers[i]->before(receiver, e, fromUser) || swallow;
    return swallow;
}

void afterEvent(QObject* receiver, QEvent* e) {
    for (size_t i = 0; i < gWatchers.size(); ++i) gWatchers[i]->after(receiver, e);
}

} // namespace platform::input
