#include "classroom/VoiceFrame.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

#include <cmath>

namespace classroom {
namespace {

constexpr char kMagic = 'V';
constexpr char kVersion = 1;

} // namespace

QByteArray encodeVoice(const VoiceMessage& m) {
    QByteArray out(kVoiceHeader, '\0');
    out[0] = kMagic;
    out[1] = kVersion;
    out[2] = m.kind;
    const QByteArray sender = m.sender.toLatin1().leftJustified(9, '0', true);
    std::copy(sender.begin(), sender.end(), out.begin() + 4);
    qToBigEndian<quint64>(m.transmission, out.data() + 13);
    qToBigEndian<quint32>(m.number, out.data() + 21);
    if (m.kind == VoiceMessage::Frame) {
        out += m.packet;
    } else if (m.kind == VoiceMessage::Transcript) {
        QJsonArray verdicts, unclear, confidence;
        for (const air::VoiceVerdict& v : m.verdicts) {
            verdicts.append(QJsonArray{v.element, v.ok, v.text});
            if (v.unclear && !v.ok) unclear.append(v.element);
        }
        for (float c : m.confidence) confidence.append(std::round(double(c) * 100) / 100);
        QJsonObject o{{QStringLiteral("channel"), m.channel},     {QStringLiteral("name"), m.name},
                      {QStringLiteral("power"), m.power},         {QStringLiteral("words"), m.words},
                      {QStringLiteral("procedure"), m.procedure}, {QStringLiteral("verdicts"), verdicts},
                      {QStringLiteral("cut"), m.cut}};
        // Beside the verdicts, so that a trainer that knows no "unclear" still reads them.
        if (!unclear.isEmpty()) o.insert(QStringLiteral("unclear"), unclear);
        if (!confidence.isEmpty()) o.insert(QStringLiteral("confidence"), confidence);
        QByteArray json = QJsonDocument(o).toJson(QJsonDocument::Compact);
        if (kVoiceHeader + json.size() > kMaxTranscript) {
            // More than a transcript holds: the verdicts go, and the words are cut to what fits.
            o.remove(QStringLiteral("verdicts"));
            o.remove(QStringLiteral("unclear"));
            o.remove(QStringLiteral("confidence"));
            o.insert(QStringLiteral("words"), m.words.left(kMaxTranscript / 2));
            json = QJsonDocument(o).toJson(QJsonDocument::Compact);
        }
        out += json;
    }
    return out;
}

dscwire::Result<VoiceMessage> decodeVoice(const QByteArray& payload, const QString& topicMmsi) {
    using R = dscwire::Result<VoiceMessage>;
    if (payload.size() < kVoiceHeader) return R::bad(QStringLiteral("voice payload of %1 bytes is too short").arg(payload.size()));
    if (payload[0] != kMagic) return R::bad(QStringLiteral("not a voice payload"));
    if (payload[1] != kVersion) return R::bad(QStringLiteral("voice version %1, not %2").arg(int(payload[1])).arg(int(kVersion)));
    VoiceMessage m;
    const char kind = payload[2];
    if (kind != VoiceMessage::Frame && kind != VoiceMessage::End && kind != VoiceMessage::Transcript)
        return R::bad(QStringLiteral("unknown voice message kind %1").arg(int(kind)));
    m.kind = VoiceMessage::Kind(kind);
    const int limit = m.kind == VoiceMessage::Transcript ? kMaxTranscript : kMaxVoiceFrame;
    if (payload.size() > limit) return R::bad(QStringLiteral("voice payload of %1 bytes is over %2").arg(payload.size()).arg(limit));
    m.sender = QString::fromLatin1(payload.constData() + 4, 9);
    if (!dscwire::isMmsi(m.sender)) return R::bad(QStringLiteral("no sender MMSI"));
    if (m.sender != topicMmsi) return R::bad(QStringLiteral("sender %1 on the topic of %2").arg(m.sender, topicMmsi));
    m.transmission = qFromBigEndian<quint64>(payload.constData() + 13);
    m.number = qFromBigEndian<quint32>(payload.constData() + 21);
    const QByteArray rest = payload.mid(kVoiceHeader);
    if (m.kind == VoiceMessage::Frame) {
        if (rest.isEmpty()) return R::bad(QStringLiteral("a frame without sound"));
        m.packet = rest;
    } else if (m.kind == VoiceMessage::End) {
        if (!rest.isEmpty()) return R::bad(QStringLiteral("an end with %1 bytes after it").arg(rest.size()));
    } else {
        QJsonParseError err;
        const QJsonDocument doc = QJsonDocument::fromJson(rest, &err);
        if (err.error != QJsonParseError::NoError || !doc.isObject()) return R::bad(QStringLiteral("a transcript that is not a JSON object"));
        const QJsonObject o = doc.object();
        m.channel = o.value(QStringLiteral("channel")).toString();
        m.name = o.value(QStringLiteral("name")).toString();
        m.power = o.value(QStringLiteral("power")).toString();
        m.words = o.value(QStringLiteral("words")).toString();
        m.procedure = o.value(QStringLiteral("procedure")).toString();
        m.cut = o.value(QStringLiteral("cut")).toBool();
        for (const QJsonValue& v : o.value(QStringLiteral("verdicts")).toArray()) {
            const QJsonArray a = v.toArray();
            if (a.size() != 3 || !a[0].isString() || !a[1].isBool() || !a[2].isString())
                return R::bad(QStringLiteral("a transcript with a damaged verdict"));
            m.verdicts.append({a[0].toString(), a[1].toBool(), a[2].toString()});
        }
        // Older trainers send neither: every verdict judged, every word heard with confidence.
        for (const QJsonValue& v : o.value(QStringLiteral("unclear")).toArray()) {
            if (!v.isString()) return R::bad(QStringLiteral("a transcript with a damaged verdict"));
            for (air::VoiceVerdict& verdict : m.verdicts)
                if (verdict.element == v.toString() && !verdict.ok) verdict.unclear = true;
        }
        for (const QJsonValue& v : o.value(QStringLiteral("confidence")).toArray()) {
            if (!v.isDouble() || v.toDouble() < 0 || v.toDouble() > 1)
                return R::bad(QStringLiteral("a transcript with a damaged confidence"));
            m.confidence.push_back(float(v.toDouble()));
        }
        // One for each word, or none.
        if (m.confidence.size() != size_t(m.words.split(QLatin1Char(' '), Qt::SkipEmptyParts).size())) m.confidence.clear();
        if (m.channel.isEmpty() || m.channel.size() > 8) return R::bad(QStringLiteral("a transcript without its channel"));
    }
    return R::good(std::move(m));
}

} // namespace classroom
