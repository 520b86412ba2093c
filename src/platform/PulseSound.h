#pragma once
#include "platform/Clock.h"
#include "platform/Sound.h"

#include <memory>

namespace platform {

// Cue files decoded by libsndfile and played blocking through the PulseAudio simple API (works on
// PipeWire desktops too). Beeps are played by a worker thread so that they never block.
class PulseSound : public Sound {
public:
    explicit PulseSound(Clock& clock);
    ~PulseSound() override;
    void playFile(const QString& fileName) override;
    void beep() override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform
