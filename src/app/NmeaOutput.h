#pragma once
// The radio's NMEA output: every call the own radio receives goes to the chart plotters as its
// $CDDSC sentence (and $CDDSE where the position has more decimals), through the NMEA server, and
// so does every call a receiver hears.
// Calls the own radio sends, and calls between other stations, are not reported. Until start()
// nothing touches the network; the program starts it once its window is on screen.
#include <QString>
#include <memory>

class QWindow;
struct Context;
namespace air {
class NmeaServer;
}

class NmeaOutput {
public:
    explicit NmeaOutput(Context& c);
    ~NmeaOutput();

    // Listens on the address and port (0: a free port). When that cannot be had, one warning line
    // goes to stderr and the trainer goes on without output; returns false.
    bool start(const QString& address, quint16 port);
    // The same, after the window has shown its first frame (its first expose event).
    void startAfterFirstFrame(QWindow* window, const QString& address, quint16 port);

    bool isRunning() const;
    quint16 port() const;
    int clientCount() const;

private:
    std::unique_ptr<air::NmeaServer> server_;
};
