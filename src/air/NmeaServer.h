#pragma once
// The radio's NMEA 0183 output for chart plotters: a TCP server (port 10110 by default, on the
// loopback address unless told otherwise) that sends every sentence to every connected client.
// Clients come and go at any time. A client that reads slowly, or not at all, never holds up the
// window: each client has a bounded queue, and when it is full the oldest sentences are dropped
// (and counted).
#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <deque>
#include <vector>

class QTcpServer;
class QTcpSocket;

namespace air {

class NmeaServer : public QObject {
public:
    static constexpr quint16 kDefaultPort = 10110;
    // What one client may have waiting, in bytes, before its oldest sentences are dropped.
    static constexpr qsizetype kClientQueueBytes = 64 * 1024;

    explicit NmeaServer(QObject* parent = nullptr);
    ~NmeaServer() override;

    // Starts listening; port 0 picks a free port. False with the reason in `error` when the
    // address or port cannot be had.
    bool listen(const QHostAddress& address, quint16 port, QString* error = nullptr);
    bool isListening() const;
    quint16 port() const;

    // Queues one or more complete sentences (each ending CR LF) for every client.
    void send(const QByteArray& sentences);

    int clientCount() const { return static_cast<int>(clients_.size()); }
    // Sentences dropped so far because a client's queue was full.
    qint64 dropped() const { return dropped_; }

private:
    struct Client {
        QTcpSocket* socket;
        std::deque<QByteArray> queue;
        qsizetype queuedBytes = 0;
        qint64 dropped = 0;
    };
    void accept();
    void flush(Client& client);
    Client* clientOf(QTcpSocket* socket);
    void forget(QTcpSocket* socket);

    QTcpServer* server_;
    std::vector<Client> clients_;
    qint64 dropped_ = 0;
};

} // namespace air
