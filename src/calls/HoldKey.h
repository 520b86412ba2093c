#pragma once
// The hold-to-send count of the two red distress keys (the own radio's and the second vessel's).
// A key must be held five seconds: the caption counts ":00", ":01 Seconds" ... ":04 Seconds" with a
// beep each second and ends on ":05" with one more beep. The count is a timed wait on the shared
// Timer5Second, so the release of the key is handled nested inside it, by the owner's release
// handler, which decides from the hold's own count of seconds what the press meant. That count is
// the key's own: a call whose wait is running when the key is let go restarts the shared
// SecondsCounter, and a hold that reached five seconds must still send the alert.
#include <QObject>
#include <functional>

class QPushButton;
struct Context;

class HoldKey : public QObject {
public:
    // Makes `key` a hold key. The key's pressed/released signals (mouse and Space alike) run
    // `mouseDown` and `mouseUp`, the owner's handlers, which call press() and release(). `beforeCount`
    // runs at every press before the count starts (hiding the key's nature list, ...). The key also
    // shows its caption word-wrapped from now on. The HoldKey lives as long as the key.
    static HoldKey* install(Context& c, QPushButton* key, std::function<void()> beforeCount,
                            std::function<void()> mouseDown, std::function<void()> mouseUp);
    // The HoldKey installed on `key`, or nullptr.
    static HoldKey* of(const QPushButton* key);

    // The hold count; returns when the key was let go or the five seconds have run out.
    void press();
    // Marks the key as let go, which ends a running count at once.
    void release();
    bool released() const { return released_; }
    // Whole seconds the latest hold counted, as the shared counter stood when its count ended:
    // 1 at the press, 5 from the fourth one-second step on (a full hold).
    int heldSeconds() const { return heldSeconds_; }
    static constexpr int kFullHoldSeconds = 5;

private:
    HoldKey(Context& c, QPushButton* key, std::function<void()> beforeCount);

    Context& c;
    QPushButton* key_;
    std::function<void()> beforeCount_;
    bool released_ = true;
    int heldSeconds_ = 0;
    quint64 presses_ = 0; // tells a press from a newer one given inside its wait
};

// Paints the button's caption word-wrapped and centred (for captions longer than the key is wide),
// following every later change of its text; text() stays as set.
void showCaptionWrapped(QPushButton* button);
