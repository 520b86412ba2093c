#pragma once
// Text to speech for the model stations (and for the tests' spoken phrases): flite's voices,
// loaded at the first use; espeak-ng's when flite cannot be loaded.
#include <QString>
#include <QStringList>

#include <vector>

namespace voice {

class Synthesizer {
public:
    // The voices that can speak here: flite's {"rms", "slt", "awb", "kal16"} (those whose
    // libraries load), else espeak-ng's; empty when neither library is there.
    static QStringList voices();
    // Why nothing can be spoken here; empty when something can.
    static QString unavailable();
    // The text in the voice (the first of voices() when it is not one of them), 16 kHz mono;
    // empty when no synthesizer can be loaded. Procedure words from the French (SECURITE,
    // SEELONCE, FEENEE) are said as radio operators say them.
    std::vector<qint16> speak(const QString& text, const QString& voice);
};

} // namespace voice
