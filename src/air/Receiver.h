#pragma once
// A real receiver on channel 70: the sound of a sound input (a radio's audio output, an SDR
// program's) decoded as it comes, and every call heard put on the air as heard from outside.
#include <QObject>
#include <QString>

#include <memory>

namespace dscwire {
class StreamDecoder;
}
namespace platform {
class SoundCapture;
}

namespace air {

class Air;

class Receiver : public QObject {
    Q_OBJECT
public:
    explicit Receiver(Air& air, QObject* parent = nullptr);
    ~Receiver() override;

    // Starts listening to the sound input (a source's name); false with `error` when it cannot be
    // had. Listening to another input first stops the one before.
    bool listen(const QString& source, QString* error = nullptr);
    // Stops listening; calls still on their way are dropped.
    void stop();
    bool listening() const;
    const QString& source() const { return source_; }
    int heard() const { return heard_; } // calls put on the air since listening started

signals:
    // A call heard went on the air (its transmission number).
    void callHeard(int number);
    // Listening ended by itself: the input or the sound server went away.
    void stopped(const QString& why);

private:
    Air& air_;
    std::unique_ptr<dscwire::StreamDecoder> decoder_;
    std::unique_ptr<platform::SoundCapture> capture_;
    QString source_;
    int heard_ = 0;
    int session_ = 0; // which listening the queued calls belong to
};

} // namespace air
