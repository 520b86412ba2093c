#pragma once
// The trainee's microphone, listened to while the talk key is held: the sound server's default
// input, or a sound file that stands in for it (--mic), which needs no sound card. What it hears is
// read as it comes, a few milliseconds at a time, so that a class hears it while it is said.
#include <QString>

#include <memory>
#include <vector>

namespace platform {

class Microphone {
public:
    virtual ~Microphone() = default;
    // The key goes down: listening starts. False with `error` set when there is nothing to listen
    // to (no sound server, no input).
    virtual bool start(QString* error) = 0;
    // What was heard since start() or the previous read, up to `heldMs` after start(): mono, at
    // the rate asked for. A file gives exactly the samples of that time, so that the caller's clock
    // paces it; the sound server gives what it has recorded so far.
    virtual std::vector<float> read(qint64 heldMs) = 0;
    // The key has come up: listening ends.
    virtual void stop() = 0;
};

// The sound server's default input (PulseAudio, or PipeWire's), at `rate`; its library is loaded at
// the first start().
std::unique_ptr<Microphone> soundServerMicrophone(int rate);

// A sound file of any format libsndfile reads: each press speaks it from its start, for as long as
// the key is held (silence once the file has ended), at the pace of the held milliseconds. A file that cannot be read is told at start().
std::unique_ptr<Microphone> fileMicrophone(const QString& path, int rate);

} // namespace platform
