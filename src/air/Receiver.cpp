#include "air/Receiver.h"

#include "air/Air.h"
#include "dscwire/Codec.h"
#include "platform/SoundInput.h"

namespace air {

Receiver::Receiver(Air& air, QObject* parent) : QObject(parent), air_(air) {}

Receiver::~Receiver() { stop(); }

bool Receiver::listen(const QString& source, QString* error) {
    stop();
    const int session = ++session_;
    // The decoder runs on the recording thread; what it finds is handed to the window's thread.
    decoder_ = std::make_unique<dscwire::StreamDecoder>([this, session](const dscwire::Decoded& d) {
        if (!d.ok()) return;
        QMetaObject::invokeMethod(
            this,
            [this, session, message = *d.message] {
                if (session != session_ || !listening()) return;
                ++heard_;
                emit callHeard(air_.hear(message).number);
            },
            Qt::QueuedConnection);
    });
    capture_ = std::make_unique<platform::SoundCapture>(
        [this](const float* samples, qint64 count) { decoder_->feed(samples, count); },
        [this, session](const QString& why) {
            QMetaObject::invokeMethod(
                this,
                [this, session, why] {
                    if (session != session_ || !listening()) return;
                    stop();
                    emit stopped(why);
                },
                Qt::QueuedConnection);
        });
    if (!capture_->start(source, dscwire::kSampleRate, error)) {
        capture_.reset();
        decoder_.reset();
        return false;
    }
    source_ = source;
    heard_ = 0;
    return true;
}

void Receiver::stop() {
    ++session_;
    if (capture_) capture_->stop();
    capture_.reset();
    decoder_.reset();
}

bool Receiver::listening() const { return capture_ != nullptr; }

} // namespace air
