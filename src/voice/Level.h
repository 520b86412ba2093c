#pragma once
// How loud the trainee speaks into the microphone: the level of one captured block for the meter
// beside the talk key, and for a whole transmission whether it can be judged at all. Pure: no
// widgets, no clock. Samples are floats, full scale at +-1.0.
//
// The thresholds:
// - A stretch is 50 ms; the speech level of a transmission is the RMS of its loudest tenth of
//   stretches (at least one), so that pauses and breaths around the words do not count.
// - Too quiet: that speech level below -40 dBFS. Normal speech close to a headset or desk
//   microphone peaks between -20 and -6 dBFS; below -40 dBFS the words are near the room's noise
//   and the recogniser's guesses are no longer worth a verdict.
// - Clipped: more than 0.5 % of the samples of the speech (the stretches within 30 dB of the
//   speech level) at or within 1 % of full scale (|x| >= 0.99). A few peaks touching full scale
//   are harmless; a share this large means the input is overdriven and the words are distorted.
// - A block for the meter: "too quiet" below -40 dBFS RMS, "clipping" when one of its samples
//   reaches 0.99 of full scale, "good" between.
#include <cstddef>
#include <vector>

namespace voice {

inline constexpr double kTooQuietDbfs = -40.0;     // speech level below this: too quiet
inline constexpr double kClipSample = 0.99;        // a sample at or above this (absolute) is at full scale
inline constexpr double kClippedShare = 0.005;     // share of the speech's samples at full scale: clipped
inline constexpr int kStretchMs = 50;              // the stretches a transmission is measured in
inline constexpr double kSpeechRangeDb = 30.0;     // stretches this close to the speech level are speech
inline constexpr double kSilenceDbfs = -120.0;     // the level of digital silence (no sample above 0)

enum class Loudness { Good, TooQuiet, Clipped };

// RMS of the samples in dBFS (a full-scale sine is -3 dBFS); kSilenceDbfs for none or all zero.
double levelDbfs(const float* samples, std::size_t count);
inline double levelDbfs(const std::vector<float>& samples) { return levelDbfs(samples.data(), samples.size()); }
// The largest absolute sample (0 for none).
double peakOf(const float* samples, std::size_t count);

// One captured block, as the meter shows it.
struct BlockLevel {
    double dbfs = kSilenceDbfs;  // RMS
    double peak = 0.0;           // largest absolute sample, 0..1
    Loudness zone() const;       // Clipped when peak >= kClipSample, TooQuiet below kTooQuietDbfs
};
BlockLevel blockLevel(const float* samples, std::size_t count);
inline BlockLevel blockLevel(const std::vector<float>& samples) { return blockLevel(samples.data(), samples.size()); }

// A whole transmission.
struct Measure {
    Loudness loudness = Loudness::TooQuiet;
    double speechDbfs = kSilenceDbfs;  // RMS of the loudest stretches
    double clippedShare = 0.0;         // share of the speech's samples at full scale
};
Measure measure(const float* samples, std::size_t count, int sampleRate);
Measure measure(const std::vector<float>& samples, int sampleRate);
// 16-bit samples, as a transmission keeps them.
Measure measure(const std::vector<short>& samples, int sampleRate);

// "Good", "Too quiet", "Clipped".
const char* loudnessName(Loudness l);
// What to do about it, for the status line: "" for Good.
const char* loudnessAdvice(Loudness l);

} // namespace voice
