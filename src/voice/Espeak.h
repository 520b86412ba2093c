#pragma once
// espeak-ng, loaded when first needed: phonemes for words no dictionary has, and the fallback
// voice when flite cannot be loaded. One lock serialises every call (the library keeps global
// state).
#include <QString>
#include <QStringList>

#include <vector>

namespace voice::espeak {

// Why espeak-ng cannot be used here; empty when it can.
QString unavailable();
// espeak-ng's phoneme mnemonics for the text in US English ("k'ElpoU"); empty when unavailable.
QString phonemes(const QString& text);
// The voices offered when speaking with espeak-ng.
QStringList voices();
// The text spoken by the voice (one of voices()), as 16 kHz mono; empty when unavailable.
std::vector<qint16> speak(const QString& text, const QString& voice);

} // namespace voice::espeak
