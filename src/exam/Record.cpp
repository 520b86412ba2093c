#include "exam/Record.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>

namespace exam {

namespace {

constexpr qint64 kLargestRecord = 16 * 1024 * 1024;
const QLatin1String kHash("hash");

QJsonArray strings(const QStringList& list) { return QJsonArray::fromStringList(list); }

// A whole number from a record: what is not a number, or not a whole one in range, is `fallback`.
qint64 whole(const QJsonValue& v, qint64 least, qint64 most, qint64 fallback) {
    if (!v.isDouble()) return fallback;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::floor(d) || d < double(least) || d > double(most)) return fallback;
    return qint64(d);
}

QString text(const QJsonObject& o, const char* key) { return o.value(QLatin1String(key)).toString(); }

QStringList textList(const QJsonValue& v) {
    QStringList list;
    for (const QJsonValue& item : v.toArray())
        if (item.isString()) list << item.toString();
    return list;
}

// Reads what the record says, noting what is wrong with it in `faults`.
class Parser {
public:
    Parser(const QString& name, QStringList& faults) : name_(name), faults_(faults) {}

    Record record(const QJsonObject& o) {
        Record r;
        r.format = int(whole(o.value(QLatin1String("format")), 0, 1 << 20, 0));
        if (r.format != 1) fault(QStringLiteral("format %1 is not one this trainer reads").arg(r.format));
        r.profile = text(o, "profile");
        r.profileTitle = text(o, "profileTitle");
        if (!o.value(QLatin1String("seed")).isDouble()) fault(QStringLiteral("no seed"));
        r.seed = whole(o.value(QLatin1String("seed")), -(qint64(1) << 53), qint64(1) << 53, 0);
        r.candidate = text(o, "candidate");
        if (r.candidate.isEmpty()) fault(QStringLiteral("no candidate"));
        r.started = text(o, "started");
        r.ended = text(o, "ended");
        r.pass = o.value(QLatin1String("pass")).toObject();
        if (r.pass.isEmpty()) fault(QStringLiteral("no pass rule"));
        const QJsonArray cards = o.value(QLatin1String("cards")).toArray();
        if (cards.isEmpty()) fault(QStringLiteral("no cards"));
        for (qsizetype i = 0; i < cards.size(); ++i) r.cards.push_back(card(cards[i].toObject(), int(i + 1)));
        for (const QJsonValue& v : o.value(QLatin1String("overrides")).toArray()) {
            const QJsonObject x = v.toObject();
            Override ov{int(whole(x.value(QLatin1String("card")), 0, INT_MAX, 0)),
                        int(whole(x.value(QLatin1String("attempt")), 0, INT_MAX, 0)), text(x, "mark"), text(x, "reason"),
                        text(x, "at")};
            const QString which = QStringLiteral("override of card %1 attempt %2").arg(ov.card).arg(ov.attempt);
            if (ov.card < 1 || size_t(ov.card) > r.cards.size()) fault(QStringLiteral("%1 names no card").arg(which));
            if (ov.mark != QLatin1String("passed") && ov.mark != QLatin1String("failed"))
                fault(QStringLiteral("%1 marks neither passed nor failed").arg(which));
            if (ov.reason.trimmed().isEmpty()) fault(QStringLiteral("%1 has no written reason").arg(which));
            r.overrides.push_back(ov);
        }
        r.result = text(o, "result");
        return r;
    }

private:
    void fault(const QString& what) { faults_ << QStringLiteral("%1: %2").arg(name_, what); }

    CardResult card(const QJsonObject& o, int position) {
        CardResult c{int(whole(o.value(QLatin1String("number")), 0, INT_MAX, position)),
               text(o, "id"),
               text(o, "kind"),
               text(o, "section"),
               o.value(QLatin1String("mandatory")).toBool(),
               text(o, "text"),
               {}};
        if (c.text.trimmed().isEmpty()) fault(QStringLiteral("card %1 has no text").arg(position));
        const QJsonArray attempts = o.value(QLatin1String("attempts")).toArray();
        if (attempts.isEmpty()) fault(QStringLiteral("card %1 has no attempts").arg(position));
        for (qsizetype i = 0; i < attempts.size(); ++i) {
            const QJsonObject a = attempts[i].toObject();
            Attempt at;
            at.number = int(whole(a.value(QLatin1String("number")), 0, INT_MAX, i + 1));
            const double seconds = a.value(QLatin1String("seconds")).toDouble();
            at.seconds = std::isfinite(seconds) && seconds >= 0 && seconds < 1e9 ? seconds : 0;
            at.passed = a.value(QLatin1String("passed")).toBool();
            const QJsonArray marks = a.value(QLatin1String("marks")).toArray();
            if (marks.isEmpty()) fault(QStringLiteral("card %1 attempt %2 has no marks").arg(position).arg(i + 1));
            for (const QJsonValue& m : marks) {
                const QJsonObject x = m.toObject();
                at.marks.push_back({text(x, "criterion"), x.value(QLatin1String("met")).toBool(), text(x, "evidence")});
            }
            at.critical = textList(a.value(QLatin1String("critical")));
            at.minor = textList(a.value(QLatin1String("minor")));
            for (const QJsonValue& v : a.value(QLatin1String("review")).toArray())
                at.review.push_back({text(v.toObject(), "element"), text(v.toObject(), "sound")});
            c.attempts.push_back(at);
        }
        return c;
    }

    const QString& name_;
    QStringList& faults_;
};

} // namespace

QJsonObject recordJson(const Record& r) {
    QJsonArray cards;
    for (const CardResult& c : r.cards) {
        QJsonArray attempts;
        for (const Attempt& a : c.attempts) {
            QJsonArray marks, review;
            for (const Mark& m : a.marks)
                marks.append(QJsonObject{{"criterion", m.criterion}, {"met", m.met}, {"evidence", m.evidence}});
            for (const ReviewFlag& f : a.review) review.append(QJsonObject{{"element", f.element}, {"sound", f.sound}});
            attempts.append(QJsonObject{{"number", a.number}, {"seconds", a.seconds}, {"passed", a.passed}, {"marks", marks},
                                        {"critical", strings(a.critical)}, {"minor", strings(a.minor)}, {"review", review}});
        }
        cards.append(QJsonObject{{"number", c.number}, {"id", c.id}, {"kind", c.kind}, {"section", c.section},
                                 {"mandatory", c.mandatory}, {"text", c.text}, {"attempts", attempts}});
    }
    QJsonArray overrides;
    for (const Override& o : r.overrides)
        overrides.append(QJsonObject{{"card", o.card}, {"attempt", o.attempt}, {"mark", o.mark}, {"reason", o.reason}, {"at", o.at}});
    return QJsonObject{{"format", r.format},     {"profile", r.profile}, {"profileTitle", r.profileTitle},
                       {"seed", r.seed},         {"candidate", r.candidate}, {"started", r.started},
                       {"ended", r.ended},       {"pass", r.pass},       {"cards", cards},
                       {"overrides", overrides}, {"result", r.result}};
}

QString recordHash(QJsonObject json) {
    json.remove(kHash);
    return QString::fromLatin1(
        QCryptographicHash::hash(QJsonDocument(json).toJson(QJsonDocument::Compact), QCryptographicHash::Sha256).toHex());
}

QByteArray writeRecord(const Record& record) {
    QJsonObject json = recordJson(record);
    json.insert(kHash, recordHash(json));
    return QJsonDocument(json).toJson(QJsonDocument::Indented);
}

RecordRead readRecord(const QByteArray& bytes, const QString& name) {
    RecordRead read;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        read.faults << (error.error != QJsonParseError::NoError
                            ? QStringLiteral("%1: not JSON (%2 at byte %3)").arg(name, error.errorString()).arg(error.offset)
                            : QStringLiteral("%1: not a record (no JSON object)").arg(name));
        return read;
    }
    const QJsonObject json = doc.object();
    const QJsonValue hash = json.value(kHash);
    read.integrity = hash.isUndefined()                  ? Integrity::NoHash
                     : hash.toString() == recordHash(json) ? Integrity::Intact
                                                          : Integrity::Changed;
    if (read.integrity == Integrity::Changed) read.faults << QStringLiteral("%1: changed since it was written (its hash does not match)").arg(name);
    if (read.integrity == Integrity::NoHash) read.faults << QStringLiteral("%1: has no hash (it may have been changed)").arg(name);
    read.record = Parser(name, read.faults).record(json);
    return read;
}

RecordRead readRecordFile(const QString& path) {
    QFile file(path);
    RecordRead read;
    if (!file.open(QIODevice::ReadOnly)) {
        read.faults << QStringLiteral("%1: %2").arg(path, file.errorString());
        return read;
    }
    if (file.size() > kLargestRecord) {
        read.faults << QStringLiteral("%1: far too large for a record").arg(path);
        return read;
    }
    return readRecord(file.read(kLargestRecord), path);
}

} // namespace exam
