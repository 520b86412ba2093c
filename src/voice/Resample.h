#pragma once
// Speech made at another rate brought to the recogniser's and the radio's 16 kHz.
#include "platform/AudioFile.h"

#include <vector>

namespace voice {

inline std::vector<qint16> to16k(const std::vector<qint16>& pcm, int rate) {
    if (rate == 16000 || pcm.empty()) return pcm;
    platform::Resampler resampler(rate, 16000);
    std::vector<float> out;
    const std::vector<float> in = platform::toFloat(pcm);
    resampler.process(in.data(), qint64(in.size()), true, out);
    return platform::toInt16(out);
}

} // namespace voice
