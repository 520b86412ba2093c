// A call and its category in plain English.
#include "dscwire/Message.h"

#include <QStringList>

namespace dscwire {
namespace {

QString commandWords(int c) {
    switch (c) {
    case 100: return QStringLiteral("telephony");
    case 101: return QStringLiteral("duplex telephony");
    case 103: return QStringLiteral("polling");
    case 104: return QStringLiteral("unable to comply");
    case 105: return QStringLiteral("end of call");
    case 106: return QStringLiteral("data");
    case 109: return QStringLiteral("J3E telephony");
    case 110: return QStringLiteral("distress acknowledgement");
    case 112: return QStringLiteral("distress relay");
    case 113: return QStringLiteral("TTY-FEC");
    case 115: return QStringLiteral("TTY-ARQ");
    case 118: return QStringLiteral("test");
    case 121: return QStringLiteral("ship position");
    case 126: return QStringLiteral("no information");
    default: return QString::number(c);
    }
}
QString reasonWords(int c) {
    static const char* const kReasons[] = {
        "no reason given", "congestion", "busy", "queue", "station barred", "no operator",
        "operator temporarily unavailable", "equipment disabled", "unable to use proposed channel",
        "unable to use proposed mode", "neutral ships or aircraft", "medical transports"};
    if (c >= 100 && c <= 111) return QString::fromLatin1(kReasons[c - 100]);
    return commandWords(c);
}
QString categoryWords(int c) {
    switch (c) {
    case 100: return QStringLiteral("routine");
    case 108: return QStringLiteral("safety");
    case 110: return QStringLiteral("urgency");
    case 112: return QStringLiteral("distress");
    default: return QString::number(c);
    }
}
QString positionWords(const Position& p) {
    if (!p.known) return QStringLiteral("position unknown");
    return QStringLiteral("position %1°%2'%3 %4°%5'%6")
        .arg(p.latDeg, 2, 10, QLatin1Char('0')).arg(p.latMin, 2, 10, QLatin1Char('0'))
        .arg(p.quadrant >= 2 ? QLatin1Char('S') : QLatin1Char('N'))
        .arg(p.lonDeg, 3, 10, QLatin1Char('0')).arg(p.lonMin, 2, 10, QLatin1Char('0'))
        .arg(p.quadrant % 2 ? QLatin1Char('W') : QLatin1Char('E'));
}
QString timeWords(QTime t) {
    return t.isValid() ? QStringLiteral("time %1 UTC").arg(t.toString(QStringLiteral("HH:mm")))
                       : QStringLiteral("time unknown");
}
QString kindWords(const Message& m) {
    const bool reply = m.eos == code::kAcknowledgement;
    switch (m.format) {
    case code::kDistress: return QStringLiteral("Distress alert");
    case code::kAllShips:
        if (m.category == code::kDistressCategory)
            return m.command1 == code::kDistressRelay ? QStringLiteral("Distress relay")
                                                      : QStringLiteral("Distress acknowledgement");
        return QStringLiteral("All ships call");
    case code::kGroup: return QStringLiteral("Group call");
    default: break;
    }
    switch (m.command1) {
    case code::kUnableToComply: return QStringLiteral("Unable to comply");
    case code::kShipPosition: return reply ? QStringLiteral("Position reply") : QStringLiteral("Position request");
    case code::kPolling: return reply ? QStringLiteral("Polling reply") : QStringLiteral("Polling");
    case code::kTest: return reply ? QStringLiteral("Test reply") : QStringLiteral("Test call");
    default: return reply ? QStringLiteral("Able to comply") : QStringLiteral("Individual call");
    }
}
QString eosWords(int eos) {
    switch (eos) {
    case code::kAckRequired: return QStringLiteral("ends 117 (acknowledgement requested)");
    case code::kAcknowledgement: return QStringLiteral("ends 122 (acknowledgement)");
    default: return QStringLiteral("ends 127");
    }
}

} // namespace

QString categoryText(const Message& m) {
    return categoryWords(m.format == code::kDistress ? code::kDistressCategory : m.category);
}

QString describe(const Message& m) {
    QStringList parts{kindWords(m)};
    if (!m.address.isEmpty()) parts << QStringLiteral("to %1").arg(m.address);
    parts << QStringLiteral("from %1").arg(m.selfId);
    if (m.category >= 0) parts << QStringLiteral("category: %1").arg(categoryWords(m.category));
    if (m.command1 >= 0) parts << QStringLiteral("command: %1").arg(commandWords(m.command1));
    if (!m.distressMmsi.isEmpty()) parts << QStringLiteral("vessel in distress %1").arg(m.distressMmsi);
    if (m.nature >= 0) parts << QStringLiteral("nature: %1").arg(natureText(m.nature));
    if (m.command2 >= 0 && m.command2 != code::kNoInformation)
        parts << (m.command1 == code::kUnableToComply ? QStringLiteral("reason: %1").arg(reasonWords(m.command2))
                                                      : QStringLiteral("second command: %1").arg(commandWords(m.command2)));
    const bool carriesPosition = m.format == code::kDistress || m.category == code::kDistressCategory ||
                                 (m.command1 == code::kShipPosition && m.eos == code::kAcknowledgement);
    if (carriesPosition) parts << positionWords(m.position) << timeWords(m.time);
    if (!m.channels.isEmpty()) {
        QStringList chans;
        for (int c : m.channels) chans << (c ? QStringLiteral("%1").arg(c, 2, 10, QLatin1Char('0')) : QStringLiteral("none"));
        if (m.channels.size() == 2 && m.channels[0] == m.channels[1]) chans.removeLast();
        parts << QStringLiteral("channel %1").arg(chans.join(QLatin1Char('/')));
    }
    if (m.subsequent >= 0) parts << QStringLiteral("subsequent communications: %1").arg(commandWords(m.subsequent));
    parts << eosWords(m.eos);
    return parts.join(QStringLiteral(", "));
}

} // namespace dscwire
