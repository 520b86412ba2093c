#pragma once
// Builds the whole trainer on virtual time with the platform's test doubles, and drives it the way
// a trainee does: clicks, holds, typing, list choices, and actions scheduled in the middle of
// running waits.
#include "app/Trainer.h"
#include "platform/doubles/Doubles.h"
#include "core/Form.h"

#include <QColor>
#include <QListWidget>
#include <QString>
#include <functional>
#include <memory>

class Harness {
public:
    // 6 December 2026, 10:00:00 local time, unless the test says otherwise; the screen measures
    // screenSize pixels when the trainer starts.
    explicit Harness(QDateTime start = QDateTime(QDate(2026, 12, 6), QTime(10, 0, 0)),
                     QSize screenSize = QSize(1024, 768));
    ~Harness();

    platform::VirtualClock clock;
    platform::FakeSound sound{clock};
    platform::FakeMessageBox messages{clock};
    platform::FakeScreenMode screen;
    int programEnds = 0; // how often the program asked to end the process

    Context& c() { return trainer_->context(); }
    Ui::frmGMDSS& ui() { return *c().ui; }
    MainWindow* window() { return trainer_->window(); }
    Trainer& trainer() { return *trainer_; }

    // A control of the main window by its objectName (the first one of that name).
    QWidget* find(const QString& name) const;
    template <class T>
    T* find(const QString& name) const {
        return qobject_cast<T*>(find(name));
    }

    // A mouse click, as the trainee gives it: the control takes the focus first (so that a text
    // box losing it runs its check), then the press and release.
    void click(const QString& name);
    void click(QWidget* w);
    // Mouse button down / up alone (the hold keys). press() returns when the handler returns,
    // which for a hold key is after the release: schedule the release first, or use hold().
    void press(const QString& name);
    void release(const QString& name);
    // Presses a hold key and lets it go after ms milliseconds; returns when the release has been
    // handled (everything it started included), with the tick of the release.
    qint64 hold(const QString& name, qint64 ms);
    // The keyboard as the window system drives it: a key going down or up is delivered to the
    // control that has the keyboard focus, through the application (so the window's key preview
    // sees it). Auto-repeat events are the ones a key held down sends again and again.
    void keyDown(Qt::Key k, bool autoRepeat = false);
    void keyUp(Qt::Key k, bool autoRepeat = false);
    // Tabs to the control (gives it the keyboard focus), holds key k down for ms milliseconds and
    // lets it go; returns when the release has been handled, with the tick of the release, like
    // hold(). With repeatMs > 0 the held key auto-repeats as a keyboard does: from
    // kAutoRepeatDelayMs after the press on, every repeatMs an auto-repeat release and press.
    static constexpr int kAutoRepeatDelayMs = 500;
    qint64 holdKey(const QString& name, Qt::Key k, qint64 ms, int repeatMs = 0);
    // Gives the control the focus and types the text / one key into it.
    void type(const QString& name, const QString& text);
    void key(const QString& name, Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier);
    // Clicks the item in row `row` of a list.
    void chooseItem(const QString& list, int row);
    void chooseItem(const QString& list, const QString& itemText);
    // Picks an item of a drop-down list.
    void chooseCombo(const QString& combo, int index);
    void chooseCombo(const QString& combo, const QString& itemText);

    // The channel knob: one arrow click up (+1) or down (-1); stepping up until the display shows a
    // designator such as "22A" (false when it never does).
    void stepKnob(int direction);
    bool tuneTo(const QString& designator);
    // The channel on the display: lblChannel, with "A" when lblA is shown.
    QString designator() const;
    // Menu, then the item of the menu list.
    void openMenuItem(const QString& item);

    qint64 now() const { return clock.tickMs(); }
    // Runs the action when virtual time reaches now + ms (inside whatever wait is running then).
    void after(qint64 ms, std::function<void()> action) { clock.at(clock.tickMs() + ms, std::move(action)); }
    void at(qint64 tickMs, std::function<void()> action) { clock.at(tickMs, std::move(action)); }
    void advance(qint64 ms) { clock.advance(ms); }

    QString text(const QString& name) const; // caption of a label/button, text of a text box
    bool visible(const QString& name) const; // the control's own Visible setting
    QColor back(const QString& name) const;
    QColor fore(const QString& name) const;
    QStringList items(const QString& list) const;
    int beepCount() const { return static_cast<int>(sound.beeps.size()); }
    // Plays of a cue file started at or after fromMs; beeps in [fromMs, toMs).
    int playsOf(const QString& file, qint64 fromMs = 0) const;
    int beepsBetween(qint64 fromMs, qint64 toMs) const;

private:
    std::unique_ptr<Trainer> trainer_;
};
