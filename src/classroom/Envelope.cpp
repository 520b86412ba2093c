#include "classroom/Envelope.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace classroom {
namespace {

QString isoUtc(const QDateTime& t) { return t.toUTC().toString(Qt::ISODateWithMs); }

// The payload as a JSON object, or why it is not one.
dscwire::Result<QJsonObject> objectOf(const QByteArray& payload) {
    using R = dscwire::Result<QJsonObject>;
    if (payload.size() > kMaxPayload)
        return R::bad(QStringLiteral("payload of %1 bytes is over %2").arg(payload.size()).arg(kMaxPayload));
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(payload, &err);
    if (err.error != QJsonParseError::NoError) return R::bad(QStringLiteral("bad JSON: ") + err.errorString());
    if (!doc.isObject()) return R::bad(QStringLiteral("bad JSON: not an object"));
    return R::good(doc.object());
}

} // namespace

dscwire::Result<QByteArray> encodeCall(const QString& sender, qint64 seq, const QDateTime& sentUtc,
                                       const dscwire::Message& message) {
    const auto symbols = dscwire::toSymbols(message);
    if (!symbols.ok()) return dscwire::Result<QByteArray>::bad(symbols.error());
    QJsonArray array;
    for (int s : symbols.value()) array.append(s);
    QJsonObject o;
    o.insert(QStringLiteral("v"), kEnvelopeVersion);
    o.insert(QStringLiteral("sender"), sender);
    o.insert(QStringLiteral("seq"), seq);
    o.insert(QStringLiteral("time"), isoUtc(sentUtc));
    o.insert(QStringLiteral("symbols"), array);
    return dscwire::Result<QByteArray>::good(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

dscwire::Result<CallEnvelope> decodeCall(const QByteArray& payload, const QString& topicMmsi) {
    using R = dscwire::Result<CallEnvelope>;
    const auto obj = objectOf(payload);
    if (!obj.ok()) return R::bad(obj.error());
    const QJsonObject& o = obj.value();
    const QJsonValue v = o.value(QStringLiteral("v"));
    if (!v.isDouble()) return R::bad(QStringLiteral("no version"));
    if (v.toInteger(-1) != kEnvelopeVersion) return R::bad(QStringLiteral("version %1, not %2").arg(v.toDouble()).arg(kEnvelopeVersion));
    const QJsonValue sender = o.value(QStringLiteral("sender"));
    const QJsonValue seq = o.value(QStringLiteral("seq"));
    const QJsonValue time = o.value(QStringLiteral("time"));
    const QJsonValue symbols = o.value(QStringLiteral("symbols"));
    if (!sender.isString() || !dscwire::isMmsi(sender.toString())) return R::bad(QStringLiteral("no sender MMSI"));
    // Integers up to 2^53 pass through a JSON number unharmed.
    if (!seq.isDouble() || seq.toInteger(-1) < 0 || double(seq.toInteger()) != seq.toDouble())
        return R::bad(QStringLiteral("no sequence number"));
    if (!time.isString()) return R::bad(QStringLiteral("no time"));
    QDateTime sent = QDateTime::fromString(time.toString(), Qt::ISODateWithMs);
    if (!sent.isValid()) return R::bad(QStringLiteral("bad time \"%1\"").arg(time.toString()));
    if (!symbols.isArray()) return R::bad(QStringLiteral("no symbols"));

    CallEnvelope e;
    e.sender = sender.toString();
    e.seq = seq.toInteger();
    e.sent = sent.toUTC();
    if (e.sender != topicMmsi)
        return R::bad(QStringLiteral("sender %1 on the topic of %2").arg(e.sender, topicMmsi));
    QList<int> chars;
    for (const QJsonValue& s : symbols.toArray()) {
        const qint64 n = s.toInteger(-1);
        if (!s.isDouble() || n < 0 || n > 127) return R::bad(QStringLiteral("symbol out of range"));
        chars.append(int(n));
    }
    auto decoded = dscwire::fromSymbols(chars);
    if (!decoded.ok()) return R::bad(QStringLiteral("symbols do not decode: ") + decoded.error());
    e.message = decoded.value();
    if (e.message.selfId != e.sender)
        return R::bad(QStringLiteral("sender %1 sends a call of %2").arg(e.sender, e.message.selfId));
    return R::good(std::move(e));
}

QByteArray encodeStatus(const StationStatus& s) {
    QJsonObject o;
    o.insert(QStringLiteral("mmsi"), s.mmsi);
    o.insert(QStringLiteral("name"), s.name);
    o.insert(QStringLiteral("instructor"), s.instructor);
    o.insert(QStringLiteral("online"), s.online);
    o.insert(QStringLiteral("instance"), s.instance);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

dscwire::Result<StationStatus> decodeStatus(const QByteArray& payload, const QString& topicMmsi) {
    using R = dscwire::Result<StationStatus>;
    const auto obj = objectOf(payload);
    if (!obj.ok()) return R::bad(obj.error());
    const QJsonObject& o = obj.value();
    StationStatus s;
    s.mmsi = o.value(QStringLiteral("mmsi")).toString();
    s.name = o.value(QStringLiteral("name")).toString();
    s.instructor = o.value(QStringLiteral("instructor")).toBool();
    s.online = o.value(QStringLiteral("online")).toBool();
    s.instance = o.value(QStringLiteral("instance")).toString();
    if (!o.value(QStringLiteral("online")).isBool() || !dscwire::isMmsi(s.mmsi)) return R::bad(QStringLiteral("missing fields"));
    if (s.mmsi != topicMmsi) return R::bad(QStringLiteral("status of %1 on the topic of %2").arg(s.mmsi, topicMmsi));
    return R::good(std::move(s));
}

QByteArray encodeCommand(const QString& sender, const QString& command, const QDateTime& sentUtc) {
    QJsonObject o;
    o.insert(QStringLiteral("v"), kEnvelopeVersion);
    o.insert(QStringLiteral("sender"), sender);
    o.insert(QStringLiteral("command"), command);
    o.insert(QStringLiteral("time"), isoUtc(sentUtc));
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

dscwire::Result<Command> decodeCommand(const QByteArray& payload) {
    using R = dscwire::Result<Command>;
    const auto obj = objectOf(payload);
    if (!obj.ok()) return R::bad(obj.error());
    const QJsonObject& o = obj.value();
    if (o.value(QStringLiteral("v")).toInteger(-1) != kEnvelopeVersion) return R::bad(QStringLiteral("wrong version"));
    Command c;
    c.sender = o.value(QStringLiteral("sender")).toString();
    c.command = o.value(QStringLiteral("command")).toString();
    c.sent = QDateTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs).toUTC();
    if (c.command.isEmpty() || !dscwire::isMmsi(c.sender)) return R::bad(QStringLiteral("missing fields"));
    return R::good(std::move(c));
}

} // namespace classroom
