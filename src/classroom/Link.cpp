// The link's connection: the broker looked up, the station's session joined and kept, and tried
// again with a growing pause. Presence, calls and voice are in LinkPresence.cpp, LinkCalls.cpp
// and LinkVoice.cpp.
#include "classroom/Link.h"

#include "classroom/MqttClient.h"
#include "classroom/Topics.h"

#include <QUuid>

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
    subscribeExam();
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

QStringList Link::voices() const {
    QStringList all{settings_.mmsi};
    for (const QString& v : voices_)
        if (!all.contains(v)) all << v;
    return all;
}

} // namespace classroom
