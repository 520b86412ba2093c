#pragma once
#include "core/Context.h"
#include "platform/FontsAhead.h"
#include "screens/ExamWindow.h"

#include <QApplication>
#include <QWidget>
#include <memory>

class ExamRun;
namespace screens {
class LessonsWindow;
class RadioLogWindow;
}

// The application object. Besides the usual work it gives the main window its key preview: every
// key-down anywhere on the window reaches the window's own handler first, then the focused control.
class TrainerApplication : public QApplication {
public:
    TrainerApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* e) override;

private:
    bool deliver(QObject* receiver, QEvent* e);
};

// The main window frmGMDSS. Closing it from the title bar runs the On/Off sequence, so that a
// changed screen mode is always restored.
class MainWindow : public QWidget {
public:
    explicit MainWindow(Context& ctx);
    void Form_KeyDown(int keyCode, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    Context& context() { return c; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    Context& c;
    bool closing_ = false;
};

// The faces of type the window shows on its first frame (frmGMDSS.ui), known before it is built so
// that their set-up can be worked out ahead.
const std::vector<platform::fontsAhead::Face>& windowFaces();

// Builds the whole trainer on the given services: the designed window, the timers, the
// subsystems, and runs the start-up procedure.
class Trainer {
public:
    explicit Trainer(Services services);
    ~Trainer();
    Context& context() { return *ctx_; }
    MainWindow* window() { return window_; }
    // The lessons window (the Lessons button), made now if it was not yet; showLessons() shows it
    // beside the radio.
    screens::LessonsWindow& lessonsWindow();
    void showLessons();
    // The radio log window (the Radio log key, Ctrl+L), made now if it was not yet; its entries go
    // into the lesson being recorded. showRadioLog() shows it beside the radio.
    screens::RadioLogWindow& radioLogWindow();
    void showRadioLog();
    // The mock exam's runner and its window, made now if they were not yet.
    ExamRun& examRun();
    // Draws the exam of the profile (a shipped one's name, or a file) from the seed and starts it
    // for the candidate; returns what stops it ("" when it runs).
    QString startExam(const QString& profileName, quint64 seed, const QString& candidate);
    // The exercise window's Mock exam key: asks which exam (askExam) and starts it; a problem is
    // told in a message.
    void chooseExam();
    // The shipped profiles' names and the login name in, the choice out: a dialog, unless replaced
    // (the tests do).
    std::function<std::optional<screens::ExamChoice>(const QStringList& profiles, const QString& candidate)> askExam;

private:
    void Form_Load();

    std::unique_ptr<Context> ctx_;
    MainWindow* window_ = nullptr;
    std::unique_ptr<screens::LessonsWindow> lessons_;
    std::unique_ptr<screens::RadioLogWindow> radioLog_;
    std::unique_ptr<screens::ExamWindow> examWindow_;
    std::unique_ptr<ExamRun> exam_;
};
