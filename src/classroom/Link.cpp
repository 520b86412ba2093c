#include "classroom/Link.h"

#include "classroom/MqttClient.h"
#include "classroom/Topics.h"

#include <QJsonDocument>
#include <QUuid>

#include <mosquitto.h>  // constants only

#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>

Q_LOGGING_CATEGORY(lcClass, "vhf.class", QtInfoMsg)

namespace classroom {

// A look-up's thread posts its answer to `link` only while the link lives: the link clears it,
// under the lock, before it goes.
struct Link::Mailbox {
    std::mutex mutex;
    Link* link = nullptr;
};

namespace {

// A numeric IPv4 or IPv6 address (no look-up needed, none is made)?
bool isAddress(const QString& host) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo* found = nullptr;
    const int rc = getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found);
    if (found) freeaddrinfo(found);
    return rc == 0;
}

struct Resolved {
    QString address;  // numeric
    QString error;    // empty when found
};

// Blocks until the system's resolver answers; run off the window's thread. The first IPv4
// address is taken if there is one (brokers often listen on IPv4 only), else the first one.
Resolved resolve(const QByteArray& host) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = getaddrinfo(host.constData(), nullptr, &hints, &found);
    if (rc != 0 || !found) {
        const int saved = errno;
        if (found) freeaddrinfo(found);
        if (rc == EAI_SYSTEM) return {{}, QString::fromLocal8Bit(strerror(saved))};
        return {{}, rc ? QString::fromLocal8Bit(gai_strerror(rc)) : QStringLiteral("no address")};
    }
    const addrinfo* chosen = found;
    for (const addrinfo* a = found; a; a = a->ai_next)
        if (a->ai_family == AF_INET) { chosen = a; break; }
    char text[NI_MAXHOST] = {};
    const int nrc = getnameinfo(chosen->ai_addr, chosen->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST);
    freeaddrinfo(found);
    if (nrc != 0) return {{}, QString::fromLocal8Bit(gai_strerror(nrc))};
    return {QString::fromLatin1(text), {}};
}

} // namespace

QString stateText(LinkState s) {
    switch (s) {
    case LinkState::Connecting: return QStringLiteral("Connecting");
    case LinkState::Online: return QStringLiteral("Online");
    case LinkState::Offline: return QStringLiteral("Offline");
    case LinkState::Refused: return QStringLiteral("Refused");
    }
    return {};
}

Link::Link(const Settings& settings, QObject* parent)
    : QObject(parent), settings_(settings),
      instance_(QUuid::createUuid().toString(QUuid::WithoutBraces)),
      // Milliseconds since the epoch at start, times a thousand: a trainer that starts again
      // later begins above every number of its earlier run, so receivers still running take its
      // new calls for new.
      seqBase_(QDateTime::currentMSecsSinceEpoch() * 1000) {
    mailbox_ = std::make_shared<Mailbox>();
    mailbox_->link = this;
    qRegisterMetaType<classroom::LinkState>();
    qRegisterMetaType<classroom::StationStatus>();
    qRegisterMetaType<dscwire::Message>();
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &Link::attempt);
}

Link::~Link() {
    {
        const std::lock_guard lock(mailbox_->mutex);
        mailbox_->link = nullptr;
    }
    blockSignals(true);
    stop();
}

void Link::setState(LinkState state, const QString& reason) {
    if (state == state_ && reason == reason_) return;
    state_ = state;
    reason_ = reason;
    emit stateChanged(state, reason);
}

void Link::start() {
    if (const QString problem = settings_.problem(); !problem.isEmpty()) {
        setState(LinkState::Refused, problem);
        return;
    }
    // libmosquitto is loaded here, with the first start.
    if (const QString missing = MqttClient::libraryProblem(); !missing.isEmpty()) {
        refuse(QStringLiteral("Cannot join class %1: %2").arg(settings_.className, missing));
        return;
    }
    running_ = true;
    backoff_ = backoffFirst_;
    // Made before the first attempt: calls given before the first connection wait in its queue.
    if (!station_) makeStation();
    const QPointer<Link> alive(this);
    setState(LinkState::Connecting, QStringLiteral("Joining class %1 at %2:%3")
                                        .arg(settings_.className, settings_.host).arg(settings_.port));
    if (alive) attempt();
}

void Link::stop() {
    running_ = false;
    ++lookup_;  // an answer still under way is not waited for
    retry_.stop();
    dropProbe();
    if (station_ && station_->isConnected()) {
        station_->publish(topics::status(settings_.className, settings_.mmsi), encodeStatus(ownStatus(false)), 1, true);
        station_->disconnectFromBroker();
    }
    if (state_ != LinkState::Refused) setState(LinkState::Offline, QStringLiteral("Left class %1").arg(settings_.className));
}

void Link::attempt() {
    if (!running_) return;
    const quint64 lookup = ++lookup_;
    if (settings_.tls || isAddress(settings_.host)) {
        // A TLS certificate is checked against the name, so the library gets the name.
        probe(settings_.host);
        return;
    }
    // libmosquitto would look the name up itself, blocking the window: a thread of its own does,
    // and posts the answer back to this link's thread, unless the link is gone by then.
    try {
        std::thread([mailbox = mailbox_, host = settings_.host.toUtf8(), lookup] {
            const Resolved r = resolve(host);
            const std::lock_guard lock(mailbox->mutex);
            if (Link* link = mailbox->link)
                QMetaObject::invokeMethod(link, [link, lookup, r] { link->resolved(lookup, r.address, r.error); },
                                          Qt::QueuedConnection);
        }).detach();
    } catch (const std::system_error& e) {
        lost(QStringLiteral("Cannot look up the broker %1: %2").arg(settings_.host, QString::fromLocal8Bit(e.what())));
    }
}

void Link::resolved(quint64 lookup, const QString& address, const QString& error) {
    if (!running_ || lookup != lookup_) return;  // stopped, or started again since
    if (!error.isEmpty()) {
        lost(QStringLiteral("Cannot find the broker %1: %2").arg(settings_.host, error));
        return;
    }
    probe(address);
}

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

void Link::makeStation() {
    MqttClient::Options o;
    o.clientId = topics::clientId(settings_.className, settings_.mmsi);
    o.cleanSession = false;
    o.user = settings_.user;
    o.password = settings_.password;
    o.tls = settings_.tls;
    o.willTopic = topics::status(settings_.className, settings_.mmsi);
    o.willPayload = encodeStatus(ownStatus(false));
    o.willRetain = true;
    station_ = new MqttClient(o, this);
    MqttClient* c = station_;
    // Taken directly, in the turn that read them: a received call reaches the air without waiting
    // for another turn of the event loop. Whatever a slot of ours emits comes last in it, as the
    // slots of the application may delete this link.
    connect(c, &MqttClient::connected, this, [this, c](int rc) { if (c == station_) joined(rc); });
    connect(c, &MqttClient::messageReceived, this, [this, c](const QString& topic, const QByteArray& payload, bool retained) {
        if (c == station_) received(topic, payload, retained);
    });
    connect(c, &MqttClient::disconnected, this, [this, c](int rc) {
        if (c != station_ || !running_) return;
        lost(QStringLiteral("Lost the connection to the broker at %1:%2: %3")
                 .arg(settings_.host).arg(settings_.port).arg(MqttClient::errorText(rc)));
    });
}

void Link::join() {
    if (!running_) return;
    if (!station_) makeStation();
    QString error;
    if (!station_->connectTo(address_, settings_.port, &error))
        lost(QStringLiteral("Cannot reach the broker at %1:%2: %3").arg(settings_.host).arg(settings_.port).arg(error));
}

void Link::joined(int connack) {
    if (!running_) return;
    if (connack != 0) {
        const QString reason = QStringLiteral("The broker refused: %1").arg(MqttClient::connackText(connack));
        if (connack == 4 || connack == 5) refuse(reason); else lost(reason);
        return;
    }
    const QString& cls = settings_.className;
    // The broker may have forgotten the session (restarted without persistence): subscribe again.
    station_->subscribe(topics::allCalls(cls), 1);
    station_->subscribe(topics::allStatus(cls), 1);
    station_->subscribe(topics::command(cls), 1);
    station_->subscribe(topics::notice(cls, settings_.mmsi), 1);
    if (settings_.instructor) station_->subscribe(topics::allResults(cls), 1);
    station_->subscribe(topics::allVoice(cls), 1);
    station_->publish(topics::status(cls, settings_.mmsi), encodeStatus(ownStatus(true)), 1, true);
    backoff_ = backoffFirst_;
    if (state_ != LinkState::Online)
        qCInfo(lcClass).noquote() << "class" << cls << "online at" << settings_.url() << "as" << settings_.mmsi;
    setState(LinkState::Online, {});
}

void Link::lost(const QString& reason) {
    dropProbe();
    if (!running_) return;
    retryLater();  // before the state is told: a slot may delete this link
    if (state_ != LinkState::Offline) {
        qCWarning(lcClass).noquote() << reason + QStringLiteral("; trying again in the background");
        setState(LinkState::Offline, reason);
    }
}

void Link::retryLater() {
    if (!running_ || retry_.isActive()) return;
    retry_.start(backoff_);
    backoff_ = std::min(backoff_ * 2, backoffMax_);
}

void Link::refuse(const QString& reason) {
    running_ = false;
    retry_.stop();
    dropProbe();
    if (station_ && station_->isConnected()) station_->disconnectFromBroker();
    qCWarning(lcClass).noquote() << reason;
    setState(LinkState::Refused, reason);
}

StationStatus Link::ownStatus(bool online) const {
    return {settings_.mmsi, settings_.vesselName, settings_.instructor, online, instance_};
}

QStringList Link::voices() const {
    QStringList all{settings_.mmsi};
    for (const QString& v : voices_)
        if (!all.contains(v)) all << v;
    return all;
}

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

bool Link::publishVoice(const QString& channel, const VoiceMessage& message) {
    if (!station_ || !voices().contains(message.sender)) return false;
    const bool frame = message.kind == VoiceMessage::Frame;
    if (frame && !station_->isConnected()) return false;
    const int rc = station_->publish(topics::voice(settings_.className, channel, message.sender), encodeVoice(message),
                                     frame ? 0 : 1, false);
    return rc == MOSQ_ERR_SUCCESS || (!frame && rc == MOSQ_ERR_NO_CONN);
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

void Link::received(const QString& topic, const QByteArray& payload, bool) {
    const QString& cls = settings_.className;
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

void Link::dropVoice(const QString& station, const QString& topic, const QString& why) {
    const QString who = station.isEmpty() ? topic : station;
    if (voiceWarned_.contains(who)) return;
    voiceWarned_.insert(who);
    qCWarning(lcClass).noquote() << "dropped voice on" << topic << "-" << why
                                 << "(more of it from this station is dropped without a word)";
}

void Link::receivedVoice(const QString& topic, const QByteArray& payload) {
    const auto [channel, station] = topics::voiceOf(topic, settings_.className);
    if (voices().contains(station)) return;  // our own, back from the broker
    if (channel.isEmpty()) return dropVoice({}, topic, QStringLiteral("not a voice topic of a channel and a station"));
    const auto decoded = decodeVoice(payload, station);
    if (!decoded.ok()) return dropVoice(station, topic, decoded.error());
    const VoiceMessage& m = decoded.value();
    VoiceSeen& seen = voiceSeen_[m.sender];
    bool replay = false;
    switch (m.kind) {
    case VoiceMessage::Frame:
        replay = m.transmission <= seen.ended || m.transmission < seen.transmission ||
                 (m.transmission == seen.transmission && qint64(m.number) <= seen.frame);
        if (!replay) seen.transmission = m.transmission, seen.frame = m.number;
        break;
    case VoiceMessage::End:
        replay = m.transmission <= seen.ended;
        if (!replay) seen.ended = m.transmission;
        break;
    case VoiceMessage::Transcript:
        replay = m.transmission <= seen.transcript;
        if (!replay) seen.transcript = m.transmission;
        break;
    }
    if (replay)
        return dropVoice(station, topic, QStringLiteral("transmission %1, frame %2 is not newer than what came before "
                                                        "(a replay or a duplicate)").arg(m.transmission).arg(m.number));
    emit voiceReceived(channel, m);
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
