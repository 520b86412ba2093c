#include "lessons/Lesson.h"

#include "air/Voice.h"
#include "platform/AudioFile.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QStandardPaths>
#include <QWidget>
#include <algorithm>
#include <map>
#include <vector>

namespace lessons {

QString defaultFolder() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base + QStringLiteral("/vhf-dsc-trainer/lessons");
}

namespace {
// A file beside the lesson: its name without ".jsonl", then `ending`.
QString besideLesson(const QString& lessonPath, const QString& ending) {
    QString base = lessonPath;
    if (base.endsWith(QLatin1String(kSuffix))) base.chop(int(sizeof kSuffix) - 1);
    return base + ending;
}

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// The lesson that a picture ("<lesson>-<n>.png") or a recording of voice ("<lesson>-voice-<n>.opus")
// belongs to; empty for any other file. Read by hand: no pattern engine is loaded for it at start.
QString lessonBeside(const QString& file) {
    const QStringView name(file);
    const bool voice = name.endsWith(QLatin1String(".opus"));
    if (!voice && !name.endsWith(QLatin1String(".png"))) return {};
    QStringView before = name.chopped(voice ? 5 : 4); // what stands before the number's "."
    qsizetype digits = 0;
    while (digits < before.size() && isAsciiDigit(before[before.size() - 1 - digits])) ++digits;
    if (digits == 0) return {};
    before.chop(digits);
    const QLatin1String separator = voice ? QLatin1String("-voice-") : QLatin1String("-");
    if (!before.endsWith(separator) || before.size() <= separator.size()) return {};
    return before.chopped(separator.size()).toString();
}

} // namespace

QString picturePath(const QString& lessonPath, int n) { return besideLesson(lessonPath, QStringLiteral("-%1.png").arg(n)); }

QString voicePath(const QString& lessonPath, int n) {
    return besideLesson(lessonPath, QStringLiteral("-voice-%1.opus").arg(n));
}

QList<air::VoiceVerdict> voiceVerdicts(const QJsonObject& voiceLine) {
    QList<air::VoiceVerdict> verdicts;
    for (const QJsonValue& v : voiceLine.value(QLatin1String("verdicts")).toArray()) {
        const QJsonObject o = v.toObject();
        air::VoiceVerdict verdict{o.value(QLatin1String("element")).toString(), o.value(QLatin1String("ok")).toBool(),
                                  o.value(QLatin1String("text")).toString(), o.value(QLatin1String("unclear")).toBool()};
        if (verdict.ok) verdict.unclear = false;
        verdicts.append(verdict);
    }
    return verdicts;
}

std::vector<LessonFiles> lessonsIn(const QString& folder) {
    // Sorted by name: by start time. The folder is read one entry at a time, keeping only names
    // and sizes: a full folder costs little memory on the worker that keeps it.
    std::map<QString, LessonFiles> lessons;
    struct Beside {
        QString lesson, file;
        qint64 bytes;
    };
    std::vector<Beside> beside; // the pictures and the voice beside each lesson
    QDirIterator entries(folder, QDir::Files | QDir::Hidden);
    while (entries.hasNext()) {
        const QFileInfo fi = entries.nextFileInfo();
        const QString name = fi.fileName();
        if (name.endsWith(QLatin1String(kSuffix))) {
            LessonFiles& l = lessons[fi.completeBaseName()];
            l.bytes += fi.size();
            l.files.prepend(name); // the lesson itself first
        } else if (QString lesson = lessonBeside(name); !lesson.isEmpty()) {
            beside.push_back({std::move(lesson), name, fi.size()});
        }
    }
    for (const Beside& b : beside) {
        auto it = lessons.find(b.lesson);
        if (it == lessons.end()) continue;
        it->second.bytes += b.bytes;
        it->second.files << b.file;
    }
    std::vector<LessonFiles> out;
    out.reserve(lessons.size());
    for (auto& [name, l] : lessons) {
        l.name = name;
        out.push_back(std::move(l));
    }
    return out;
}

bool removeLesson(const QString& folder, const LessonFiles& lesson) {
    const QDir dir(folder);
    bool all = true;
    for (const QString& f : lesson.files) all = QFile::remove(dir.filePath(f)) && all;
    return all;
}

QStringList pruneFolder(const QString& folder, qint64 limitBytes) {
    const std::vector<LessonFiles> lessons = lessonsIn(folder);
    qint64 total = 0;
    for (const LessonFiles& l : lessons) total += l.bytes;
    QStringList removed;
    for (auto it = lessons.begin(); it != lessons.end() && total > limitBytes; ++it) {
        removeLesson(folder, *it);
        total -= it->bytes;
        removed << it->name;
    }
    return removed;
}

namespace {

QString baseName(const QWidget* w) {
    const QString name = w->objectName();
    return name.isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : name;
}

QList<QWidget*> widgetChildren(const QWidget* parent) {
    QList<QWidget*> out;
    for (QObject* o : parent->children())
        if (o->isWidgetType() && static_cast<QWidget*>(o)->parentWidget() == parent) out << static_cast<QWidget*>(o);
    return out;
}

// w's step in a path among its siblings.
QString step(const QWidget* w, const QList<QWidget*>& siblings) {
    const QString base = baseName(w);
    bool indexed = false;
    const int index = w->property("index").toInt(&indexed);
    if (indexed) return base + QLatin1Char('#') + QString::number(index);
    int k = 0, same = 0;
    for (const QWidget* s : siblings) {
        if (s->property("index").isValid() || baseName(s) != base) continue;
        if (s == w) k = same;
        ++same;
    }
    return same > 1 ? QStringLiteral("%1[%2]").arg(base).arg(k) : base;
}

} // namespace

QString controlPath(const QWidget* w) {
    QStringList steps;
    for (; w; w = w->parentWidget())
        steps.prepend(w->parentWidget() ? step(w, widgetChildren(w->parentWidget())) : baseName(w));
    return steps.join(QLatin1Char('/'));
}

QWidget* findControl(const QString& path) {
    const QStringList steps = path.split(QLatin1Char('/'));
    QWidget* at = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (!top->parentWidget() && baseName(top) == steps.first() && (!at || (!at->isVisible() && top->isVisible())))
            at = top;
    for (qsizetype i = 1; at && i < steps.size(); ++i) {
        const QList<QWidget*> children = widgetChildren(at);
        QWidget* next = nullptr;
        for (QWidget* c : children)
            if (step(c, children) == steps[i]) {
                next = c;
                break;
            }
        at = next;
    }
    return at;
}

QString controlLabel(const QWidget* w, QPointF pos) {
    // A line of a list: the list's words and the line's.
    if (auto* view = qobject_cast<const QAbstractItemView*>(w->parentWidget()); view && view->viewport() == w) {
        const QString line = view->indexAt(pos.toPoint()).data().toString().simplified();
        const QString list = controlLabel(view, QPointF());
        return line.isEmpty() ? list : QStringLiteral("'%1' in %2").arg(line, list);
    }
    for (const QWidget* x = w; x; x = x->parentWidget()) {
        if (!x->accessibleName().isEmpty()) return x->accessibleName();
        if (auto* b = qobject_cast<const QAbstractButton*>(x); b && !b->text().isEmpty())
            return b->text().remove(QLatin1Char('&')).simplified();
        if (!x->objectName().isEmpty() && !x->objectName().startsWith(QLatin1String("qt_"))) return x->objectName();
    }
    return baseName(w);
}

// ---- reading ----

Reader::Reader(const QString& path) : file_(path) {}

QString Reader::fileName() const { return QFileInfo(file_.fileName()).fileName(); }

bool Reader::fail(int line, const QString& why) {
    error_ = QStringLiteral("%1 line %2: %3").arg(fileName()).arg(line).arg(why);
    file_.close();
    return false;
}

namespace {

// What is wrong with a line of the given kind, or an empty text.
QString problemOf(const QString& kind, const QJsonObject& o) {
    auto need = [&o](const char* field, QJsonValue::Type type) -> QString {
        const QJsonValue v = o.value(QLatin1String(field));
        if (v.isUndefined()) return QStringLiteral("\"%1\" is missing").arg(QLatin1String(field));
        if (v.type() != type) {
            const char* what = type == QJsonValue::Double ? "a number"
                               : type == QJsonValue::String ? "a text"
                                                            : "an object";
            return QStringLiteral("\"%1\" is not %2").arg(QLatin1String(field), QLatin1String(what));
        }
        return {};
    };
    auto needAll = [&need](std::initializer_list<std::pair<const char*, QJsonValue::Type>> fields) -> QString {
        for (const auto& [field, type] : fields)
            if (QString p = need(field, type); !p.isEmpty()) return p;
        return {};
    };
    constexpr auto S = QJsonValue::String;
    constexpr auto N = QJsonValue::Double;
    if (kind == QLatin1String("mouse")) {
        if (QString p = needAll({{"event", S}, {"control", S}, {"x", N}, {"y", N}, {"button", N}, {"buttons", N}});
            !p.isEmpty())
            return p;
        static const QStringList events{"press", "release", "double", "move"};
        if (!events.contains(o.value(QLatin1String("event")).toString())) return QStringLiteral("no such mouse event");
        return {};
    }
    if (kind == QLatin1String("key")) {
        if (QString p = needAll({{"event", S}, {"control", S}, {"key", N}, {"text", S}}); !p.isEmpty()) return p;
        const QString event = o.value(QLatin1String("event")).toString();
        if (event != QLatin1String("press") && event != QLatin1String("release")) return QStringLiteral("no such key event");
        return {};
    }
    if (kind == QLatin1String("wheel")) return needAll({{"control", S}, {"x", N}, {"y", N}, {"dx", N}, {"dy", N}});
    if (kind == QLatin1String("choose")) return needAll({{"control", S}, {"index", N}});
    if (kind == QLatin1String("step")) return needAll({{"control", S}, {"action", N}, {"position", N}});
    if (kind == QLatin1String("message")) return needAll({{"direction", S}, {"words", S}});
    if (kind == QLatin1String("voice")) return needAll({{"direction", S}, {"number", N}, {"words", S}});
    if (kind == QLatin1String("result")) return need("result", QJsonValue::Object);
    if (kind == QLatin1String("log")) return need("entry", QJsonValue::Object);
    if (kind == QLatin1String("close-popup") || kind == QLatin1String("end")) return {};
    return QStringLiteral("no such kind of line \"%1\"").arg(kind);
}

// A tick in milliseconds: a whole number from 0 to about 30 000 years, which a qint64 holds.
bool isTick(const QJsonValue& v) {
    constexpr double kLongest = 1e15;
    return v.isDouble() && v.toDouble() >= 0 && v.toDouble() <= kLongest;
}

// The line as one JSON object, or the reason it is none.
QJsonObject parse(const QByteArray& raw, QString* problem) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(raw, &error);
    if (!doc.isObject()) {
        // A run that ended in a crash may leave its last line half written.
        *problem = raw.endsWith('\n') ? QStringLiteral("not a JSON object")
                                      : QStringLiteral("not a JSON object (the line is cut short)");
        return {};
    }
    return doc.object();
}

} // namespace

bool Reader::open() {
    if (!file_.open(QIODevice::ReadOnly)) {
        error_ = QStringLiteral("%1: %2").arg(file_.fileName(), file_.errorString());
        return false;
    }
    line_ = 1;
    QString problem;
    const QJsonObject o = parse(file_.readLine(), &problem);
    if (!problem.isEmpty()) return fail(1, problem);
    if (o.value(QLatin1String("kind")).toString() != QLatin1String("lesson") || !o.value(QLatin1String("format")).isDouble())
        return fail(1, QStringLiteral("not the start of a lesson"));
    header_.format = o.value(QLatin1String("format")).toInt();
    if (header_.format > kFormat || header_.format < 1)
        return fail(1, QStringLiteral("a lesson of format %1; this program reads format %2").arg(header_.format).arg(kFormat));
    header_.program = o.value(QLatin1String("program")).toString();
    header_.start = QDateTime::fromString(o.value(QLatin1String("start")).toString(), Qt::ISODateWithMs);
    if (!header_.start.isValid()) return fail(1, QStringLiteral("\"start\" is not a date and time"));
    const QJsonValue tick = o.value(QLatin1String("tick"));
    if (!tick.isUndefined() && !isTick(tick)) return fail(1, QStringLiteral("\"tick\" is not a time in milliseconds"));
    header_.tick = static_cast<qint64>(tick.toDouble());
    const QStringList screen = o.value(QLatin1String("screen")).toString().split(QLatin1Char('x'));
    if (screen.size() == 2) header_.screen = QSize(screen[0].toInt(), screen[1].toInt());
    return true;
}

bool Reader::next(Entry& entry) {
    while (file_.isOpen() && !file_.atEnd()) {
        const QByteArray raw = file_.readLine();
        ++line_;
        if (raw.trimmed().isEmpty()) continue;
        QString problem;
        const QJsonObject o = parse(raw, &problem);
        if (!problem.isEmpty()) return fail(line_, problem);
        const QJsonValue t = o.value(QLatin1String("t"));
        if (!isTick(t)) return fail(line_, QStringLiteral("no time \"t\""));
        if (!o.value(QLatin1String("kind")).isString()) return fail(line_, QStringLiteral("no \"kind\""));
        const QString kind = o.value(QLatin1String("kind")).toString();
        if (QString p = problemOf(kind, o); !p.isEmpty()) return fail(line_, p);
        entry = Entry{line_, static_cast<qint64>(t.toDouble()), kind, o};
        return true;
    }
    return false;
}

// ---- the files beside a lesson ----

FileWriter::FileWriter() = default;

FileWriter::~FileWriter() {
    flush();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void FileWriter::writePicture(QImage image, const QString& path) {
    add([image = std::move(image), path] {
        // A little less squeezing than the default: the window's flat colours pack well anyway.
        if (!image.save(path, "PNG", 50)) qWarning("cannot write the picture %s", qPrintable(path));
    });
}

void FileWriter::writeVoice(std::vector<qint16> audio, const QString& path) {
    add([audio = std::move(audio), path] {
        QString why;
        if (!platform::writeAudioFile(path, platform::toFloat(audio), air::kVoiceRate, platform::AudioFormat::Opus, &why))
            qWarning("cannot write the voice %s: %s", qPrintable(path), qPrintable(why));
    });
}

void FileWriter::add(std::function<void()> job) {
    std::unique_lock lock(mutex_);
    if (!worker_.joinable()) worker_ = std::thread([this] { run(); });
    // A fast replay sends calls faster than they are drawn: a few wait, not a whole lesson's.
    idle_.wait(lock, [this] { return jobs_.size() < kMaxWaiting; });
    jobs_.push_back(std::move(job));
    wake_.notify_one();
}

void FileWriter::flush() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

void FileWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) return;
        const std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        busy_ = true;
        lock.unlock();
        job();
        lock.lock();
        busy_ = false;
        idle_.notify_all();
    }
}

} // namespace lessons
