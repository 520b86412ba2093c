#include "classroom/MqttClient.h"

#include <QLoggingCategory>
#include <QPointer>
#include <QSocketNotifier>

#include <mosquitto.h>  // types and constants only: the functions are looked up at run time

#include <dlfcn.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

Q_DECLARE_LOGGING_CATEGORY(lcClass)  // Link.cpp

namespace classroom {
namespace {

// Every libmosquitto function the client calls.
#define VHF_MOSQUITTO_FUNCTIONS(X)                                                                          \
    X(mosquitto_lib_init) X(mosquitto_lib_cleanup) X(mosquitto_new) X(mosquitto_destroy)                    \
    X(mosquitto_int_option) X(mosquitto_connect_callback_set) X(mosquitto_disconnect_callback_set)          \
    X(mosquitto_message_callback_set) X(mosquitto_subscribe_callback_set) X(mosquitto_publish_callback_set) \
    X(mosquitto_username_pw_set) X(mosquitto_tls_set) X(mosquitto_will_set) X(mosquitto_reconnect_delay_set) \
    X(mosquitto_connect_async) X(mosquitto_disconnect) X(mosquitto_socket) X(mosquitto_want_write)          \
    X(mosquitto_loop_read) X(mosquitto_loop_write) X(mosquitto_loop_misc) X(mosquitto_publish)              \
    X(mosquitto_subscribe) X(mosquitto_strerror) X(mosquitto_connack_string)

// libmosquitto, loaded with the first client rather than with the program (as the sound libraries
// in platform/PulseSound.cpp): a trainer that joins no class never loads it. The package depends
// on it all the same.
struct Mosquitto {
#define VHF_DECLARE(f) decltype(&::f) f = nullptr;
    VHF_MOSQUITTO_FUNCTIONS(VHF_DECLARE)
#undef VHF_DECLARE
    const char* problem = nullptr;  // null once loaded; else why not (kept for the process)
};

decltype(&::mosquitto_lib_cleanup) libCleanup = nullptr;  // for atexit, which outlives the table

const Mosquitto& mosq() {
    // A function-local static: loaded once, also when the first clients come from several threads.
    static const Mosquitto m = [] {
        Mosquitto l;
        // Only the test of a machine without libmosquitto names another library here.
        const QByteArray name = qEnvironmentVariableIsSet("VHF_MOSQUITTO_LIBRARY")
                                    ? qgetenv("VHF_MOSQUITTO_LIBRARY")
                                    : QByteArrayLiteral("libmosquitto.so.1");
        static QByteArray problem;
        void* library = dlopen(name.constData(), RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            const char* why = dlerror();
            qCWarning(lcClass).noquote() << "cannot load" << name << "-" << (why ? why : "no reason given");
            problem = "the MQTT client library " + name + " is not installed (Debian package libmosquitto1)";
            l.problem = problem.constData();
            return l;
        }
        const char* missing = nullptr;
#define VHF_RESOLVE(f) \
    if (!missing && !(l.f = reinterpret_cast<decltype(l.f)>(dlsym(library, #f)))) missing = #f;
        VHF_MOSQUITTO_FUNCTIONS(VHF_RESOLVE)
#undef VHF_RESOLVE
        if (missing) {
            problem = "the MQTT client library " + name + " is too old: it has no " + missing +
                      " (version 2.0 or later is needed)";
            l.problem = problem.constData();
            return l;
        }
        l.mosquitto_lib_init();
        libCleanup = l.mosquitto_lib_cleanup;
        std::atexit([] { libCleanup(); });
        return l;
    }();
    return m;
}

} // namespace

QString MqttClient::libraryProblem() {
    const char* problem = mosq().problem;
    return problem ? QString::fromUtf8(problem) : QString();
}

MqttClient::MqttClient(const Options& o, QObject* parent) : QObject(parent) {
    keepAlive_ = o.keepAlive;
    misc_.setInterval(1000);
    connect(&misc_, &QTimer::timeout, this, &MqttClient::housekeeping);
    const Mosquitto& lib = mosq();
    if (lib.problem) return;  // a client that does nothing: connectTo says why
    const QByteArray id = o.clientId.toUtf8();
    mosq_ = lib.mosquitto_new(id.constData(), o.cleanSession, this);
    Q_ASSERT(mosq_);
    if (!mosq_) return;
    lib.mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    lib.mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);
    lib.mosquitto_connect_callback_set(mosq_, &MqttClient::onConnect);
    lib.mosquitto_disconnect_callback_set(mosq_, &MqttClient::onDisconnect);
    lib.mosquitto_message_callback_set(mosq_, &MqttClient::onMessage);
    lib.mosquitto_subscribe_callback_set(mosq_, &MqttClient::onSubscribe);
    lib.mosquitto_publish_callback_set(mosq_, &MqttClient::onPublish);
    if (!o.user.isEmpty())
        lib.mosquitto_username_pw_set(mosq_, o.user.toUtf8().constData(),
                                      o.password.isEmpty() ? nullptr : o.password.toUtf8().constData());
    if (o.tls) {
        lib.mosquitto_int_option(mosq_, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        lib.mosquitto_tls_set(mosq_, nullptr, "/etc/ssl/certs", nullptr, nullptr, nullptr);
    }
    if (!o.willTopic.isEmpty())
        lib.mosquitto_will_set(mosq_, o.willTopic.toUtf8().constData(), int(o.willPayload.size()),
                               o.willPayload.constData(), 1, o.willRetain);
    lib.mosquitto_reconnect_delay_set(mosq_, 1, 8, true);
}

MqttClient::~MqttClient() {
    detach();
    if (mosq_) mosq().mosquitto_destroy(mosq_);
}

bool MqttClient::connectTo(const QString& host, int port, QString* error) {
    detach();
    connected_ = false;
    toldDisconnect_ = false;
    if (!mosq_) {
        if (error) *error = libraryProblem();
        return false;
    }
    const int rc = mosq().mosquitto_connect_async(mosq_, host.toUtf8().constData(), port, keepAlive_);
    if (rc != MOSQ_ERR_SUCCESS) {
        if (error) *error = errorText(rc);
        return false;
    }
    attach();
    deliverSoon();
    return true;
}

void MqttClient::disconnectFromBroker() {
    if (fd_ < 0) return;
    const Mosquitto& lib = mosq();
    const bool was = connected_;
    lib.mosquitto_disconnect(mosq_);
    // Write what is queued (a last status, the DISCONNECT itself) before letting go.
    for (int i = 0; i < 50 && fd_ >= 0 && lib.mosquitto_socket(mosq_) >= 0 && lib.mosquitto_want_write(mosq_); ++i)
        if (lib.mosquitto_loop_write(mosq_, 1) != MOSQ_ERR_SUCCESS) break;
    detach();
    connected_ = false;
    if (was) noteDisconnected(MOSQ_ERR_SUCCESS);
    deliverSoon();
}

int MqttClient::publish(const QString& topic, const QByteArray& payload, int qos, bool retain, int* mid) {
    if (!mosq_) return MOSQ_ERR_NOT_SUPPORTED;
    // Outside the library's callbacks (always, here) libmosquitto writes the packet at once; only
    // what the socket does not take waits for the write notifier.
    const int rc = mosq().mosquitto_publish(mosq_, mid, topic.toUtf8().constData(), int(payload.size()),
                                            payload.constData(), qos, retain);
    settle(MOSQ_ERR_SUCCESS);
    deliverSoon();
    return rc;
}

int MqttClient::subscribe(const QString& topic, int qos, int* mid) {
    if (!mosq_) return MOSQ_ERR_NOT_SUPPORTED;
    const int rc = mosq().mosquitto_subscribe(mosq_, mid, topic.toUtf8().constData(), qos);
    settle(MOSQ_ERR_SUCCESS);
    deliverSoon();
    return rc;
}

QString MqttClient::errorText(int rc) {
    if (rc == MOSQ_ERR_ERRNO)
        return errno == 0 ? QStringLiteral("the broker closed the connection") : QString::fromLocal8Bit(strerror(errno));
    const Mosquitto& lib = mosq();
    if (lib.problem) return QString::fromUtf8(lib.problem);
    return QString::fromUtf8(lib.mosquitto_strerror(rc));
}

QString MqttClient::connackText(int rc) {
    const Mosquitto& lib = mosq();
    if (lib.problem) return QStringLiteral("connection refused (code %1)").arg(rc);
    return QString::fromUtf8(lib.mosquitto_connack_string(rc));
}

// The callbacks only take notes: deliver() turns them into signals once the library has returned.
void MqttClient::onConnect(mosquitto*, void* self, int rc) {
    auto* c = static_cast<MqttClient*>(self);
    c->connected_ = rc == 0;
    c->events_.push_back({Event::Connected, rc});
}

void MqttClient::onDisconnect(mosquitto*, void* self, int rc) {
    auto* c = static_cast<MqttClient*>(self);
    c->connected_ = false;
    c->noteDisconnected(rc);
}

void MqttClient::onMessage(mosquitto*, void* self, const mosquitto_message* m) {
    static_cast<MqttClient*>(self)->events_.push_back(
        {Event::Message, 0, QString::fromUtf8(m->topic),
         QByteArray(static_cast<const char*>(m->payload), m->payloadlen), m->retain});
}

void MqttClient::onSubscribe(mosquitto*, void* self, int mid, int, const int*) {
    static_cast<MqttClient*>(self)->events_.push_back({Event::Subscribed, mid});
}

void MqttClient::onPublish(mosquitto*, void* self, int mid) {
    static_cast<MqttClient*>(self)->events_.push_back({Event::Published, mid});
}

void MqttClient::noteDisconnected(int rc) {
    if (toldDisconnect_) return;
    toldDisconnect_ = true;
    events_.push_back({Event::Disconnected, rc});
}

void MqttClient::deliver() {
    const QPointer<MqttClient> alive(this);
    // A slot may deliver too (a nested event loop): each event is taken off before it is told.
    while (alive && !events_.empty()) {
        Event e = std::move(events_.front());
        events_.pop_front();
        switch (e.kind) {
        case Event::Connected: emit connected(e.code); break;
        case Event::Disconnected: emit disconnected(e.code); break;
        case Event::Message: emit messageReceived(e.topic, e.payload, e.retained); break;
        case Event::Subscribed: emit subscribed(e.code); break;
        case Event::Published: emit published(e.code); break;
        }
        // Nothing of this object may be touched here before `alive` is checked again.
    }
}

void MqttClient::deliverSoon() {
    if (events_.empty() || deliverPosted_) return;
    deliverPosted_ = true;
    QMetaObject::invokeMethod(this, [this] {
        deliverPosted_ = false;
        deliver();
    }, Qt::QueuedConnection);
}

void MqttClient::attach() {
    fd_ = mosq().mosquitto_socket(mosq_);
    if (fd_ < 0) return;
    reader_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(reader_, &QSocketNotifier::activated, this, &MqttClient::readReady);
    writer_ = new QSocketNotifier(fd_, QSocketNotifier::Write, this);
    connect(writer_, &QSocketNotifier::activated, this, &MqttClient::writeReady);
    writer_->setEnabled(mosq().mosquitto_want_write(mosq_));
    misc_.start();
}

void MqttClient::detach() {
    // The notifiers go before the library closes or reuses the descriptor: switched off now, and
    // deleted later, as a slot of this client may be running from one of them.
    for (QSocketNotifier** n : {&reader_, &writer_}) {
        if (!*n) continue;
        (*n)->setEnabled(false);
        (*n)->disconnect(this);
        (*n)->deleteLater();
        *n = nullptr;
    }
    fd_ = -1;
    misc_.stop();
}

void MqttClient::readReady() {
    settle(mosq().mosquitto_loop_read(mosq_, 1));
    deliver();
}

void MqttClient::writeReady() {
    settle(mosq().mosquitto_loop_write(mosq_, 1));
    deliver();
}

void MqttClient::housekeeping() {
    settle(mosq().mosquitto_loop_misc(mosq_));
    deliver();
}

void MqttClient::settle(int rc) {
    if (fd_ < 0) return;
    const Mosquitto& lib = mosq();
    const int sock = lib.mosquitto_socket(mosq_);
    if (rc != MOSQ_ERR_SUCCESS || sock != fd_) {
        if (sock >= 0 && rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN) {
            // A broken connection that the library has not closed yet.
            lib.mosquitto_disconnect(mosq_);
        }
        if (rc != MOSQ_ERR_SUCCESS || sock < 0) {
            detach();
            connected_ = false;
            noteDisconnected(rc == MOSQ_ERR_SUCCESS ? MOSQ_ERR_CONN_LOST : rc);
            return;
        }
    }
    if (writer_) writer_->setEnabled(lib.mosquitto_want_write(mosq_));
}

} // namespace classroom
