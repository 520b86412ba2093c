#pragma once
// The radio's NMEA 0183 output for chart plotters: a TCP server (port 10110 by default, on the
// loopback address unless told otherwise) that sends every sentence to every connected client.
// Clients come and go at any time. A client that reads slowly, or not at all, never holds up the
// window: each client has a bounded queue, and when it is full the oldest sentences are dropped
// (and counted).
//
// Plain sockets under the event loop's socket notifiers: the program does not load a network
// library (and what that brings in) just to serve a few sentences.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <deque>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace air {

class NmeaServer : public QObject {
public:
    static constexpr quint16 kDefaultPort = 10110;
    // What one client may have waiting, in bytes, before its oldest sentences are dropped.
    static constexpr qsizetype kClientQueueBytes = 64 * 1024;

    explicit NmeaServer(QObject* parent = nullptr);
    ~NmeaServer() override;

    // True when `address` is a numeric IPv4 or IPv6 address the server can listen on.
    static bool isAddress(const QString& address);

    // Starts listening on a numeric IPv4 or IPv6 address; port 0 picks a free port. False with
    // the reason in `error` when the address or port cannot be had.
    bool listen(const QString& address, quint16 port, QString* error = nullptr);
    bool isListening() const { return listenFd_ >= 0; }
    quint16 port() const { return port_; }

    // Queues one or more complete sentences (each ending CR LF) for every client.
    void send(const QByteArray& sentences);

    int clientCount() const { return static_cast<int>(clients_.size()); }
    // Sentences dropped so far because a client's queue was full.
    qint64 dropped() const { return dropped_; }

private:
    struct Client;
    void accept();
    void flush(Client& client);
    void forget(int fd);

    int listenFd_ = -1;
    quint16 port_ = 0;
    QSocketNotifier* acceptNotifier_ = nullptr;
    std::vector<std::unique_ptr<Client>> clients_;
    qint64 dropped_ = 0;
};

} // namespace air
