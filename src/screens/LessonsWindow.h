#pragma once
// The lessons window, beside the radio: the lessons recorded in the lessons folder, newest first,
// each with its date and time, length, exercise, and the calls and transmissions the trainee made;
// the folder's size against its limit; and the keys to replay a lesson, write its debrief and
// delete it. Opened by the main window's Lessons button; made on first use, only hidden when
// closed. It reads the folder again each time it is shown and when a lesson ends.
#include "lessons/Lesson.h"
#include "screens/ToolWindow.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

struct Context;
class QLabel;
class QPushButton;
class QShowEvent;
class QTableWidget;

namespace screens {

class LessonsWindow : public ToolWindow {
    Q_OBJECT
public:
    // The columns of the list.
    enum Column { When, Length, Exercise, Calls, Transmissions, ColumnCount };

    explicit LessonsWindow(Context& c);

    // The folder listed: the one this run's lesson is recorded in (or was), else the user's.
    QString folder() const;
    // Reads the folder again; the chosen lesson stays chosen while it is there.
    void refresh();
    // The chosen lesson's file; empty when none is chosen.
    QString chosen() const;

    // Plays the chosen lesson back as --replay does: the program again, in a window of its own.
    void replay();
    // Asks where, then writes the chosen lesson's debrief as --debrief does.
    void debrief();
    // Deletes the chosen lesson with its pictures and voice, once the user has said yes.
    void remove();

    // Where the debrief goes; an empty answer writes nothing. The file dialog, unless replaced
    // (the tests do).
    std::function<QString()> askDebriefPath;
    // Starts the program with these arguments; false when it cannot be started. The program
    // itself, detached, unless replaced (the tests do).
    std::function<bool(const QStringList&)> startProgram;

    QTableWidget* list;      // lstLessons
    QLabel* folderSize;      // lblLessonsFolder: the folder's size against its limit
    QLabel* status;          // lblLessonsStatus: what the last key did
    QPushButton* replayKey;  // cmdLessonReplay
    QPushButton* debriefKey; // cmdLessonDebrief
    QPushButton* deleteKey;  // cmdLessonDelete
    QPushButton* close;      // cmdLessonsClose

protected:
    void showEvent(QShowEvent* e) override;

private:
    const lessons::LessonFiles* chosenFiles() const;
    bool isRecording(const QString& path) const;
    void say(const QString& text);

    Context& c;
    mutable QString folder_;
    std::vector<lessons::LessonFiles> rows_; // in the list's order
};

// The file dialog that asks where a debrief goes (HTML, or PDF by the name's ending).
QString askDebriefFile(QWidget* parent);
// Writes the debrief of the lesson at `lesson` to `out` as --debrief does, once the pictures and
// voice of this run's lesson are on disk; returns what happened in words.
QString writeDebriefSaying(Context& c, const QString& lesson, const QString& out);

} // namespace screens
