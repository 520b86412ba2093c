#include "platform/PulseSound.h"

// Not written yet.
namespace platform {
struct PulseSound::Impl {};
PulseSound::PulseSound(Clock&) : d(std::make_unique<Impl>()) {}
PulseSound::~PulseSound() = default;
void PulseSound::playFile(const QString&) {}
void PulseSound::beep() {}
} // namespace platform
