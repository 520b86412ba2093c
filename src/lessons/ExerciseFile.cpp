// Reading an exercise file: the JSON text into an Exercise, or one message naming the line and the
// problem; and finding the shipped exercise files.
#include "lessons/Exercise.h"
#include "lessons/ExerciseKinds.h"
#include "lessons/JsonLines.h"

#include "calls/OnAir.h"
#include "voice/Procedure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>

namespace lessons {
namespace {

using kinds::infoOf;
using kinds::kFirstReason;

// The procedures a voice task may ask for, by their names.
std::optional<voice::Kind> procedureFromName(const QString& name) {
    for (const voice::Kind k : {voice::Kind::Mayday, voice::Kind::MaydayRelay, voice::Kind::PanPan, voice::Kind::Securite,
                                voice::Kind::Routine, voice::Kind::DistressAck, voice::Kind::Cancel})
        if (voice::kindName(k) == name) return k;
    return std::nullopt;
}

// ---- Reading ---------------------------------------------------------------------------------

// A problem found while reading: its path in the file and what it is.
struct Problem {
    QString path;
    QString text;
};

const QRegularExpression& timeForm() {
    static const QRegularExpression re(QStringLiteral("^([01]\\d|2[0-3]):[0-5]\\d$"));
    return re;
}

// The radio's manual position entry: north and west only, as its mask has them.
const QRegularExpression& manualPositionForm() {
    static const QRegularExpression re(
        QStringLiteral("^L\\d{2}°\\d{2}\\.\\d'N  Lo\\d{3}°\\d{2}\\.\\d'W$"));
    return re;
}

// A channel as the display shows it: one or two digits, 1 to 88, and "A" for the simplex half of a pair.
bool isChannel(const QString& text) {
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2})A?$"));
    const auto m = re.match(text);
    const int n = m.hasMatch() ? m.captured(1).toInt() : 0;
    return n >= 1 && n <= 88;
}

// Reads the parts of an exercise, stopping at the first problem.
class Reader {
public:
    std::optional<Problem> problem;

    // A text field; `required` says whether it must be there.
    QString text(const QJsonObject& o, const QString& path, const QString& key, const QString& who, bool required) {
        const QJsonValue v = o.value(key);
        if (v.isUndefined()) {
            if (required) fail(path, QStringLiteral("%1 has no %2").arg(who, key));
            return {};
        }
        if (!v.isString()) fail(join(path, key), QStringLiteral("%1: '%2' must be a text in quotes").arg(who, key));
        return v.toString().trimmed();
    }
    QString mmsi(const QJsonObject& o, const QString& path, const QString& key, const QString& who) {
        const QString v = text(o, path, key, who, false);
        if (!v.isEmpty() && !dscwire::isMmsi(v))
            fail(join(path, key), QStringLiteral("%1: '%2' must be an MMSI of nine digits, not '%3'").arg(who, key, v));
        return v;
    }
    void onlyKnown(const QJsonObject& o, const QString& path, const QStringList& known, const QString& who) {
        for (const QString& key : o.keys())
            if (!known.contains(key))
                fail(join(path, key), QStringLiteral("%1 has an unknown field '%2'").arg(who, key));
    }
    void fail(const QString& path, const QString& text) {
        if (!problem) problem = Problem{path, text};
    }
    static QString join(const QString& path, const QString& key) {
        return path.isEmpty() ? key : path + QLatin1Char('/') + key;
    }
};

StartState readStart(Reader& r, const QJsonObject& o) {
    const QString path = QStringLiteral("start");
    const QString who = QStringLiteral("start");
    StartState s;
    r.onlyKnown(o, path, {"mmsi", "gps", "position", "time", "plan", "channel"}, who);
    s.mmsi = r.mmsi(o, path, QStringLiteral("mmsi"), who);
    if (o.contains(QLatin1String("gps"))) {
        if (!o.value(QLatin1String("gps")).isBool())
            r.fail(path + QStringLiteral("/gps"), QStringLiteral("start: 'gps' must be true or false"));
        s.gps = o.value(QLatin1String("gps")).toBool();
    }
    s.position = r.text(o, path, QStringLiteral("position"), who, false);
    if (!s.position.isEmpty() && !manualPositionForm().match(s.position).hasMatch())
        r.fail(path + QStringLiteral("/position"),
               QStringLiteral("start: 'position' must be in the radio's form L42°21.0'N  Lo070°55.7'W, not '%1'")
                   .arg(s.position));
    s.time = r.text(o, path, QStringLiteral("time"), who, false);
    if (!s.time.isEmpty() && !timeForm().match(s.time).hasMatch())
        r.fail(path + QStringLiteral("/time"), QStringLiteral("start: 'time' must be HH:MM, not '%1'").arg(s.time));
    if ((!s.position.isEmpty() || !s.time.isEmpty()) && s.gps.value_or(false))
        r.fail(path + QStringLiteral("/gps"),
               QStringLiteral("start: a position or time is entered by hand, which needs \"gps\": false"));
    const QString plan = r.text(o, path, QStringLiteral("plan"), who, false);
    // The radio's own names, and the plans' names in words.
    static const QHash<QString, QString> kPlans{
        {"usa", "USA"}, {"can", "CAN"}, {"canada", "CAN"}, {"int", "INT"}, {"international", "INT"}};
    if (!plan.isEmpty()) {
        s.plan = kPlans.value(plan.toLower());
        if (s.plan.isEmpty())
            r.fail(path + QStringLiteral("/plan"),
                   QStringLiteral("start has an unknown plan '%1' (USA, Canada or International)").arg(plan));
    }
    s.channel = r.text(o, path, QStringLiteral("channel"), who, false).toUpper();
    if (s.channel.size() == 1 || (s.channel.size() == 2 && s.channel.endsWith(QLatin1Char('A'))))
        s.channel.prepend(QLatin1Char('0')); // the display writes two digits
    if (!s.channel.isEmpty() && !isChannel(s.channel))
        r.fail(path + QStringLiteral("/channel"),
               QStringLiteral("start: 'channel' must be a channel like \"16\" or \"22A\", not '%1'").arg(s.channel));
    return s;
}

// A voice task's procedure and the elements of its form that must be right.
void readSpoken(Reader& r, const QJsonObject& o, const QString& path, const QString& who, Expect& e) {
    e.procedure = r.text(o, path, QStringLiteral("procedure"), who, false);
    if (r.problem) return;
    const auto procedure = procedureFromName(e.procedure);
    if (!procedure) {
        r.fail(e.procedure.isEmpty() ? path : path + QStringLiteral("/procedure"),
               e.procedure.isEmpty()
                   ? QStringLiteral("%1: a 'voice' task needs the 'procedure' it asks for").arg(who)
                   : QStringLiteral("%1 has an unknown procedure '%2' (mayday, mayday-relay, pan-pan, securite, "
                                    "routine, distress-ack or cancel)")
                         .arg(who, e.procedure));
        return;
    }
    if (!o.contains(QLatin1String("elements"))) return;
    const QString at = path + QStringLiteral("/elements");
    const QJsonValue list = o.value(QLatin1String("elements"));
    if (!list.isArray()) {
        r.fail(at, QStringLiteral("%1: 'elements' must be a list like [\"position\", \"nature\"]").arg(who));
        return;
    }
    const QStringList form = voice::formOf(*procedure);
    const QJsonArray items = list.toArray();
    for (int i = 0; i < items.size(); ++i) {
        const QString id = items[i].toString();
        if (!items[i].isString() || !form.contains(id)) {
            r.fail(at + QLatin1Char('/') + QString::number(i),
                   QStringLiteral("%1: a %2 has no element '%3' (%4)")
                       .arg(who, e.procedure, items[i].isString() ? id : QStringLiteral("?"), form.join(QStringLiteral(", "))));
            return;
        }
        e.elements << id;
    }
}

Expect readExpect(Reader& r, const QJsonObject& o, const QString& path, const QString& who) {
    static const QStringList kFieldNames{"nature", "position", "time",   "channel",  "to",
                                         "from",   "reason",   "mmsi", "procedure", "elements"};
    Expect e;
    r.onlyKnown(o, path, QStringList{"kind"} + kFieldNames, who);
    const QString kindWord = r.text(o, path, QStringLiteral("kind"), who, true);
    if (r.problem) return e;
    const auto kind = kindFromName(kindWord);
    if (!kind) {
        r.fail(path + QStringLiteral("/kind"), QStringLiteral("%1 has an unknown kind '%2'").arg(who, kindWord));
        return e;
    }
    e.kind = *kind;
    const unsigned carried = infoOf(e.kind).fields;
    for (int bit = 0; bit < kFieldNames.size(); ++bit)
        if (o.contains(kFieldNames[bit]) && !(carried & (1u << bit)))
            r.fail(path + QLatin1Char('/') + kFieldNames[bit],
                   QStringLiteral("%1: a '%2' answer carries no %3").arg(who, kindWord, kFieldNames[bit]));
    auto at = [&](const char* key) { return path + QLatin1Char('/') + QLatin1String(key); };

    e.natureWord = r.text(o, path, QStringLiteral("nature"), who, false);
    if (!e.natureWord.isEmpty()) {
        e.nature = dscwire::natureFromText(e.natureWord);
        if (!e.nature) r.fail(at("nature"), QStringLiteral("%1 has an unknown nature '%2'").arg(who, e.natureWord));
    }
    if (const QString p = r.text(o, path, QStringLiteral("position"), who, false); !p.isEmpty()) {
        e.position = dscwire::Position::fromTrainerText(p);
        if (!e.position)
            r.fail(at("position"),
                   QStringLiteral("%1: 'position' must be like L42°21.0'N  Lo070°55.7'W, not '%2'").arg(who, p));
    }
    if (const QString t = r.text(o, path, QStringLiteral("time"), who, false); !t.isEmpty()) {
        if (timeForm().match(t).hasMatch()) e.time = QTime::fromString(t, QStringLiteral("HH:mm"));
        else r.fail(at("time"), QStringLiteral("%1: 'time' must be HH:MM, not '%2'").arg(who, t));
    }
    if (const QString ch = r.text(o, path, QStringLiteral("channel"), who, false).toUpper(); !ch.isEmpty()) {
        if (isChannel(ch)) e.channel = calls::channelOnAir(ch);
        else
            r.fail(at("channel"),
                   QStringLiteral("%1: 'channel' must be a channel like \"68\" or \"22A\", not '%2'").arg(who, ch));
    }
    e.to = r.mmsi(o, path, QStringLiteral("to"), who);
    e.from = r.mmsi(o, path, QStringLiteral("from"), who);
    e.mmsi = r.mmsi(o, path, QStringLiteral("mmsi"), who);
    if (e.kind == Kind::OwnMmsi && e.mmsi.isEmpty() && !r.problem)
        r.fail(path, QStringLiteral("%1: 'own-mmsi' needs the 'mmsi' to set").arg(who));
    if (const QString reason = r.text(o, path, QStringLiteral("reason"), who, false); !reason.isEmpty()) {
        for (int i = 0; i < calls::kUnableReasons.size(); ++i)
            if (calls::kUnableReasons[i].compare(reason, Qt::CaseInsensitive) == 0) e.reason = kFirstReason + i;
        if (!e.reason) r.fail(at("reason"), QStringLiteral("%1 has an unknown reason '%2'").arg(who, reason));
    }
    if (e.kind == Kind::Voice) readSpoken(r, o, path, who, e);
    return e;
}

Exercise read(Reader& r, const QJsonObject& root) {
    Exercise x;
    r.onlyKnown(root, QString(), {"title", "briefing", "start", "tasks"}, QStringLiteral("the exercise"));
    x.title = r.text(root, QString(), QStringLiteral("title"), QStringLiteral("the exercise"), true);
    x.briefing = r.text(root, QString(), QStringLiteral("briefing"), QStringLiteral("the exercise"), false);
    if (root.contains(QLatin1String("start"))) {
        if (root.value(QLatin1String("start")).isObject())
            x.start = readStart(r, root.value(QLatin1String("start")).toObject());
        else r.fail(QStringLiteral("start"), QStringLiteral("'start' must be an object { ... }"));
    }
    const QJsonValue tasks = root.value(QLatin1String("tasks"));
    if (!tasks.isUndefined() && !tasks.isArray())
        r.fail(QStringLiteral("tasks"), QStringLiteral("'tasks' must be a list [ ... ]"));
    if (tasks.toArray().isEmpty()) r.fail(QStringLiteral("tasks"), QStringLiteral("the exercise has no tasks"));
    const QJsonArray list = tasks.toArray();
    for (int i = 0; i < list.size() && !r.problem; ++i) {
        const QString path = QStringLiteral("tasks/%1").arg(i);
        const QString who = QStringLiteral("task %1").arg(i + 1);
        if (!list[i].isObject()) {
            r.fail(path, QStringLiteral("%1 must be an object { ... }").arg(who));
            break;
        }
        const QJsonObject o = list[i].toObject();
        Task t;
        r.onlyKnown(o, path, {"title", "expect", "timeLimit"}, who);
        t.title = r.text(o, path, QStringLiteral("title"), who, true);
        if (o.contains(QLatin1String("timeLimit"))) {
            const double limit = o.value(QLatin1String("timeLimit")).toDouble(-1);
            if (limit < 1 || limit != std::floor(limit))
                r.fail(path + QStringLiteral("/timeLimit"),
                       QStringLiteral("%1: 'timeLimit' must be a whole number of seconds above 0").arg(who));
            t.timeLimitSeconds = static_cast<int>(limit);
        }
        if (!o.value(QLatin1String("expect")).isObject())
            r.fail(o.contains(QLatin1String("expect")) ? path + QStringLiteral("/expect") : path,
                   QStringLiteral("%1 has no expect { ... }").arg(who));
        else
            t.expect =
                readExpect(r, o.value(QLatin1String("expect")).toObject(), path + QStringLiteral("/expect"), who);
        x.tasks << t;
    }
    return x;
}

} // namespace

dscwire::Result<Exercise> parseExercise(const QByteArray& json, const QString& fileName) {
    using R = dscwire::Result<Exercise>;
    auto at = [&](int line, const QString& text) {
        return R::bad(QStringLiteral("%1 line %2: %3").arg(fileName).arg(line).arg(text));
    };
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return at(1 + static_cast<int>(json.left(error.offset).count('\n')), error.errorString());
    if (!doc.isObject()) return at(1, QStringLiteral("the file holds no exercise: it must be one object { ... }"));
    Reader r;
    Exercise x = read(r, doc.object());
    const LineMap lines(json);
    if (r.problem) return at(lines.line(r.problem->path), r.problem->text);
    x.fileName = fileName;
    x.start.channelLine = lines.line(QStringLiteral("start/channel"));
    return R::good(x);
}

dscwire::Result<Exercise> loadExercise(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return dscwire::Result<Exercise>::bad(QStringLiteral("%1: cannot be read: %2").arg(name, f.errorString()));
    return parseExercise(f.readAll(), name);
}

QStringList exerciseFolders() {
    QStringList out;
    auto add = [&out](const QString& dir) {
        const QString clean = QDir::cleanPath(dir);
        if (QFileInfo(clean).isDir() && !out.contains(clean)) out << clean;
    };
    const QString appDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (!appDir.isEmpty()) add(appDir + QStringLiteral("/../share/vhf-dsc-trainer/exercises"));
    add(QStringLiteral(VHF_EXERCISES_DIR));
    // The build tree's copies serve only a program run from the build tree, as its sounds do.
    const QString build = QFileInfo(QStringLiteral(VHF_BUILD_DIR)).canonicalFilePath();
    const QString exe = QFileInfo(appDir).canonicalFilePath();
    if (!build.isEmpty() && (exe == build || exe.startsWith(build + QLatin1Char('/'))))
        add(QStringLiteral(VHF_BUILD_EXERCISES_DIR));
    return out;
}

QString findExercise(const QString& name) { return findFile(name, exerciseFolders()); }

QString findFile(const QString& name, const QStringList& folders) {
    if (QFileInfo(name).isFile()) return name;
    for (const QString& dir : folders)
        for (const QString& file : {name, name + QStringLiteral(".json")})
            if (QFileInfo(QDir(dir), file).isFile()) return QDir(dir).filePath(file);
    return name;
}

} // namespace lessons
