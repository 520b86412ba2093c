#pragma once
// Records the lesson of a run as it happens (the format: Lesson.h): the user's hand on the window
// (mouse, wheel, keys, the picks in drop-down lists), every DSC message on the air, with a picture
// of the window at each call the own radio sends, every spoken transmission with its words, verdicts
// and sound, and the exercises' results. Each line is
// flushed as it is written: a crash loses at most the line being written.
#include "lessons/Lesson.h"
#include "lessons/RadioLog.h"
#include "platform/Input.h"

#include <QFile>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

struct Context;
class QAbstractSlider;
namespace air {
struct VoiceTransmission;
}
class QComboBox;

namespace lessons {

// Tells when a lesson this process records ends (its end line written), whoever recorded it.
class LessonEnds : public QObject {
    Q_OBJECT
public:
    static LessonEnds& instance();
signals:
    void ended(const QString& path);
};

class Recorder : public platform::input::Watcher {
public:
    // Makes room in `folder` (see pruneFolder; a negative limit leaves that to the caller, who may
    // do it later), then starts a lesson there named by the local date and time, e.g.
    // 2026-12-06_10-00-00.jsonl. builtAtTick is the clock's tick when the
    // trainer was built (-1: now). When the folder or the file cannot be written: one warning on
    // standard error and nullptr; the trainer runs on unrecorded.
    static std::unique_ptr<Recorder> start(Context& c, const QString& folder, qint64 builtAtTick = -1,
                                           qint64 folderLimitBytes = kFolderLimitBytes);
    ~Recorder() override; // finish()
    // Writes the end line, stops recording and waits for the pictures and voice. The end of the program
    // through exit() does it too.
    void finish();

    QString path() const { return file_.fileName(); }
    bool recording() const { return file_.isOpen(); }
    // An exercise's result: task title, verdict, reason, seconds, or whatever the exercise says.
    void recordResult(const QJsonObject& result);
    // An entry the operator wrote in the radio log.
    void recordLogEntry(const LogEntry& entry);
    // Returns once the pictures and voice taken so far are on disk.
    void flushFiles() { files_.flush(); }

    bool before(QObject* receiver, QEvent* e, bool fromUser) override;
    void after(QObject* receiver, QEvent* e) override;

private:
    Recorder(Context& c, const QString& path);
    void write(QJsonObject line);
    void recordVoice(const air::VoiceTransmission& t);
    void watchChoices(QWidget* w);
    void recordInput(QWidget* w, QEvent* e);

    Context& c;
    QFile file_;
    bool failed_ = false;
    QObject connections_; // the recorder's signal connections go with it
    quint64 serial_;
    std::shared_ptr<Recorder*> self_; // for the air, which outlives no subscription of its own
    int sent_ = 0;                    // calls the own radio sent
    FileWriter files_;
    // Events being delivered to the open list of a drop-down or a menu, and to a held scroll bar's
    // timer (their effects are recorded as picks and steps).
    std::vector<const QEvent*> inPopup_;
    std::vector<std::pair<const QEvent*, QAbstractSlider*>> sliderTimers_;
};

} // namespace lessons
