#include "air/NmeaServer.h"

#include <QLoggingCategory>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>

Q_LOGGING_CATEGORY(lcNmea, "vhf.nmea")

namespace air {

namespace {
// What is handed to a socket at a time; the rest waits in the client's own queue.
constexpr qint64 kSocketBacklogBytes = 8 * 1024;
} // namespace

NmeaServer::NmeaServer(QObject* parent) : QObject(parent), server_(new QTcpServer(this)) {
    connect(server_, &QTcpServer::newConnection, this, [this] { accept(); });
}

NmeaServer::~NmeaServer() {
    for (Client& client : clients_) client.socket->disconnect(this);
}

bool NmeaServer::listen(const QHostAddress& address, quint16 port, QString* error) {
    if (server_->listen(address, port)) {
        qCInfo(lcNmea, "NMEA output on %s port %u", qPrintable(address.toString()), server_->serverPort());
        return true;
    }
    if (error) *error = server_->errorString();
    return false;
}

bool NmeaServer::isListening() const { return server_->isListening(); }

quint16 NmeaServer::port() const { return server_->serverPort(); }

void NmeaServer::accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        // Plotters only read; what they send is read and thrown away so it cannot pile up.
        connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
            if (Client* client = clientOf(socket)) flush(*client);
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] { forget(socket); });
        clients_.push_back(Client{socket, {}, 0});
        qCInfo(lcNmea, "NMEA client %s connected (%d in all)", qPrintable(socket->peerAddress().toString()),
               clientCount());
    }
}

void NmeaServer::send(const QByteArray& sentences) {
    if (sentences.isEmpty()) return;
    for (Client& client : clients_) {
        client.queue.push_back(sentences);
        client.queuedBytes += sentences.size();
        while (client.queuedBytes > kClientQueueBytes && client.queue.size() > 1) {
            client.queuedBytes -= client.queue.front().size();
            client.queue.pop_front();
            ++dropped_;
            // Logged at the 1st, 10th, 100th ... drop, so that a stuck client does not flood the log.
            const qint64 n = ++client.dropped;
            qint64 step = 1;
            while (step * 10 <= n) step *= 10;
            if (n == step)
                qCInfo(lcNmea, "NMEA client %s is not reading: %lld sentences dropped so far",
                       qPrintable(client.socket->peerAddress().toString()), n);
        }
        flush(client);
    }
}

void NmeaServer::flush(Client& client) {
    while (!client.queue.empty() && client.socket->bytesToWrite() < kSocketBacklogBytes) {
        const QByteArray next = std::move(client.queue.front());
        client.queue.pop_front();
        client.queuedBytes -= next.size();
        client.socket->write(next);
    }
}

NmeaServer::Client* NmeaServer::clientOf(QTcpSocket* socket) {
    auto it = std::find_if(clients_.begin(), clients_.end(), [socket](const Client& c) { return c.socket == socket; });
    return it == clients_.end() ? nullptr : &*it;
}

void NmeaServer::forget(QTcpSocket* socket) {
    auto it = std::find_if(clients_.begin(), clients_.end(), [socket](const Client& c) { return c.socket == socket; });
    if (it == clients_.end()) return;
    if (it->dropped) qCInfo(lcNmea, "NMEA client left after %lld sentences were dropped for it", it->dropped);
    clients_.erase(it);
    socket->disconnect(this);
    socket->deleteLater();
    qCInfo(lcNmea, "NMEA client left (%d in all)", clientCount());
}

} // namespace air
