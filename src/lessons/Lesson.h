#pragma once
// A lesson: everything a run of the trainer saw the user do and heard on the air, one JSON object
// a line, written as it happened (see Recorder), played back on the window (Player) and told in
// words (Debrief). Every line has its kind and "t", the trainer clock's tick in milliseconds:
//
//   {"kind":"lesson","format":1,"program":"vhf-dsc-trainer 3.0","start":"2026-12-06T10:00:00.000",
//    "tick":0,"screen":"1024x768"}                       the first line: start is the local time at tick 0
//   {"t":..,"kind":"mouse","event":"press"|"release"|"double"|"move","control":PATH,"x":..,"y":..,
//    "button":1,"buttons":1[,"mods":..][,"label":..]}     a mouse button, or a move with a button held
//   {"t":..,"kind":"wheel","control":PATH,"x":..,"y":..,"dx":..,"dy":..[,"buttons":..][,"mods":..]}
//   {"t":..,"kind":"key","event":"press"|"release","control":PATH,"key":..,"text":..[,"mods":..]
//    [,"repeat":true][,"label":..]}                       to the control that had the keyboard focus
//   {"t":..,"kind":"choose","control":PATH,"index":..,"text":..}   an item picked in a drop-down's open list
//   {"t":..,"kind":"step","control":PATH,"action":..,"position":..}  a held scroll bar's repeated step
//   {"t":..,"kind":"close-popup"}                         an open list or menu closed without a pick
//   {"t":..,"kind":"message","direction":"sent"|"received"|"heard"|"receiver","number":..,"time":"10:00:05",
//    "category":..,"symbols":"120 120 ...","words":..[,"error":..][,"picture":"NAME-1.png"]}
//   {"t":..,"kind":"voice","direction":"sent"|"received"|"not heard","number":..,"time":"10:00:05",
//    "keyed":..,"ms":..,"channel":"16","power":"25W","from":MMSI,"name":"Kelpo","words":..,
//    "procedure":"mayday","verdicts":[{"element":"position","ok":false,"text":"no position given"
//    [,"unclear":true]},..][,"audio":"NAME-voice-1.opus"]}  a spoken transmission as it went on the air:
//                                                         keyed is the tick its key went down, ms its length;
//                                                         received: the own radio heard it, not heard: it
//                                                         was tuned elsewhere or transmitting; an element
//                                                         "unclear" was not heard clearly enough to judge
//                                                         (older lessons have no "unclear": all were judged)
//   {"t":..,"kind":"result","result":{...}}               an exercise's result, as the exercise gives it
//   {"t":..,"kind":"log","entry":{...}}                   an entry added to the radio log (RadioLog.h)
//   {"t":..,"kind":"end"}                                 the run ended
//
// PATH names a control from its window down by objectName, e.g. "frmGMDSS/cmdCall" or
// "frmGMDSS/lstCall/qt_scrollarea_viewport"; positions are in the control's own pixels. The picture
// of each call the own radio sends lies beside the lesson as NAME-N.png, the sound of each spoken
// transmission as NAME-voice-N.opus (N its number on the air; Opus, 16 kHz mono). Format 1 is the
// same without voice lines.
#include <QDateTime>
#include <QFile>
#include <QJsonObject>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QImage;
class QWidget;

namespace air {
struct VoiceVerdict;
}

namespace lessons {

// The lesson format this program writes and reads. A lesson of a newer format is not played.
inline constexpr int kFormat = 2;
// What the lessons folder may hold, lessons with their pictures and voice together; the oldest go first.
inline constexpr qint64 kFolderLimitBytes = 50LL * 1024 * 1024;
inline constexpr char kSuffix[] = ".jsonl";

// $XDG_DATA_HOME/vhf-dsc-trainer/lessons (~/.local/share/... by default).
QString defaultFolder();
// A lesson in a folder with the files beside it (pictures, voice), and what they take together.
struct LessonFiles {
    QString name;      // the lesson's file name without ".jsonl": its start time
    qint64 bytes = 0;
    QStringList files; // the lesson's own file first
};
// The lessons in `folder`, oldest first (by name, which is their start time).
std::vector<LessonFiles> lessonsIn(const QString& folder);
// Removes the lesson and the files beside it; false when one of them could not be removed.
bool removeLesson(const QString& folder, const LessonFiles& lesson);
// Removes the oldest lessons, each with its pictures and voice, until the lessons and the files
// beside them in `folder` take at most limitBytes. Lessons are named by their start time, so the oldest sorts first.
// Returns the names of the lessons removed.
QStringList pruneFolder(const QString& folder, qint64 limitBytes);
// The picture of the n-th call (1, 2, ...) the own radio sent in the lesson at lessonPath.
QString picturePath(const QString& lessonPath, int n);
// The sound of the spoken transmission numbered n (1, 2, ...) on the air of that lesson.
QString voicePath(const QString& lessonPath, int n);
// The verdicts of a "voice" line, as they were on the air (an older lesson's are never unclear).
QList<air::VoiceVerdict> voiceVerdicts(const QJsonObject& voiceLine);

// A control's path from its window down: each step its objectName (its class name when it has
// none), "#i" for a key of a control array (its "index"), "[k]" for the k-th of siblings that
// share a name.
QString controlPath(const QWidget* w);
// The control at that path now, or nullptr. Of several windows of one name, a shown one.
QWidget* findControl(const QString& path);
// What the user sees of the control at pos, for the words of a debrief: "Call", "'Routine' in
// the Call list".
QString controlLabel(const QWidget* w, QPointF pos);

// What the first line tells.
struct Header {
    int format = 0;
    QString program;
    QDateTime start; // local time at tick 0
    qint64 tick = 0; // when the trainer was built
    QSize screen;
};

// One line read back.
struct Entry {
    int line = 0;
    qint64 t = 0;
    QString kind;
    QJsonObject json;
};

// Reads a lesson line by line, checking each line as it comes. A damaged line (not JSON, a field
// missing or of the wrong type, a kind this format does not have) ends the reading; error() then
// says where and why, as "lesson.jsonl line 42: not a JSON object".
class Reader {
public:
    explicit Reader(const QString& path);
    // Opens the file and reads the first line; false (see error()) when it is no lesson this
    // program can read.
    bool open();
    const Header& header() const { return header_; }
    // The next line; false at the end of the lesson or at a damaged line.
    bool next(Entry& entry);
    const QString& error() const { return error_; }
    QString fileName() const; // without its folder
    QString path() const { return file_.fileName(); }

private:
    bool fail(int line, const QString& why);

    QFile file_;
    Header header_;
    int line_ = 0;
    QString error_;
};

// Writes the files beside a lesson (PNG pictures, Opus voice) on a thread of its own, so that the
// window does not wait for the encoders.
class FileWriter {
public:
    FileWriter();
    ~FileWriter(); // writes what is left
    // Each waits while kMaxWaiting files are waiting already.
    void writePicture(QImage image, const QString& path);
    void writeVoice(std::vector<qint16> audio, const QString& path); // 16 kHz mono
    static constexpr size_t kMaxWaiting = 3;
    // Returns once every file handed in so far is written.
    void flush();

private:
    void add(std::function<void()> job);
    void run();
    std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::deque<std::function<void()>> jobs_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace lessons
