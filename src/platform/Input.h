#pragma once
// The user's input as the window system gives it, made by the program itself: whoever stands in
// for the user (a control script, a replayed lesson) works the window through these, so that the
// controls see the same events in the same order as from a real mouse and keyboard. And the watch
// on every event the application delivers, for whoever records or steers that input.
#include <QEvent>
#include <QPointF>
#include <QString>

class QComboBox;
class QObject;
class QWidget;

namespace platform::input {

// The mouse as the window system drives it: button `button` goes down or up (or the mouse moves,
// or a double click) at pos, in w's own coordinates, with `buttons` held after the event.
void sendMouse(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButton button = Qt::LeftButton,
               Qt::MouseButtons buttons = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier);
// The wheel turned over w at pos by angleDelta (eighths of a degree).
void sendWheel(QWidget* w, QPointF pos, QPoint angleDelta, Qt::MouseButtons buttons = Qt::NoButton,
               Qt::KeyboardModifiers mods = Qt::NoModifier);
// A click brings the control's window to the front with the keyboard, as a window manager does;
// without it no control of that window would see its focus come and go.
void activateWindowOf(QWidget* w);
// What the window system does with a press (or a turn of the wheel, `policy` Qt::WheelFocus) on
// w: the first control from w up to its window that takes the focus that way gets it (so that a
// text box losing it runs its check first), unless one on the way already has it.
void giveFocusAsClickDoes(QWidget* w, QPointF pos, Qt::FocusPolicy policy = Qt::ClickFocus);
// The mouse button goes down on the control: its window comes to the front, the focus goes where
// a click puts it, then the control sees the press.
void mouseDown(QWidget* w, QPointF pos, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers mods = Qt::NoModifier);

// One key event to w, as the keyboard sends it to the control with the focus.
void sendKey(QWidget* w, QEvent::Type type, int key, Qt::KeyboardModifiers mods, const QString& text,
             bool autoRepeat = false);
// A key going down and up.
void tapKey(QWidget* w, int key, Qt::KeyboardModifiers mods, const QString& text);
// The text a key types, as a keyboard gives it: Backspace is character 8, Return a carriage return.
QString keyText(int key, Qt::KeyboardModifiers mods);
// The key code of a typed character: Qt's codes for Latin-1 are the upper-case characters.
int keyOf(QChar ch);

// What picking an item in a drop-down list's open choices does: the choices close, the item
// becomes the chosen one, then the two signals of a pick. While they run, comboBeingPicked() is box.
void pickComboItem(QComboBox* box, int index);
const QComboBox* comboBeingPicked();

// Sees every event the application delivers, before and after; the application object calls
// beforeEvent() and afterEvent() around each. Watchers are told in the order they started.
class Watcher {
public:
    virtual ~Watcher();
    // `fromUser` tells an input event the user gave (through the window system, or through the
    // functions above) from one the program or Qt made or passed on. True swallows the event: it
    // is not delivered.
    virtual bool before(QObject* receiver, QEvent* e, bool fromUser) = 0;
    // After the event was delivered or swallowed; called for every before().
    virtual void after(QObject* receiver, QEvent* e) { Q_UNUSED(receiver) Q_UNUSED(e) }

protected:
    void startWatching();
    void stopWatching();
};

// True when the event is to be swallowed.
bool beforeEvent(QObject* receiver, QEvent* e);
void afterEvent(QObject* receiver, QEvent* e);

} // namespace platform::input
