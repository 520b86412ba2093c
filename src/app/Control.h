#pragma once
// A running trainer driven from a script (--control): commands come in on standard input, one a
// line, and every command is answered on standard output with one line of JSON. The commands work
// the window the way a user does (mouse down and up on a control, keys to the focused control, a
// click on a list line), so a script can run several trainers side by side, follow a sequence as
// it runs and take pictures of the window.
//
// Commands (NAME is a control's objectName, searched in frmGMDSS first, then in the other
// windows; the keypad's keys are command1#1 ... command1#12; TEXT is the rest of the line):
//   click NAME            mouse down and up at the control's centre
//   press NAME            mouse down only
//   release NAME          mouse up only
//   hold NAME SECONDS     mouse down now, up after SECONDS on the trainer's clock; answered at the up
//   type NAME TEXT        focus to the control, then TEXT as keys
//   key KEY               one key (a QKeySequence name: F2, Return, Escape, Ctrl+A) to the focused control
//   choose NAME TEXT      a click on the list line TEXT, on the table row whose first cell is TEXT,
//                         or picking TEXT in a drop-down list
//   answer PATH           from now on the file and folder dialogs (Save WAV..., Save debriefs...)
//                         are not shown: they answer PATH
//   show NAME             the control's state (see below)
//   await NAME TEXT       the control's state as soon as its text or one of its lines contains TEXT
//   title                 frmGMDSS's window title
//   screenshot [NAME] FILE   the window (frmGMDSS by default) as a PNG file
//   quit                  closes frmGMDSS as its title bar does (power off, end of the program)
// Answers: {"reply":"ok","command":...} once the command has been carried out (for a mouse or key
// command: once its handler has returned, which may be after a long sequence; commands read in the
// meantime run inside that sequence, as a user's clicks do), {"reply":"error","command":...,
// "error":...}, and for show and await {"reply":"show"|"await","command":...,"name":...,"text":...,
// "lines":[...],"visible":...,"enabled":...,"background":"#rrggbb"}.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdio>
#include <list>
#include <memory>

class QJsonObject;
class QSocketNotifier;
class QTimer;
class QWidget;
struct Context;
namespace platform {
class Timer;
}

class ControlScript : public QObject {
public:
    // Reads commands from the file descriptor inputFd and answers on output.
    explicit ControlScript(Context& c, int inputFd = 0, std::FILE* output = stdout);
    ~ControlScript() override;

    // Carries out one command line and answers it.
    void execute(const QString& line);

private:
    struct Await {
        QString command;
        QPointer<QWidget> control;
        QString name;
        QString text;
        bool gone = false;  // answered once the text is no longer there
    };

    void readInput();
    void answer(const QJsonObject& reply);
    void answerOk(const QString& command);
    void answerError(const QString& command, const QString& error);
    QJsonObject state(const QString& reply, const QString& command, const QString& name, QWidget* w) const;
    void checkAwaits();

    QWidget* find(const QString& name) const;
    // The error that keeps a user from working the control, or an empty string.
    QString unreachable(const QString& name, QWidget* w) const;
    void hold(const QString& command, const QString& name, QWidget* w, double seconds);
    void choose(const QString& command, const QString& name, QWidget* w, const QString& text);
    void screenshot(const QString& command, const QString& args);

    Context& c;
    int inputFd_;
    std::FILE* output_;
    QSocketNotifier* notifier_ = nullptr;
    QByteArray pending_; // input not yet ended by a newline
    std::list<Await> awaits_;
    QTimer* awaitTimer_ = nullptr; // looks at the awaited controls while any are waiting
    std::list<std::unique_ptr<platform::Timer>> holds_; // the clock timers of running holds
};
