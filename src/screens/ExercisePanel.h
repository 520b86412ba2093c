#pragma once
// The exercise window, beside the radio: the exercises that come with the trainer (a double click
// or Return starts one), the exercise's title and briefing, its tasks with each
// one's result (open, done, or wrong and why) and time, the score at the end, and the keys to open
// an exercise file and to stop. Opened by the main window's Exercises button and by --exercise;
// created on first use, only hidden when closed.
#include <QString>
#include "screens/ToolWindow.h"

#include <QWidget>

#include <functional>
#include <memory>

struct Context;
class QCloseEvent;
class QKeyEvent;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTreeWidget;
namespace lessons {
class ExerciseRun;
}

namespace screens {

// The window's controls; what they do is ExercisePanel's business.
class ExerciseWindow : public ToolWindow {
    Q_OBJECT
public:
    explicit ExerciseWindow(QWidget* parent = nullptr);

    QTreeWidget* shipped;     // lstExercises: the exercises that come with the trainer
    QLabel* title;            // lblExerciseTitle
    QPlainTextEdit* briefing; // txtExerciseBriefing
    QTableWidget* tasks;      // lstExerciseTasks
    QLabel* score;            // lblExerciseScore: the score, how far the trainee is, or a file's problem
    QPushButton* open;        // cmdExerciseOpen
    QPushButton* stop;        // cmdExerciseStop
    QPushButton* debrief;     // cmdExerciseDebrief
    QPushButton* exam;        // cmdExerciseExam: sits a mock exam
    QPushButton* close;       // cmdExerciseClose

};

} // namespace screens

class ExercisePanel {
public:
    // The columns of the task list.
    enum Column { Number, Task, Result, Time, ColumnCount };

    explicit ExercisePanel(Context& ctx);
    ~ExercisePanel();
    // Listens to the main window's Exercises button, and the exercise run to the air. Call once the
    // air exists.
    void wire();

    // Shows the window (made now if it was never shown) in front, beside the main window.
    void show();
    // Loads the exercise file and starts it, with the window shown; returns the file's problem ("" when
    // it runs), which the window shows too.
    QString open(const QString& path);
    void stop();

    // The exercise file to open; an empty answer opens nothing. The file dialog, unless replaced
    // (the tests do).
    std::function<QString()> askOpenPath;
    // Writes the debrief of the lesson recorded so far to outPath (HTML, or PDF for a .pdf name);
    // returns what happened in words.
    QString debrief(const QString& outPath);
    // Where the Debrief button writes it; an empty answer writes nothing.
    std::function<QString()> askDebriefPath;
    // What the Mock exam key does: the trainer asks which exam and starts it.
    std::function<void()> onExam;

    screens::ExerciseWindow* window() const { return window_.get(); }
    lessons::ExerciseRun& run() { return *run_; }

private:
    void make();
    void refresh();
    void describeLabels();
    void chooseAndOpen();

    Context& c;
    std::unique_ptr<lessons::ExerciseRun> run_;
    std::unique_ptr<screens::ExerciseWindow> window_;
    QString problem_; // the last file's problem, shown until the next open
    QString folder_;  // where the file dialog opens
};
