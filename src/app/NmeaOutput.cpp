#include "app/NmeaOutput.h"

#include "air/Air.h"
#include "air/NmeaServer.h"
#include "core/Context.h"
#include "dscwire/Nmea.h"
#include "platform/FirstFrame.h"

#include <QWindow>
#include <cstdio>
#include <functional>


NmeaOutput::NmeaOutput(Context& c) {
    c.air->subscribe([this](const air::Transmission& t) {
        // A receiver on channel 70 reports every call it hears, as the radio does the calls to it.
        if (!server_ || !(t.toOwnRadio || t.source == air::Source::Receiver) || !t.error.isEmpty()) return;
        QByteArray sentences;
        for (const QString& s : dscwire::nmeaSentences(t.message)) sentences += s.toLatin1();
        server_->send(sentences);
    });
}

NmeaOutput::~NmeaOutput() = default;

bool NmeaOutput::start(const QString& address, quint16 port) {
    auto server = std::make_unique<air::NmeaServer>();
    QString error;
    if (!server->listen(address, port, &error)) {
        std::fprintf(stderr, "vhf-dsc-trainer: no NMEA output: cannot listen on %s port %u: %s\n",
                     qPrintable(address), port, qPrintable(error));
        return false;
    }
    server_ = std::move(server);
    return true;
}

void NmeaOutput::startAfterFirstFrame(QWindow* window, const QString& address, quint16 port) {
    Q_ASSERT(window);
    platform::afterFirstFrame(window, [this, address, port] { start(address, port); });
}

bool NmeaOutput::isRunning() const { return server_ && server_->isListening(); }

quint16 NmeaOutput::port() const { return server_ ? server_->port() : 0; }

int NmeaOutput::clientCount() const { return server_ ? server_->clientCount() : 0; }
