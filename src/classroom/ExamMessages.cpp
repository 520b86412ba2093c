#include "classroom/ExamMessages.h"

#include "classroom/Envelope.h"

#include <QJsonDocument>
#include <QRegularExpression>

namespace classroom {
namespace {

const QString kV = QStringLiteral("v"), kExam = QStringLiteral("exam");

dscwire::Result<QJsonObject> objectOf(const QByteArray& payload, int limit) {
    using R = dscwire::Result<QJsonObject>;
    if (payload.size() > limit) return R::bad(QStringLiteral("payload of %1 bytes is over %2").arg(payload.size()).arg(limit));
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(payload, &err);
    if (err.error != QJsonParseError::NoError) return R::bad(QStringLiteral("bad JSON: ") + err.errorString());
    if (!doc.isObject()) return R::bad(QStringLiteral("bad JSON: not an object"));
    const QJsonObject o = doc.object();
    if (o.value(kV).toInteger(-1) != kEnvelopeVersion) return R::bad(QStringLiteral("wrong version"));
    if (o.value(kExam).toString().isEmpty()) return R::bad(QStringLiteral("no exam"));
    return R::good(o);
}

QByteArray compact(QJsonObject o) {
    o.insert(kV, kEnvelopeVersion);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

// Base64 that really is base64 (Qt's lenient decoder takes anything).
bool fromBase64(const QJsonValue& v, QByteArray& out) {
    if (!v.isString()) return false;
    const auto decoded = QByteArray::fromBase64Encoding(v.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) return false;
    out = *decoded;
    return true;
}

} // namespace

bool plainFileName(const QString& name) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_-][A-Za-z0-9._-]{0,199}$"));
    return plain.match(name).hasMatch();
}

QByteArray encodeExamStart(const ExamStart& s) {
    return compact({{QStringLiteral("sender"), s.sender}, {kExam, s.exam}, {QStringLiteral("profile"), s.profile},
                    {QStringLiteral("seed"), QString::number(s.seed)}, {QStringLiteral("candidate"), s.candidate}});
}

dscwire::Result<ExamStart> decodeExamStart(const QByteArray& payload) {
    using R = dscwire::Result<ExamStart>;
    const auto obj = objectOf(payload, kMaxPayload);
    if (!obj.ok()) return R::bad(obj.error());
    const QJsonObject& o = obj.value();
    ExamStart s;
    s.sender = o.value(QStringLiteral("sender")).toString();
    s.exam = o.value(kExam).toString();
    s.profile = o.value(QStringLiteral("profile")).toString();
    s.candidate = o.value(QStringLiteral("candidate")).toString();
    bool seedOk = false;
    s.seed = o.value(QStringLiteral("seed")).toString().toULongLong(&seedOk);
    if (!dscwire::isMmsi(s.sender) || s.profile.isEmpty() || !seedOk) return R::bad(QStringLiteral("missing fields"));
    return R::good(std::move(s));
}

QByteArray encodeExamProgress(const ExamProgress& p) {
    return compact({{kExam, p.exam}, {QStringLiteral("progress"), p.progress}});
}

dscwire::Result<ExamProgress> decodeExamProgress(const QByteArray& payload) {
    using R = dscwire::Result<ExamProgress>;
    const auto obj = objectOf(payload, kMaxPayload);
    if (!obj.ok()) return R::bad(obj.error());
    const QJsonValue progress = obj.value().value(QStringLiteral("progress"));
    if (!progress.isObject()) return R::bad(QStringLiteral("no progress"));
    return R::good(ExamProgress{obj.value().value(kExam).toString(), progress.toObject()});
}

QByteArray encodeExamRecord(const ExamRecordFiles& f) {
    QJsonObject sounds;
    for (auto it = f.sounds.cbegin(); it != f.sounds.cend(); ++it)
        sounds.insert(it.key(), QString::fromLatin1(it.value().toBase64()));
    return compact({{kExam, f.exam}, {QStringLiteral("name"), f.name},
                    {QStringLiteral("record"), QString::fromLatin1(f.record.toBase64())}, {QStringLiteral("sounds"), sounds}});
}

dscwire::Result<ExamRecordFiles> decodeExamRecord(const QByteArray& payload) {
    using R = dscwire::Result<ExamRecordFiles>;
    const auto obj = objectOf(payload, kMaxExamRecord);
    if (!obj.ok()) return R::bad(obj.error());
    const QJsonObject& o = obj.value();
    ExamRecordFiles f;
    f.exam = o.value(kExam).toString();
    f.name = o.value(QStringLiteral("name")).toString();
    if (!plainFileName(f.name)) return R::bad(QStringLiteral("the record's name \"%1\" is not a plain file name").arg(f.name));
    if (!fromBase64(o.value(QStringLiteral("record")), f.record)) return R::bad(QStringLiteral("no record"));
    const QJsonObject sounds = o.value(QStringLiteral("sounds")).toObject();
    for (auto it = sounds.begin(); it != sounds.end(); ++it) {
        QByteArray bytes;
        if (!plainFileName(it.key()) || it.key() == f.name || !fromBase64(it.value(), bytes))
            return R::bad(QStringLiteral("a sound \"%1\" that cannot be kept").arg(it.key()));
        f.sounds.insert(it.key(), bytes);
    }
    return R::good(std::move(f));
}

} // namespace classroom
