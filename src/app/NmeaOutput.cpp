#include "app/NmeaOutput.h"

#include "air/Air.h"
#include "air/NmeaServer.h"
#include "app/Context.h"
#include "dscwire/Nmea.h"

#include <QEvent>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <functional>

namespace {

// Waits for the window's first expose, then queues the start behind the paint that it triggers.
class FirstExpose : public QObject {
public:
    FirstExpose(QWindow* window, std::function<void()> then) : QObject(window), then_(std::move(then)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, watched, then_);
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> then_;
};

} // namespace

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
    new FirstExpose(window, [this, address, port] { start(address, port); });
}

bool NmeaOutput::isRunning() const { return server_ && server_->isListening(); }

quint16 NmeaOutput::port() const { return server_ ? server_->port() : 0; }

int NmeaOutput::clientCount() const { return server_ ? server_->clientCount() : 0; }
