#pragma once
// One libmosquitto client on the Qt event loop, without a thread of its own: a socket notifier
// for reading, one for writing while the library has something to send, and a one-second timer
// for its housekeeping (keep-alive pings, resending unacknowledged messages). Connecting never
// blocks: give it an address (or, with TLS, a name the system resolver has just looked up).
// MQTT 3.1.1, where a session kept with clean session off lasts until the station comes back.
//
// libmosquitto itself is loaded (dlopen) with the first client, not with the program: a trainer
// that joins no class never loads it. Without it, libraryProblem() says why and clients do nothing.
//
// Signals are never emitted from inside the library: its callbacks only note what happened, and
// the notes go out as signals once the library call that read them has returned, in the same turn
// of the event loop (after reading from the socket, writing to it, or the housekeeping), in the
// order they happened. So a slot may call anything here, and may even delete the client. What
// comes of a call made outside the event loop's turns (connectTo, publish, subscribe,
// disconnectFromBroker) is signalled on the next turn, never from inside that call.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>

struct mosquitto;
struct mosquitto_message;
class QSocketNotifier;

namespace classroom {

class MqttClient : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString clientId;
        bool cleanSession = true;
        QString user, password;
        bool tls = false;
        int keepAlive = 10;  // seconds
        QString willTopic;   // none when empty
        QByteArray willPayload;
        bool willRetain = false;
    };

    explicit MqttClient(const Options& options, QObject* parent = nullptr);
    ~MqttClient() override;  // drops the connection without a word: the broker sends the will

    // Starts connecting; false (and why) when it cannot even start, e.g. connection refused at
    // once. Otherwise `connected` or `disconnected` follows.
    bool connectTo(const QString& host, int port, QString* error = nullptr);
    // A clean goodbye: what is queued is written first, no will is sent.
    void disconnectFromBroker();
    bool isConnected() const { return connected_; }
    bool isAttached() const { return fd_ >= 0; }

    // QoS 0 or 1. A QoS 1 message given while not connected waits in the library's queue for the
    // next connection of the same session. Returns the library's result code (0 = accepted).
    int publish(const QString& topic, const QByteArray& payload, int qos, bool retain, int* mid = nullptr);
    int subscribe(const QString& topic, int qos, int* mid = nullptr);

    static QString errorText(int rc);
    static QString connackText(int rc);

    // Empty once libmosquitto is loaded (this loads it, the first time, from any thread), else
    // why it cannot be: "the MQTT client library libmosquitto.so.1 is not installed (...)".
    static QString libraryProblem();

signals:
    void connected(int connackCode);  // 0 = accepted
    void disconnected(int rc);        // 0 = we asked for it
    void messageReceived(const QString& topic, const QByteArray& payload, bool retained);
    void subscribed(int mid);
    void published(int mid);

private:
    static void onConnect(mosquitto*, void* self, int rc);
    static void onDisconnect(mosquitto*, void* self, int rc);
    static void onMessage(mosquitto*, void* self, const mosquitto_message* msg);
    static void onSubscribe(mosquitto*, void* self, int mid, int count, const int* granted);
    static void onPublish(mosquitto*, void* self, int mid);

    // What a callback noted, for the signal that tells it.
    struct Event {
        enum Kind { Connected, Disconnected, Message, Subscribed, Published } kind;
        int code = 0;  // connack, rc or mid
        QString topic;
        QByteArray payload;
        bool retained = false;
    };

    void attach();
    void detach();
    void readReady();
    void writeReady();
    void housekeeping();
    // After each call into the library: follow a lost connection, watch for writing.
    void settle(int rc);
    void noteDisconnected(int rc);
    // Emits the noted events, oldest first; returns at once if a slot deleted this client.
    void deliver();
    // For calls outside the event loop's turns: deliver on the next turn, if anything was noted.
    void deliverSoon();

    mosquitto* mosq_ = nullptr;
    QSocketNotifier* reader_ = nullptr;
    QSocketNotifier* writer_ = nullptr;
    int fd_ = -1;
    QTimer misc_;
    bool connected_ = false;
    bool toldDisconnect_ = false;
    int keepAlive_ = 10;
    std::deque<Event> events_;
    bool deliverPosted_ = false;
};

} // namespace classroom
