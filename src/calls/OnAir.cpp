#include "calls/OnAir.h"

#include "air/Air.h"
#include "core/Context.h"
#include "dscwire/Unconfirmed.h"

#include <QStringList>

namespace calls {

dscwire::Position positionOnAir(const QString& positionLine) {
    return dscwire::Position::fromTrainerText(positionLine).value_or(dscwire::Position::unknown());
}

int natureOnAir(const QString& nature) {
    static const int kUndesignated = *dscwire::natureFromText(QStringLiteral("Undesignated"));
    return dscwire::natureFromText(nature).value_or(kUndesignated);
}

int channelOnAir(const QString& designator) {
    QString digits = designator.trimmed();
    const bool a = digits.endsWith(QLatin1Char('A'));
    if (a) digits.chop(1);
    bool ok = false;
    const int n = digits.toInt(&ok);
    if (!ok || n <= 0) return 0;
    return a ? dscwire::unconfirmed::kAChannelOffset + n : n;
}

QString channelDesignator(int channelOnAir) {
    if (channelOnAir <= 0) return {};
    const int offset = dscwire::unconfirmed::kAChannelOffset;
    const bool a = channelOnAir > offset;
    return QStringLiteral("%1").arg(a ? channelOnAir - offset : channelOnAir, 2, 10, QLatin1Char('0')) +
           (a ? QStringLiteral("A") : QString());
}

namespace {
// The trainer's three groups, as group MMSIs of the USA (0 + 366 + five digits).
const QStringList kGroups{QStringLiteral("036600001"), QStringLiteral("036600002"), QStringLiteral("036600003")};
} // namespace

QString groupName(const QString& mmsi) {
    const qsizetype i = kGroups.indexOf(mmsi);
    return i < 0 ? QString() : QStringLiteral("Group #%1").arg(i + 1);
}

QString groupMmsi(int row, const QStringList& lines) {
    int group = -1;
    for (int i = 0; i <= row && i < lines.size(); ++i)
        if (lines[i].trimmed().startsWith(QLatin1Char('#'))) ++group;
    return group >= 0 && group < kGroups.size() ? kGroups[group] : QString();
}

void transmit(Context& c, const dscwire::Message& message) { c.air->transmit(message); }

void answer(Context& c, const QString& caller, const std::function<bool(const dscwire::Message&)>& matches,
            const std::function<dscwire::Message(const dscwire::Message&)>& reply) {
    const dscwire::Message* call =
        c.air->latest([&](const dscwire::Message& m) { return (caller.isEmpty() || m.selfId == caller) && matches(m);
        });
    if (call) transmit(c, reply(*call));
}

} // namespace calls
