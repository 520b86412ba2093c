#pragma once
// The words of one transmission read into units, as a radio operator hears them: the procedure
// words, the stations by name or MMSI, positions, numbers and what the numbers are, the known
// phrases of the messages, and every other word on its own. Used by the procedure checker.
#include "voice/Procedure.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace voice::reading {

// What the words of a transmission are, piece by piece.
enum class U {
    Other, Mayday, MaydayRelay, Pan, Securite, Seelonce, Feenee, AllStations, ThisIs, Station, Mmsi, MmsiWord,
    Number, Letter, CallSign, CallSignWord, Position, Nature, Urgency, Assistance, Persons, Hazard, ChannelWord,
    Channel, RadioCheck, Following, ReceivedMayday, Cancel, CancelWord, Time, Over, Out, Talk
};

struct Unit {
    U type = U::Other;
    QString text;      // the words as heard
    QString value;     // what they mean: digits, "fire", a position, a station's name
    int station = -1;  // a station's index: 0 the own, then the known ones
    bool complete = true;
    qsizetype from = 0, to = 0;  // the words it was read from
};

// The words (lower case) as units, in order; `stations`: 0 the own, then the known ones.
QList<Unit> read(const QStringList& words, const QList<Station>& stations);

inline bool isIdentity(const Unit& u) { return u.type == U::Station || u.type == U::Mmsi || u.type == U::CallSign; }

} // namespace voice::reading
