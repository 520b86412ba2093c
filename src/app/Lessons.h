#pragma once
// Lessons on the command line. Every ordinary run records its lesson in the user's data folder
// (lessons/Recorder.h); two options take the run over instead:
//   --replay FILE [--speed N|max] [--quit-at-end]
//       plays the lesson back on the window, on a virtual clock: at --speed 1 (the default) it
//       keeps pace with the wall clock, N times as fast at --speed N, as fast as it goes at
//       --speed max (or 0). When the lesson is over the window stays, and the trainer goes on
//       at the wall clock's pace for whoever wants to carry on; --quit-at-end ends the program
//       instead, with status 0, or 1 when the replay stopped early (a damaged line: the reason
//       goes to standard error). A replay is not itself recorded; it draws the pictures of the
//       calls that the lesson's folder lacks. Each press of the talk key speaks what the lesson
//       keeps of the trainee's voice then; once the lesson is over the microphone is the sound
//       server's input.
//   --debrief LESSON OUT
//       writes the lesson's debrief, HTML, or PDF when OUT ends in .pdf; needs no display.
//   --exam-sheet RECORD OUT
//       writes the examiner's sheet of a mock exam's result record (exam/Sheet.h), HTML or PDF
//       likewise; a record changed since it was written, or without its hash, gets none (status 1).
#include <QCommandLineOption>
#include <QString>
#include <QStringList>
#include <optional>

class QCommandLineParser;

class LessonOptions {
public:
    // Adds the options above to the parser (--speed is the program's own).
    explicit LessonOptions(QCommandLineParser& parser);
    // Parses `arguments`; with --replay, --debrief or --exam-sheet carries it out and returns the exit status.
    // Otherwise returns nothing, and the trainers of this process record their lessons.
    std::optional<int> run(const QStringList& arguments, int& argc, char** argv);

private:
    int replay(const QString& path, double speed, bool quitAtEnd, int& argc, char** argv);
    static int debrief(const QString& lesson, const QString& out, int& argc, char** argv);
    static int examSheet(const QString& record, const QString& out, int& argc, char** argv);

    QCommandLineParser& parser_;
    QCommandLineOption replay_, quitAtEnd_, debrief_, examSheet_;
};

// Whether the trainers this process builds record their lessons: off until main asks (tests turn a
// recorder on themselves).
bool recordsLessons();
void setRecordsLessons(bool on);

// Says what is wrong with the command line on standard error, with a pointer to --help, and gives
// the exit status for it (2).
int usageError(const QString& text);
