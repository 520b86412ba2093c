// Presence: the look at the own MMSI's status before joining, the station's own status when its
// name or MMSI changes, and the statuses of the others.
#include "classroom/Link.h"

#include "classroom/MqttClient.h"
#include "classroom/Topics.h"

namespace classroom {

// The look at the own MMSI's retained status, on a connection of its own. A client's signals come
// outside the library's callbacks (MqttClient.h), so they are taken directly: what they start
// happens in the same turn of the event loop.
void Link::probe(const QString& address) {
    address_ = address;
    conflictInstance_.clear();
    probeLastMid_ = -1;
    dropProbe();
    MqttClient::Options o;
    o.clientId = QStringLiteral("vhfdsc-look-") + instance_;
    o.cleanSession = true;
    o.user = settings_.user;
    o.password = settings_.password;
    o.tls = settings_.tls;
    auto* c = new MqttClient(o, this);
    probe_ = c;
    connect(c, &MqttClient::connected, this, [this, c](int rc) {
        if (c != probe_) return;
        if (rc != 0) {
            if (rc == 4 || rc == 5) refuse(QStringLiteral("The broker refused: %1").arg(MqttClient::connackText(rc)));
            else lost(QStringLiteral("The broker refused: %1").arg(MqttClient::connackText(rc)));
            return;
        }
        c->subscribe(topics::status(settings_.className, settings_.mmsi), 0);
        // Answered after the retained status of the first subscription has been sent.
        c->subscribe(topics::command(settings_.className), 0, &probeLastMid_);
    });
    connect(c, &MqttClient::messageReceived, this, [this, c](const QString& topic, const QByteArray& payload) {
        if (c != probe_) return;
        probeMessage(topic, payload);
    });
    connect(c, &MqttClient::subscribed, this, [this, c](int mid) {
        if (c == probe_ && mid == probeLastMid_) probeDone();
    });
    connect(c, &MqttClient::disconnected, this, [this, c](int rc) {
        if (c != probe_) return;
        lost(QStringLiteral("Cannot reach the broker at %1:%2: %3")
                 .arg(settings_.host).arg(settings_.port).arg(MqttClient::errorText(rc)));
    });
    QString error;
    if (!c->connectTo(address_, settings_.port, &error))
        lost(QStringLiteral("Cannot reach the broker at %1:%2: %3").arg(settings_.host).arg(settings_.port).arg(error));
}

void Link::probeMessage(const QString& topic, const QByteArray& payload) {
    if (topic != topics::status(settings_.className, settings_.mmsi) || payload.isEmpty()) return;
    const auto s = decodeStatus(payload, settings_.mmsi);
    if (s.ok() && s.value().online && s.value().instance != instance_) conflictInstance_ = s.value().instance;
}

void Link::probeDone() {
    if (conflictInstance_.isEmpty()) {
        dropProbe();
        join();
        return;
    }
    // Both sides are told: this link is refused, the station already online gets a notice.
    probe_->publish(topics::notice(settings_.className, settings_.mmsi),
                    QStringLiteral("Another trainer (%1) tried to join class %2 as MMSI %3, which is already "
                                   "online here; it was refused.")
                        .arg(settings_.vesselName.isEmpty() ? QStringLiteral("no name") : settings_.vesselName,
                             settings_.className, settings_.mmsi)
                        .toUtf8(),
                    1, false);
    refuse(QStringLiteral("MMSI %1 is already online in class %2").arg(settings_.mmsi, settings_.className));
}

void Link::dropProbe() {
    if (!probe_) return;
    MqttClient* c = probe_;
    probe_ = nullptr;
    c->disconnect(this);
    c->disconnectFromBroker();
    c->deleteLater();
}

StationStatus Link::ownStatus(bool online) const {
    return {settings_.mmsi, settings_.vesselName, settings_.instructor, online, instance_};
}

void Link::announce(const QString& vesselName, const QString& mmsi) {
    if (mmsi == settings_.mmsi) {
        settings_.vesselName = vesselName;
        if (station_ && station_->isConnected())
            station_->publish(topics::status(settings_.className, settings_.mmsi), encodeStatus(ownStatus(true)), 1, true);
        return;
    }
    // A new MMSI is a new station: leave under the old one, join under the new.
    const bool wasRunning = running_ || state_ == LinkState::Refused;
    const QPointer<Link> alive(this);
    stop();
    if (!alive) return;  // a slot deleted it on leaving
    if (station_) {
        station_->disconnect(this);
        station_->deleteLater();
        station_ = nullptr;
    }
    settings_.vesselName = vesselName;
    settings_.mmsi = mmsi;
    if (wasRunning) start();
}

void Link::receivedStatus(const QString& topic, const QByteArray& payload) {
    if (payload.isEmpty()) return;  // a retained status cleared
    const QString station = topics::stationOf(topic, settings_.className, QStringLiteral("status"));
    const auto s = decodeStatus(payload, station);
    if (!s.ok()) {
        qCWarning(lcClass).noquote() << "dropped a status on" << topic << "-" << s.error();
        return;
    }
    const auto known = stations_.constFind(station);
    if (known != stations_.cend() && *known == s.value()) return;
    stations_.insert(station, s.value());
    emit stationChanged(s.value());
}

} // namespace classroom
