#pragma once
// The trainee speaks into the radio in the window: one of the test phrases, said by flite, heard by
// the radio's microphone while the talk key is held.
#include "app/Talk.h"
#include "harness/Harness.h"
#include "platform/AudioFile.h"
#include "stations/StationVoices.h"
#include "voice/Phrases.h"
#include "voice/Synthesizer.h"

namespace voicetest {

// A phrase of spokenCases() by its name.
inline const SpokenCase& spokenCase(const QString& name) {
    for (const SpokenCase& c : spokenCases())
        if (name == QLatin1String(c.name)) return c;
    qFatal("no spoken phrase '%s'", qPrintable(name));
}

// Holds the talk key for as long as the phrase takes, half a second of silence first (the speaker
// draws breath once the key is down); returns once its words and the stations' answers are on the air.
inline void say(Harness& h, const SpokenCase& c) {
    auto mic = std::make_unique<platform::FakeMicrophone>();
    mic->speech = platform::toFloat(voice::Synthesizer().speak(QString::fromUtf8(c.text), QString::fromLatin1(c.voice)));
    if (mic->speech.empty()) qFatal("flite cannot say '%s'", c.name);
    mic->speech.insert(mic->speech.begin(), 8000, 0.0f);
    const qint64 ms = qint64(mic->speech.size()) * 1000 / mic->rate + 300;
    h.c().microphone = std::move(mic);
    h.hold("cmdTalk", ms);
    h.c().talk->waitIdle();
    h.c().stationVoices->waitIdle();
}

} // namespace voicetest
