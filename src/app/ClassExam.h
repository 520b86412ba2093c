#pragma once
// A mock exam for the whole class, through the classroom link. The instructor starts it from the
// Class stations window (a profile, one seed for all or one each); every trainee online gets it on
// its trainer, which runs it with its own exam runner (ExamRun) as the named candidate and sees
// only its own cards. Each trainee's progress comes back as it changes, and at the end its result
// record with the sounds of its review flags, kept in the instructor's folder
// (<folder>/<exam>/<MMSI>/). There the instructor listens to a flag's sound, overrides an
// attempt's mark with a written reason (the record sealed again), and saves every trainee's
// examiner's sheet, record and one CSV table for the school.
#include "classroom/ExamMessages.h"
#include "screens/ClassExamPanel.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

struct Context;
class ExamRun;
namespace classroom {
class Link;
}

// The trainer's own exam runner as the class reaches it: made by the trainer as a child of its
// window, found there by the class.
class ExamDoor : public QObject {
    Q_OBJECT
public:
    explicit ExamDoor(QObject* window);
    static ExamDoor* of(QObject* window);
    // Starts an exam drawn from the profile (a shipped name) and seed; returns what stops it.
    std::function<QString(const QString& profile, quint64 seed, const QString& candidate)> start;
    // The runner, once made.
    std::function<ExamRun*()> run;
};

class ClassExam : public QObject {
public:
    // `panel` is the instructor's (null on a trainee's trainer).
    ClassExam(Context& c, classroom::Link& link, screens::ClassExamPanel* panel, QObject* parent);

    // The instructor's side. Returns what went wrong, or "".
    QString start(const screens::ClassExamPanel::Choice& choice);
    QString overrideMark(const QString& mmsi, int card, int attempt, const QString& mark, const QString& reason);
    // Writes <folder>/results.csv and, for each trainee, <folder>/<MMSI>/ with its record, the
    // record's sounds and its sheet (sheet.html); returns the files written, or why not.
    dscwire::Result<QStringList> saveResults(const QString& folder) const;
    // Where the trainees' records go (made as needed).
    void setFolder(const QString& folder) { folder_ = folder; }
    QString recordPath(const QString& mmsi) const { return records_.value(mmsi); }
    QString examId() const { return exam_; }
    // A trainee's radio keeps its class MMSI through a class exam: the MMSI a card sets up is for
    // a single seat (two trainees under one MMSI could not both stay in the class).
    bool keepsMmsi() const { return run_ && !exam_.isEmpty(); }

private:
    void startReceived(const classroom::ExamStart& start);
    void hook(ExamRun* run);
    void progressed();
    void keepClassMmsi();
    void finished(const QString& recordPath);
    void recordReceived(const QString& mmsi, const classroom::ExamRecordFiles& files);
    void play(const QString& soundPath);

    Context& c;
    classroom::Link& link_;
    QPointer<screens::ClassExamPanel> panel_;
    QString folder_;
    QString exam_;                  // the exam started (instructor) or running here (trainee)
    QMap<QString, QString> records_; // trainee's MMSI -> its record in the folder
    ExamRun* run_ = nullptr;        // the runner this trainer's class exam runs on
};
