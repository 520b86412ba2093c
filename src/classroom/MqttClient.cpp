#include "classroom/MqttClient.h"

#include <QSocketNotifier>

#include <mosquitto.h>

#include <cstdlib>
#include <mutex>

namespace classroom {

MqttClient::MqttClient(const Options& o, QObject* parent) : QObject(parent) {
    static std::once_flag once;
    std::call_once(once, [] {
        mosquitto_lib_init();
        std::atexit([] { mosquitto_lib_cleanup(); });
    });
    const QByteArray id = o.clientId.toUtf8();
    mosq_ = mosquitto_new(id.constData(), o.cleanSession, this);
    Q_ASSERT(mosq_);
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(mosq_, &MqttClient::onConnect);
    mosquitto_disconnect_callback_set(mosq_, &MqttClient::onDisconnect);
    mosquitto_message_callback_set(mosq_, &MqttClient::onMessage);
    mosquitto_subscribe_callback_set(mosq_, &MqttClient::onSubscribe);
    mosquitto_publish_callback_set(mosq_, &MqttClient::onPublish);
    if (!o.user.isEmpty())
        mosquitto_username_pw_set(mosq_, o.user.toUtf8().constData(),
                                  o.password.isEmpty() ? nullptr : o.password.toUtf8().constData());
    if (o.tls) {
        mosquitto_int_option(mosq_, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        mosquitto_tls_set(mosq_, nullptr, "/etc/ssl/certs", nullptr, nullptr, nullptr);
    }
    if (!o.willTopic.isEmpty())
        mosquitto_will_set(mosq_, o.willTopic.toUtf8().constData(), int(o.willPayload.size()),
                           o.willPayload.constData(), 1, o.willRetain);
    mosquitto_reconnect_delay_set(mosq_, 1, 8, true);
    keepAlive_ = o.keepAlive;
    misc_.setInterval(1000);
    connect(&misc_, &QTimer::timeout, this, &MqttClient::housekeeping);
}

MqttClient::~MqttClient() {
    detach();
    mosquitto_destroy(mosq_);
}

bool MqttClient::connectTo(const QString& host, int port, QString* error) {
    detach();
    connected_ = false;
    toldDisconnect_ = false;
    const int rc = mosquitto_connect_async(mosq_, host.toUtf8().constData(), port, keepAlive_);
    if (rc != MOSQ_ERR_SUCCESS) {
        if (error) *error = errorText(rc);
        return false;
    }
    attach();
    return true;
}

void MqttClient::disconnectFromBroker() {
    if (fd_ < 0) return;
    mosquitto_disconnect(mosq_);
    // Write what is queued (a last status, the DISCONNECT itself) before letting go.
    for (int i = 0; i < 50 && fd_ >= 0 && mosquitto_socket(mosq_) >= 0 && mosquitto_want_write(mosq_); ++i)
        if (mosquitto_loop_write(mosq_, 1) != MOSQ_ERR_SUCCESS) break;
    const bool was = connected_;
    detach();
    connected_ = false;
    if (was && !toldDisconnect_) {
        toldDisconnect_ = true;
        emit disconnected(0);
    }
}

int MqttClient::publish(const QString& topic, const QByteArray& payload, int qos, bool retain, int* mid) {
    const int rc = mosquitto_publish(mosq_, mid, topic.toUtf8().constData(), int(payload.size()),
                                     payload.constData(), qos, retain);
    settle(MOSQ_ERR_SUCCESS);
    return rc;
}

int MqttClient::subscribe(const QString& topic, int qos, int* mid) {
    const int rc = mosquitto_subscribe(mosq_, mid, topic.toUtf8().constData(), qos);
    settle(MOSQ_ERR_SUCCESS);
    return rc;
}

QString MqttClient::errorText(int rc) {
    if (rc == MOSQ_ERR_ERRNO)
        return errno == 0 ? QStringLiteral("the broker closed the connection") : QString::fromLocal8Bit(strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(rc));
}

QString MqttClient::connackText(int rc) { return QString::fromUtf8(mosquitto_connack_string(rc)); }

void MqttClient::onConnect(mosquitto*, void* self, int rc) {
    auto* c = static_cast<MqttClient*>(self);
    c->connected_ = rc == 0;
    emit c->connected(rc);
}

void MqttClient::onDisconnect(mosquitto*, void* self, int rc) {
    auto* c = static_cast<MqttClient*>(self);
    c->connected_ = false;
    if (!c->toldDisconnect_) {
        c->toldDisconnect_ = true;
        emit c->disconnected(rc);
    }
}

void MqttClient::onMessage(mosquitto*, void* self, const mosquitto_message* m) {
    auto* c = static_cast<MqttClient*>(self);
    emit c->messageReceived(QString::fromUtf8(m->topic),
                            QByteArray(static_cast<const char*>(m->payload), m->payloadlen), m->retain);
}

void MqttClient::onSubscribe(mosquitto*, void* self, int mid, int, const int*) {
    emit static_cast<MqttClient*>(self)->subscribed(mid);
}

void MqttClient::onPublish(mosquitto*, void* self, int mid) {
    emit static_cast<MqttClient*>(self)->published(mid);
}

void MqttClient::attach() {
    fd_ = mosquitto_socket(mosq_);
    if (fd_ < 0) return;
    reader_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(reader_, &QSocketNotifier::activated, this, &MqttClient::readReady);
    writer_ = new QSocketNotifier(fd_, QSocketNotifier::Write, this);
    connect(writer_, &QSocketNotifier::activated, this, &MqttClient::writeReady);
    writer_->setEnabled(mosquitto_want_write(mosq_));
    misc_.start();
}

void MqttClient::detach() {
    // The notifiers go before the library closes or reuses the descriptor.
    delete reader_;
    reader_ = nullptr;
    delete writer_;
    writer_ = nullptr;
    fd_ = -1;
    misc_.stop();
}

void MqttClient::readReady() { settle(mosquitto_loop_read(mosq_, 1)); }
void MqttClient::writeReady() { settle(mosquitto_loop_write(mosq_, 1)); }
void MqttClient::housekeeping() { settle(mosquitto_loop_misc(mosq_)); }

void MqttClient::settle(int rc) {
    if (fd_ < 0) return;
    const int sock = mosquitto_socket(mosq_);
    if (rc != MOSQ_ERR_SUCCESS || sock != fd_) {
        if (sock >= 0 && rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN) {
            // A broken connection that the library has not closed yet.
            mosquitto_disconnect(mosq_);
        }
        if (rc != MOSQ_ERR_SUCCESS || sock < 0) {
            detach();
            connected_ = false;
            if (!toldDisconnect_) {
                toldDisconnect_ = true;
                emit disconnected(rc == MOSQ_ERR_SUCCESS ? MOSQ_ERR_CONN_LOST : rc);
            }
            return;
        }
    }
    if (writer_) writer_->setEnabled(mosquitto_want_write(mosq_));
}

} // namespace classroom
