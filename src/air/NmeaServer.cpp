#include "air/NmeaServer.h"

#include <QLoggingCategory>
#include <QSocketNotifier>
#include <algorithm>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcNmea, "vhf.nmea")

namespace air {

namespace {

struct Endpoint {
    sockaddr_storage storage{};
    socklen_t length = 0;
};

bool endpointOf(const QString& address, quint16 port, Endpoint& out) {
    const QByteArray text = address.toLatin1();
    auto* v4 = reinterpret_cast<sockaddr_in*>(&out.storage);
    if (inet_pton(AF_INET, text.constData(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port);
        out.length = sizeof(sockaddr_in);
        return true;
    }
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&out.storage);
    if (inet_pton(AF_INET6, text.constData(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(port);
        out.length = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

QString peerName(int fd) {
    sockaddr_storage peer{};
    socklen_t length = sizeof(peer);
    char text[INET6_ADDRSTRLEN] = "?";
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0) {
        if (peer.ss_family == AF_INET)
            inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&peer)->sin_addr, text, sizeof(text));
        else if (peer.ss_family == AF_INET6)
            inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(&peer)->sin6_addr, text, sizeof(text));
    }
    return QString::fromLatin1(text);
}

} // namespace

struct NmeaServer::Client {
    int fd = -1;
    QString peer;
    std::unique_ptr<QSocketNotifier> readable, writable;
    std::deque<QByteArray> queue;
    qsizetype written = 0; // bytes of the first queued chunk already sent
    qsizetype queuedBytes = 0;
    qint64 dropped = 0;
    ~Client() {
        readable.reset();
        writable.reset();
        if (fd >= 0) ::close(fd);
    }
};

NmeaServer::NmeaServer(QObject* parent) : QObject(parent) {}

NmeaServer::~NmeaServer() {
    clients_.clear();
    delete acceptNotifier_;
    if (listenFd_ >= 0) ::close(listenFd_);
}

bool NmeaServer::isAddress(const QString& address) {
    Endpoint e;
    return endpointOf(address, 0, e);
}

bool NmeaServer::listen(const QString& address, quint16 port, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (listenFd_ >= 0) return fail(QStringLiteral("already listening"));
    Endpoint e;
    if (!endpointOf(address, port, e)) return fail(QStringLiteral("not an IP address: %1").arg(address));
    const int fd = ::socket(e.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return fail(QString::fromLocal8Bit(std::strerror(errno)));
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&e.storage), e.length) != 0 || ::listen(fd, 16) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return fail(why);
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof(bound);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                              : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    listenFd_ = fd;
    acceptNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Read);
    connect(acceptNotifier_, &QSocketNotifier::activated, this, [this] { accept(); });
    qCInfo(lcNmea, "NMEA output on %s port %u", qPrintable(address), port_);
    return true;
}

void NmeaServer::accept() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return; // EAGAIN: no more waiting; anything else: the next one may do better
        auto client = std::make_unique<Client>();
        client->fd = fd;
        client->peer = peerName(fd);
        client->readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        client->writable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
        client->writable->setEnabled(false);
        // Plotters only read; what they send is read and thrown away. End of file: it has left.
        connect(client->readable.get(), &QSocketNotifier::activated, this, [this, fd] {
            char buffer[512];
            const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) forget(fd);
        });
        connect(client->writable.get(), &QSocketNotifier::activated, this, [this, fd] {
            auto it = std::find_if(clients_.begin(), clients_.end(), [fd](const auto& c) { return c->fd == fd; });
            if (it != clients_.end()) flush(**it);
        });
        qCInfo(lcNmea, "NMEA client %s connected (%d in all)", qPrintable(client->peer), clientCount() + 1);
        clients_.push_back(std::move(client));
    }
}

void NmeaServer::send(const QByteArray& sentences) {
    if (sentences.isEmpty()) return;
    // A client may leave during a flush: work on the descriptors, not on the list itself.
    std::vector<int> fds;
    for (const auto& c : clients_) fds.push_back(c->fd);
    for (int fd : fds) {
        auto it = std::find_if(clients_.begin(), clients_.end(), [fd](const auto& c) { return c->fd == fd; });
        if (it == clients_.end()) continue;
        Client& client = **it;
        client.queue.push_back(sentences);
        client.queuedBytes += sentences.size();
        // The oldest whole sentences go; one already partly sent is finished first.
        while (client.queuedBytes > kClientQueueBytes && client.queue.size() > 1) {
            auto victim = client.written > 0 ? std::next(client.queue.begin()) : client.queue.begin();
            client.queuedBytes -= victim->size();
            client.queue.erase(victim);
            ++dropped_;
            // Logged at the 1st, 10th, 100th ... drop, so that a stuck client does not flood the log.
            const qint64 n = ++client.dropped;
            qint64 step = 1;
            while (step * 10 <= n) step *= 10;
            if (n == step)
                qCInfo(lcNmea, "NMEA client %s is not reading: %lld sentences dropped so far", qPrintable(client.peer), n);
        }
        flush(client);
    }
}

void NmeaServer::flush(Client& client) {
    while (!client.queue.empty()) {
        const QByteArray& front = client.queue.front();
        const ssize_t n = ::send(client.fd, front.constData() + client.written,
                                 static_cast<size_t>(front.size() - client.written), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) break;
            forget(client.fd); // the client has gone
            return;
        }
        client.written += n;
        if (client.written < front.size()) break;
        client.queuedBytes -= front.size();
        client.queue.pop_front();
        client.written = 0;
    }
    client.writable->setEnabled(!client.queue.empty());
}

void NmeaServer::forget(int fd) {
    auto it = std::find_if(clients_.begin(), clients_.end(), [fd](const auto& c) { return c->fd == fd; });
    if (it == clients_.end()) return;
    if ((*it)->dropped)
        qCInfo(lcNmea, "NMEA client %s left after %lld sentences were dropped for it", qPrintable((*it)->peer),
               (*it)->dropped);
    // The notifiers may be the ones calling: let them go once control is back in the event loop.
    for (auto* notifier : {(*it)->readable.release(), (*it)->writable.release()}) {
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    clients_.erase(it);
    qCInfo(lcNmea, "NMEA client left (%d in all)", clientCount());
}

} // namespace air
