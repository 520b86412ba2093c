#pragma once
// The voice benchmark's audio: each transmission of VoiceCases.h spoken by one of six voices
// (flite's rms, slt, awb and kal16; festival's cmu_us_slt_arctic_hts and ked_diphone), half a
// second of room before and after it, and heard in eight conditions: clean; room noise at 20 and
// 10 dB SNR (white or pink, the level measured on the speech); a headset's 300-3400 Hz band; pitch
// 300 cents down and up; tempo 0.9 and 1.1. Made audio is kept in a cache folder, so that a second
// run only reads it.
#include "VoiceCases.h"

#include <QString>

#include <mutex>
#include <vector>

namespace voicebench {

using Pcm = std::vector<qint16>;

constexpr int kRate = 16000;
constexpr int kPad = kRate / 2;  // half a second of room each side

struct Condition {
    const char* id;
    const char* label;
    const char* sox;  // sox effect, or nullptr
    double snr;       // room noise at this SNR, or 0
};
constexpr int kConditionCount = 8;
extern const Condition kConditions[kConditionCount];

struct VoiceName {
    const char* id;
    bool festival;
};
constexpr int kVoiceCount = 6;
extern const VoiceName kVoices[kVoiceCount];

// One synthesis at a time through flite.
extern std::mutex fliteLock;

// Runs a shell command, its output thrown away; true when it succeeded.
bool run(const QString& command);
// The text in the voice, 16 kHz; `scratch` names the files festival needs. Empty when it failed.
Pcm speak(const QString& text, const VoiceName& v, const QString& scratch);

// A transmission in one condition, and what the recogniser and the judge made of it.
struct Clip {
    int caseIndex = 0, voice = 0, condition = 0;
    Pcm audio;
    QString words;
    voice::Judgement judgement;
    double cpu = 0;
    bool recognised = false;
};

// The clips of the cases `chosen` (indices into `cases`, each in the voice `voiceOf` gives it) in
// each of `conditions`, case by case, their audio read from `cache` or made there (on two threads).
// `made` counts the clips made; returns how many could not be made (synthesis or sox failed).
int makeClips(std::vector<Clip>& clips, const std::vector<VoiceCase>& cases, const std::vector<int>& chosen,
              const std::vector<int>& conditions, int (*voiceOf)(int), const QString& cache, int* made);

} // namespace voicebench
