#include "dscwire/Nmea.h"

#include "dscwire/Unconfirmed.h"

namespace dscwire {
namespace {

QString twoDigits(int code) { return code < 0 ? QString() : QStringLiteral("%1").arg(code % 100, 2, 10, QLatin1Char('0')); }
QString four(int v) { return QStringLiteral("%1").arg(v, 4, 10, QLatin1Char('0')); }

QString sentence(const QString& body) { return QLatin1Char('$') + body + nmeaChecksum(body) + QStringLiteral("\r\n"); }

} // namespace

QString nmeaChecksum(const QString& body) {
    int sum = 0;
    for (QChar c : body) sum ^= c.toLatin1();
    return QStringLiteral("*%1").arg(sum, 2, 16, QLatin1Char('0')).toUpper();
}

QStringList nmeaSentences(const Message& m) {
    const bool distressAlert = m.format == code::kDistress;
    const bool distressOnBehalf = m.format == code::kAllShips && m.category == code::kDistressCategory;
    const bool carriesPosition = distressAlert || distressOnBehalf ||
                                 (m.command1 == code::kShipPosition && m.eos == code::kAcknowledgement);
    QString positionOrChannel, time;
    if (carriesPosition) {
        positionOrChannel = m.position.digits();
        time = m.time.isValid() ? m.time.toString(QStringLiteral("HHmm")) : QStringLiteral("8888");
    } else {
        for (int ch : m.channels) {
            if (ch > 0) positionOrChannel += QStringLiteral("9%1%2").arg(unconfirmed::kChannelSecondDigit).arg(four(ch));
            if (!unconfirmed::kNmeaAllChannelGroups && !positionOrChannel.isEmpty()) break;
        }
    }
    const bool expansion = carriesPosition && m.position.hasExtra();
    const QString ack = m.eos == code::kAckRequired ? QStringLiteral("R")
                        : m.eos == code::kAcknowledgement ? QStringLiteral("B") : QStringLiteral("S");
    const QStringList fields{
        QStringLiteral("CDDSC"),
        twoDigits(m.format),
        m.selfId + QLatin1Char('0'),
        twoDigits(distressAlert ? code::kDistressCategory : m.category),
        twoDigits(distressAlert ? m.nature : m.command1),
        twoDigits(distressAlert || distressOnBehalf ? m.subsequent : m.command2),
        positionOrChannel,
        time,
        distressOnBehalf ? m.distressMmsi + QLatin1Char('0') : QString(),
        distressOnBehalf ? twoDigits(m.nature) : QString(),
        ack,
        expansion ? QStringLiteral("E") : QString(),
    };
    QStringList out{sentence(fields.join(QLatin1Char(',')))};
    if (expansion)
        out << sentence(QStringLiteral("CDDSE,1,1,A,%1,00,%2%3")
                            .arg(m.selfId + QLatin1Char('0'), four(m.position.latMinFrac), four(m.position.lonMinFrac)));
    return out;
}

} // namespace dscwire
