#include "voice/Level.h"

#include <algorithm>
#include <cmath>

namespace voice {

namespace {

double dbOfMeanSquare(double meanSquare) {
    if (meanSquare <= 0.0) return kSilenceDbfs;
    return std::max(kSilenceDbfs, 10.0 * std::log10(meanSquare));
}

} // namespace

double levelDbfs(const float* samples, std::size_t count) {
    if (count == 0) return kSilenceDbfs;
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i) sum += double(samples[i]) * double(samples[i]);
    return dbOfMeanSquare(sum / double(count));
}

double peakOf(const float* samples, std::size_t count) {
    double peak = 0.0;
    for (std::size_t i = 0; i < count; ++i) peak = std::max(peak, double(std::fabs(samples[i])));
    return peak;
}

Loudness BlockLevel::zone() const {
    if (peak >= kClipSample) return Loudness::Clipped;
    if (dbfs < kTooQuietDbfs) return Loudness::TooQuiet;
    return Loudness::Good;
}

BlockLevel blockLevel(const float* samples, std::size_t count) {
    return {levelDbfs(samples, count), peakOf(samples, count)};
}

namespace {

// One pass for float samples (scale 1) and 16-bit ones (scale 1/32767), with no copy of them.
template <typename T>
Measure measureOf(const T* samples, std::size_t count, int sampleRate, double scale) {
    Measure m;
    const std::size_t stretch = std::max<std::size_t>(1, std::size_t(sampleRate) * kStretchMs / 1000);
    const std::size_t stretches = (count + stretch - 1) / stretch;
    if (stretches == 0) return m;
    std::vector<double> meanSquares(stretches);
    for (std::size_t s = 0; s < stretches; ++s) {
        const std::size_t from = s * stretch, to = std::min(count, from + stretch);
        double sum = 0.0;
        for (std::size_t i = from; i < to; ++i) sum += double(samples[i]) * double(samples[i]);
        meanSquares[s] = sum * scale * scale / double(to - from);
    }
    // The loudest tenth of the stretches.
    std::vector<double> sorted = meanSquares;
    const std::size_t loudest = std::max<std::size_t>(1, stretches / 10);
    std::nth_element(sorted.begin(), sorted.begin() + std::ptrdiff_t(loudest - 1), sorted.end(), std::greater<>());
    double sum = 0.0;
    for (std::size_t i = 0; i < loudest; ++i) sum += sorted[i];
    m.speechDbfs = dbOfMeanSquare(sum / double(loudest));
    // The speech: stretches within kSpeechRangeDb of that level; its samples at full scale.
    const double floorMeanSquare = std::pow(10.0, (m.speechDbfs - kSpeechRangeDb) / 10.0);
    const double clip = kClipSample / scale;
    std::size_t speech = 0, atFullScale = 0;
    for (std::size_t s = 0; s < stretches; ++s) {
        if (meanSquares[s] < floorMeanSquare || meanSquares[s] <= 0.0) continue;
        const std::size_t from = s * stretch, to = std::min(count, from + stretch);
        speech += to - from;
        for (std::size_t i = from; i < to; ++i)
            if (std::fabs(double(samples[i])) >= clip) ++atFullScale;
    }
    m.clippedShare = speech ? double(atFullScale) / double(speech) : 0.0;
    if (m.clippedShare > kClippedShare) m.loudness = Loudness::Clipped;
    else if (m.speechDbfs < kTooQuietDbfs) m.loudness = Loudness::TooQuiet;
    else m.loudness = Loudness::Good;
    return m;
}

} // namespace

Measure measure(const float* samples, std::size_t count, int sampleRate) {
    return measureOf(samples, count, sampleRate, 1.0);
}

Measure measure(const std::vector<float>& samples, int sampleRate) {
    return measure(samples.data(), samples.size(), sampleRate);
}

Measure measure(const std::vector<short>& samples, int sampleRate) {
    return measureOf(samples.data(), samples.size(), sampleRate, 1.0 / 32767.0);
}

const char* loudnessName(Loudness l) {
    switch (l) {
    case Loudness::Good: return "Good";
    case Loudness::TooQuiet: return "Too quiet";
    case Loudness::Clipped: return "Clipped";
    }
    return "";
}

const char* loudnessAdvice(Loudness l) {
    switch (l) {
    case Loudness::Good: return "";
    case Loudness::TooQuiet: return "Too quiet to judge: speak closer to the microphone";
    case Loudness::Clipped: return "Clipped: speak further from the microphone or turn the input down";
    }
    return "";
}

} // namespace voice
