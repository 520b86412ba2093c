// What the class exchanges besides voice and statuses: calls on channel 70, the instructor's
// commands, exercise results and notices; and every received message sorted by its topic.
#include "classroom/Link.h"

#include "classroom/MqttClient.h"
#include "classroom/Topics.h"

#include <QJsonDocument>

#include <mosquitto.h>  // constants only

namespace classroom {

bool Link::publishCall(const dscwire::Message& message, QString* error) {
    // One sequence for all the station's voices: it still rises for each of them.
    if (!voices().contains(message.selfId)) {
        if (error) *error = QStringLiteral("%1 is not this station's MMSI").arg(message.selfId);
        return false;
    }
    const auto payload = encodeCall(message.selfId, seqBase_ + sent_ + 1, QDateTime::currentDateTimeUtc(), message);
    if (!payload.ok()) {
        if (error) *error = payload.error();
        return false;
    }
    ++sent_;
    if (!station_) {
        if (error) *error = reason_;
        return false;
    }
    const int rc = station_->publish(topics::call(settings_.className, message.selfId), payload.value(), 1, false);
    // While not connected the library keeps a QoS 1 message in the session's queue (and says
    // MOSQ_ERR_NO_CONN); it goes out once, on the next connection.
    if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN) {
        if (error) *error = MqttClient::errorText(rc);
        return false;
    }
    return true;
}

bool Link::publishResult(const QJsonObject& results) {
    QByteArray payload = QJsonDocument(results).toJson(QJsonDocument::Compact);
    if (payload.size() > kMaxPayload) {
        // The task list goes first: the score still reaches the instructor.
        QJsonObject shorter = results;
        shorter.remove(QStringLiteral("tasks"));
        payload = QJsonDocument(shorter).toJson(QJsonDocument::Compact);
    }
    if (!station_) return false;
    const int rc = station_->publish(topics::result(settings_.className, settings_.mmsi), payload, 1, true);
    return rc == MOSQ_ERR_SUCCESS || rc == MOSQ_ERR_NO_CONN;
}

bool Link::publishCommand(const QString& command, bool retain) {
    if (!settings_.instructor || !station_) {
        qCWarning(lcClass).noquote() << "only the instructor's trainer sends commands; not sent:" << command;
        return false;
    }
    return station_->publish(topics::command(settings_.className),
                             encodeCommand(settings_.mmsi, command, QDateTime::currentDateTimeUtc()), 1, retain)
           == MOSQ_ERR_SUCCESS;
}

void Link::received(const QString& topic, const QByteArray& payload, bool) {
    const QString& cls = settings_.className;
    if (receivedExam(topic, payload)) return;
    if (topic.startsWith(topics::root(cls) + QStringLiteral("/ch70/"))) {
        receivedCall(topic, payload);
    } else if (topic.startsWith(topics::root(cls) + QStringLiteral("/status/"))) {
        receivedStatus(topic, payload);
    } else if (topic == topics::command(cls)) {
        if (payload.isEmpty()) return;  // a retained command cleared
        const auto c = decodeCommand(payload);
        if (!c.ok()) {
            qCWarning(lcClass).noquote() << "dropped a command on" << topic << "-" << c.error();
            return;
        }
        emit commandReceived(c.value().command, c.value().sender);
    } else if (const QString from = topics::stationOf(topic, cls, QStringLiteral("result")); !from.isEmpty()) {
        if (payload.isEmpty()) return;  // a retained result cleared
        const QJsonDocument doc = payload.size() <= kMaxPayload ? QJsonDocument::fromJson(payload) : QJsonDocument();
        if (!doc.isObject() || !dscwire::isMmsi(from)) {
            qCWarning(lcClass).noquote() << "dropped results on" << topic << "- not a JSON object of at most"
                                         << kMaxPayload << "bytes";
            return;
        }
        emit resultReceived(from, doc.object());
    } else if (topic.startsWith(topics::root(cls) + QStringLiteral("/voice/"))) {
        receivedVoice(topic, payload);
    } else if (topic == topics::notice(cls, settings_.mmsi)) {
        if (payload.size() > kMaxPayload) return;
        emit noticeReceived(QString::fromUtf8(payload));
    }
}

void Link::receivedCall(const QString& topic, const QByteArray& payload) {
    const QString station = topics::stationOf(topic, settings_.className, QStringLiteral("ch70"));
    // Our own calls come back from the broker: the air has them already.
    if (voices().contains(station)) return;
    const auto call = decodeCall(payload, station);
    if (!call.ok()) {
        qCWarning(lcClass).noquote() << "dropped a call on" << topic << "-" << call.error();
        return;
    }
    const CallEnvelope& e = call.value();
    const auto last = lastSeq_.constFind(e.sender);
    if (last != lastSeq_.cend() && e.seq <= *last) {
        qCWarning(lcClass).noquote() << "dropped a call on" << topic << "- sequence number" << e.seq
                                     << "is not newer than" << *last << "(a replay or a duplicate)";
        return;
    }
    lastSeq_.insert(e.sender, e.seq);
    emit callReceived(e.sender, e.message, e.sent);
}

} // namespace classroom
