#pragma once
// The voice benchmark's transmissions: every procedure as trainees and course books word it, made
// from templates with free wording (natures, urgencies, hazards and help described in a trainee's
// own words, positions in degrees and minutes, MMSIs digit by digit), said right or with exactly
// one element left out or wrong; and a few sounds that are no procedure at all. The labels are
// written with the wording, never worked out by the checker. Always the same list (fixed seed).
#include "voice/Procedure.h"

#include <QString>

#include <vector>

namespace voicebench {

// What is heard: a text for a voice to speak, or a sound made in code.
enum class Source { Speech, ToneSweep, Hum50, Hum60, Noise };

struct VoiceCase {
    QString name;       // "pan-pan 7", "mayday 12, no position"
    QString text;       // what the voice is given (empty for a sound made in code)
    Source source = Source::Speech;
    voice::Kind kind;   // the procedure it is (None for talk and sounds)
    QString fault;      // the element left out or said wrong; empty when the transmission is right
    bool singleMayday = false;  // the distress call's one-MAYDAY form
};

// About 210 transmissions: roughly 60 % right, 35 % with one element left out or wrong, 5 % no
// procedure.
const std::vector<VoiceCase>& voiceCases();

// A sound of the given kind, 16 kHz, `seconds` long (seeded where it has noise in it).
std::vector<short> madeSound(Source source, double seconds, unsigned seed);

} // namespace voicebench
