#pragma once
// Text as a station reads it out on the radio for someone to write down: figures digit by digit in
// the spoken style (wun too tree fower fife six seven ait niner zero, "decimal" for the point),
// positions in degrees and minutes with north, south, east or west said in words, and names and
// call signs followed by "I spell" and the phonetic alphabet:
//   "Sea Otter, call sign WDK1905, at 42°21.3'N 070°48.9'W" ->
//   "Sea Otter, I spell Sierra Echo Alfa Oscar Tango Tango Echo Romeo, call sign W D K wun niner
//    zero fife, I spell Whiskey Delta Kilo wun niner zero fife, at fower too degrees too wun decimal
//    tree minutes north, zero seven zero degrees fower ait decimal niner minutes west"
#include <QString>
#include <QStringList>

namespace voice {

// `spelled`: the names and call signs to spell, each after the first time it is said (after the
// last of a name said several times over).
QString inSpokenStyle(const QString& text, const QStringList& spelled);

} // namespace voice
