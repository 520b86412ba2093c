#pragma once
// What the radio's displays show, as the DSC message that goes on the air beside them: the
// fields of a call taken from the trainer's texts, and the one door to the air.
#include "dscwire/Message.h"

#include <QString>
#include <QStringList>
#include <functional>
struct Context;

namespace calls {

// The reasons a station can give for being unable to comply, in the order of their codes from
// 100 "no reason given" on.
inline const QStringList kUnableReasons{
    QStringLiteral("No Reason Given"),      QStringLiteral("Congestion"),         QStringLiteral("Busy"),
    QStringLiteral("Queue Indication"),     QStringLiteral("Station Barred"),     QStringLiteral("No Operator"),
    QStringLiteral("Operator Unavailable"), QStringLiteral("Equipment Disabled"), QStringLiteral("Channel Unable"),
    QStringLiteral("Mode Unable")};

// A position line ("L42°21.0'N  Lo070°55.7'W"); unknown when the line holds none.
dscwire::Position positionOnAir(const QString& positionLine);
// A nature of distress as the lists give it ("Fire"); no nature chosen is undesignated.
int natureOnAir(const QString& nature);
// A channel designator as a DSC call carries it: "16" -> 16; an "A" channel as its number plus
// the offset kept with the other open readings of the standard ("22A" -> 1022).
int channelOnAir(const QString& designator);
// Back from the air: 1022 -> "22A", 6 -> "06", as the channel display writes it; empty for none.
QString channelDesignator(int channelOnAir);
// The group MMSI of the group a line of the group list belongs to ("#1", "#2", "#3" and the
// vessels under each); empty for no line.
QString groupMmsi(int row, const QStringList& lines);
// "Group #1" ... for one of those group MMSIs; empty for any other MMSI.
QString groupName(const QString& mmsi);
// Hands the message to the air.
void transmit(Context& c, const dscwire::Message& message);
// An answer on the air: to the newest call from `caller` (any station when empty) that
// `matches`, the message `reply` makes of it (nothing when there is no such call).
void answer(Context& c, const QString& caller, const std::function<bool(const dscwire::Message&)>& matches,
            const std::function<dscwire::Message(const dscwire::Message&)>& reply);

} // namespace calls
