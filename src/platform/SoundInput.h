#pragma once
// Sound inputs of the PulseAudio server (PipeWire's too): the list of its sources, and recording
// one of them on a thread of its own. libpulse is loaded with the first use (dlopen), not with the
// program.
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace platform {

struct SoundSource {
    QString name;        // the server's name, e.g. "alsa_input.usb-...", "vhf.monitor"
    QString description; // what the desktop calls it
};

// The server's sources in its order; empty with `error` set when there is no server to ask.
std::vector<SoundSource> soundSources(QString* error = nullptr);

struct PulseConnection;

// Records one source, mono, 32-bit float samples at `rate`, from start() until stop() or until the
// source goes away. Both callbacks run on the recording thread.
class SoundCapture {
public:
    using Block = std::function<void(const float* samples, qint64 count)>;
    using End = std::function<void(const QString& why)>; // the source is gone, or the server

    SoundCapture(Block onBlock, End onEnd);
    ~SoundCapture(); // stops
    SoundCapture(const SoundCapture&) = delete;
    SoundCapture& operator=(const SoundCapture&) = delete;

    // Connects to the server and starts the stream; false with `error` when it cannot. The stream
    // is never moved to another source: when this one goes, recording ends and onEnd says so.
    bool start(const QString& source, int rate, QString* error = nullptr);
    // Ends the recording and waits for its thread; onEnd is not called.
    void stop();
    bool running() const { return thread_.joinable(); }

private:
    void run();

    Block onBlock_;
    End onEnd_;
    std::unique_ptr<PulseConnection> connection_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace platform
