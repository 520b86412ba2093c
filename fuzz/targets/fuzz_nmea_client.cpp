// What a chart plotter sends to the NMEA server: a client connects on loopback, writes the bytes
// (in two pieces), is sent a sentence meanwhile, and leaves; the server must see it go.
#include "Fuzz.h"

#include "air/NmeaServer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLoggingCategory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

air::NmeaServer& server() {
    static air::NmeaServer* s = [] {
        fuzz::ensureApplication();
        // A line for every client that comes and goes is no use here.
        QLoggingCategory::setFilterRules(QStringLiteral("vhf.nmea.info=false"));
        auto* made = new air::NmeaServer;
        fuzz::require(made->listen(QStringLiteral("127.0.0.1"), 0), "the server listens on loopback");
        return made;
    }();
    return *s;
}

void runUntil(const std::function<bool()>& done) {
    while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    air::NmeaServer& s = server();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    fuzz::require(fd >= 0, "a client socket");
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(s.port());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    fuzz::require(::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0, "connecting on loopback");
    runUntil([&s] { return s.clientCount() == 1; });
    const size_t half = size / 2;
    if (half > 0) fuzz::require(::send(fd, data, half, MSG_NOSIGNAL) == ssize_t(half), "sending the first piece");
    s.send("$CDDSC,16,3669876500,08,00,26,900016,,,,S,*2F\r\n");
    if (size > half) fuzz::require(::send(fd, data + half, size - half, MSG_NOSIGNAL) == ssize_t(size - half), "sending the rest");
    ::shutdown(fd, SHUT_WR);
    runUntil([&s] { return s.clientCount() == 0; });
    ::close(fd);
    return 0;
}
