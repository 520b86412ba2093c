// The message characters of a call, field by field, and back.
#include "dscwire/Message.h"

#include "dscwire/Unconfirmed.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace dscwire {
namespace {

// What follows the format specifiers, field by field.
enum class Field { Address, Category, SelfId, Nature, Command1, Command2, DistressMmsi, Position,
                   Time, Subsequent, Channel, Filler };

int fieldLength(Field f) {
    switch (f) {
    case Field::Address: case Field::SelfId: case Field::DistressMmsi: case Field::Position:
        return 5;
    case Field::Time: return 2;
    case Field::Channel: return 3;
    default: return 1;
    }
}

// The layout of a call, decided by its format, category, first command and EOS (ITU-R M.493 for
// VHF). Both directions use it, so a decoded call is always one that we would have sent.
Result<QList<Field>> layoutOf(int format, int category, int command1, int eos) {
    using F = Field;
    QList<Field> l;
    switch (format) {
    case code::kDistress:
        return Result<QList<Field>>::good({F::SelfId, F::Nature, F::Position, F::Time, F::Subsequent});
    case code::kAllShips:
        if (category == code::kDistressCategory)
            return Result<QList<Field>>::good({F::Category, F::SelfId, F::Command1, F::DistressMmsi,
                                               F::Nature, F::Position, F::Time, F::Subsequent});
        l = {F::Category, F::SelfId, F::Command1, F::Command2};
        for (int i = 0; i < unconfirmed::kAllShipsChannelGroups; ++i) l << F::Channel;
        return Result<QList<Field>>::good(l);
    case code::kGroup:
        l = {F::Address, F::Category, F::SelfId, F::Command1, F::Command2};
        for (int i = 0; i < unconfirmed::kGroupChannelGroups; ++i) l << F::Channel;
        return Result<QList<Field>>::good(l);
    case code::kIndividual:
    case code::kIndividualAuto:
        l = {F::Address, F::Category, F::SelfId, F::Command1, F::Command2};
        if (command1 == code::kShipPosition && eos == code::kAcknowledgement)
            l << F::Position << F::Time;
        else if (command1 == code::kShipPosition)
            for (int i = 0; i < unconfirmed::kPositionRequestFillers; ++i) l << F::Filler;
        else if (command1 == code::kPolling || command1 == code::kTest)
            for (int i = 0; i < 6; ++i) l << F::Filler;
        else
            l << F::Channel << F::Channel;
        return Result<QList<Field>>::good(l);
    case code::kGeographic:
        return Result<QList<Field>>::bad(QStringLiteral("format specifier 102 (geographic area) is not handled"));
    default:
        return Result<QList<Field>>::bad(QStringLiteral("unknown format specifier %1").arg(format));
    }
}

bool isNature(int c) { return (c >= 100 && c <= 110) || c == 112; }
bool isCategory(int c) { return c == 100 || c == 108 || c == 110 || c == 112; }
bool isFirstCommand(int c) {
    static constexpr std::array kCommands{100, 101, 103, 104, 105, 106, 109, 110, 112, 113, 115, 118, 121, 126};
    return std::find(kCommands.begin(), kCommands.end(), c) != kCommands.end();
}
bool isSecondCommand(int c) { return (c >= 100 && c <= 111) || c == 126; }
bool isEos(int c) { return c == code::kAckRequired || c == code::kAcknowledgement || c == code::kOtherEos; }

// Ten digits -> five characters.
void appendDigits(QList<int>& out, const QString& digits) {
    for (int i = 0; i + 1 < digits.size(); i += 2)
        out << digits.mid(i, 2).toInt();
}
QString digitsOf(const QList<int>& s, qsizetype from, int count) {
    QString d;
    for (int i = 0; i < count; ++i) d += QStringLiteral("%1").arg(s[from + i], 2, 10, QLatin1Char('0'));
    return d;
}

} // namespace

Result<QList<int>> toSymbols(const Message& m) {
    using R = Result<QList<int>>;
    const auto layout = layoutOf(m.format, m.category, m.command1, m.eos);
    if (!layout.ok()) return R::bad(layout.error());
    if (!isEos(m.eos)) return R::bad(QStringLiteral("unknown end of sequence %1").arg(m.eos));
    QList<int> s{m.format, m.format};
    auto mmsi = [&](const QString& v, const char* what) -> QString {
        if (!isMmsi(v)) return QStringLiteral("%1 must be 9 digits, not \"%2\"").arg(QLatin1String(what), v);
        appendDigits(s, v + QLatin1Char('0'));
        return {};
    };
    auto codeField = [&](int v, bool valid, const char* what) -> QString {
        if (!valid) return QStringLiteral("%1 %2 is not a valid code").arg(QLatin1String(what)).arg(v);
        s << v;
        return {};
    };
    int channelGroup = 0;
    for (Field f : layout.value()) {
        QString err;
        switch (f) {
        case Field::Address: err = mmsi(m.address, "address"); break;
        case Field::SelfId: err = mmsi(m.selfId, "self-ID"); break;
        case Field::DistressMmsi: err = mmsi(m.distressMmsi, "MMSI in distress"); break;
        case Field::Category: err = codeField(m.category, isCategory(m.category), "category"); break;
        case Field::Nature: err = codeField(m.nature, isNature(m.nature), "nature of distress"); break;
        case Field::Command1: err = codeField(m.command1, isFirstCommand(m.command1), "first command"); break;
        case Field::Command2: err = codeField(m.command2, isSecondCommand(m.command2), "second command"); break;
        case Field::Subsequent:
            err = codeField(m.subsequent, isFirstCommand(m.subsequent), "subsequent communications");
            break;
        case Field::Position: {
            const Position& p = m.position;
            if (p.known && (p.quadrant < 0 || p.quadrant > 3 || p.latDeg < 0 || p.latDeg > 90 ||
                            p.latMin < 0 || p.latMin > 59 || p.lonDeg < 0 || p.lonDeg > 180 ||
                            p.lonMin < 0 || p.lonMin > 59))
                err = QStringLiteral("position out of range");
            else
                appendDigits(s, p.digits());
            break;
        }
        case Field::Time:
            if (m.time.isValid()) s << m.time.hour() << m.time.minute();
            else s << 88 << 88;
            break;
        case Field::Channel: {
            const int ch = m.channels.value(channelGroup++, 0);
            if (ch < 0 || ch > 9999) err = QStringLiteral("channel %1 out of range").arg(ch);
            else if (ch == 0) s << 126 << 126 << 126;
            else s << 90 + unconfirmed::kChannelSecondDigit << ch / 100 << ch % 100;
            break;
        }
        case Field::Filler: s << code::kNoInformation; break;
        }
        if (!err.isEmpty()) return R::bad(err);
    }
    if (m.channels.size() > channelGroup)
        return R::bad(QStringLiteral("this call carries %1 channel group(s), not %2").arg(channelGroup).arg(m.channels.size()));
    s << m.eos;
    return R::good(s);
}

Result<Message> fromSymbols(const QList<int>& s) {
    using R = Result<Message>;
    const auto n = s.size();
    if (n < 4) return R::bad(QStringLiteral("truncated after %1 symbols").arg(n));
    for (qsizetype i = 0; i < n; ++i)
        if (s[i] < 0 || s[i] > 127) return R::bad(QStringLiteral("character %1: %2 is not a symbol").arg(i).arg(s[i]));
    if (s[0] != s[1])
        return R::bad(QStringLiteral("format specifiers differ: %1 and %2").arg(s[0]).arg(s[1]));
    const int eos = s[n - 1];
    if (!isEos(eos)) return R::bad(QStringLiteral("unknown end of sequence %1").arg(eos));
    Message m;
    m.format = s[0];
    m.eos = eos;
    // Category and first command sit at fixed places, and they decide the rest of the layout.
    int category = -1, command1 = -1;
    if (m.format == code::kAllShips) {
        category = s.value(2, -1);
        command1 = s.value(8, -1);
    } else if (m.format == code::kGroup || m.format == code::kIndividual || m.format == code::kIndividualAuto) {
        category = s.value(7, -1);
        command1 = s.value(13, -1);
    }
    const auto layout = layoutOf(m.format, category, command1, eos);
    if (!layout.ok()) return R::bad(layout.error());
    qsizetype expected = 3;
    for (Field f : layout.value()) expected += fieldLength(f);
    if (n != expected)
        return R::bad(QStringLiteral("format %1 call has %2 characters, expected %3").arg(m.format).arg(n).arg(expected));

    qsizetype at = 2;
    auto mmsi = [&](QString& out, const char* what) -> QString {
        for (int i = 0; i < 5; ++i)
            if (s[at + i] > 99) return QStringLiteral("character %1: %2 in the %3").arg(at + i).arg(s[at + i]).arg(QLatin1String(what));
        const QString d = digitsOf(s, at, 5);
        if (!d.endsWith(QLatin1Char('0'))) return QStringLiteral("%1 %2 does not end in 0").arg(QLatin1String(what), d);
        out = d.left(9);
        return {};
    };
    auto codeField = [&](int& out, bool valid, const char* what) -> QString {
        if (!valid) return QStringLiteral("unknown %1 %2").arg(QLatin1String(what)).arg(s[at]);
        out = s[at];
        return {};
    };
    for (Field f : layout.value()) {
        QString err;
        const int v = s[at];
        switch (f) {
        case Field::Address: err = mmsi(m.address, "address"); break;
        case Field::SelfId: err = mmsi(m.selfId, "self-ID"); break;
        case Field::DistressMmsi: err = mmsi(m.distressMmsi, "MMSI in distress"); break;
        case Field::Category: err = codeField(m.category, isCategory(v), "category"); break;
        case Field::Nature: err = codeField(m.nature, isNature(v), "nature of distress"); break;
        case Field::Command1: err = codeField(m.command1, isFirstCommand(v), "first command"); break;
        case Field::Command2: err = codeField(m.command2, isSecondCommand(v), "second command"); break;
        case Field::Subsequent: err = codeField(m.subsequent, isFirstCommand(v), "subsequent communications"); break;
        case Field::Position: {
            for (int i = 0; i < 5 && err.isEmpty(); ++i)
                if (s[at + i] > 99) err = QStringLiteral("character %1: %2 in the position").arg(at + i).arg(s[at + i]);
            if (!err.isEmpty()) break;
            const QString d = digitsOf(s, at, 5);
            if (d == QLatin1String("9999999999")) break;
            const Position p = Position::of(d.mid(0, 1).toInt(), d.mid(1, 2).toInt(), d.mid(3, 2).toInt(),
                                            d.mid(5, 3).toInt(), d.mid(8, 2).toInt());
            if (p.quadrant > 3 || p.latDeg > 90 || p.latMin > 59 || p.lonDeg > 180 || p.lonMin > 59)
                err = QStringLiteral("position %1 out of range").arg(d);
            m.position = p;
            break;
        }
        case Field::Time:
            if (v == 88 && s[at + 1] == 88) break;
            if (v > 23 || s[at + 1] > 59) err = QStringLiteral("time %1 %2 out of range").arg(v).arg(s[at + 1]);
            else m.time = QTime(v, s[at + 1]);
            break;
        case Field::Channel:
            if (v == 126 && s[at + 1] == 126 && s[at + 2] == 126) { m.channels << 0; break; }
            if (v != 90 + unconfirmed::kChannelSecondDigit || s[at + 1] > 99 || s[at + 2] > 99)
                err = QStringLiteral("channel group %1 %2 %3 is not a VHF channel").arg(v).arg(s[at + 1]).arg(s[at + 2]);
            else m.channels << s[at + 1] * 100 + s[at + 2];
            break;
        case Field::Filler:
            if (v != code::kNoInformation) err = QStringLiteral("character %1: expected 126, got %2").arg(at).arg(v);
            break;
        }
        if (!err.isEmpty()) return R::bad(err);
        at += fieldLength(f);
    }
    // Groups that carry no channel at the end say nothing: the call is the same without them.
    while (!m.channels.isEmpty() && m.channels.last() == 0) m.channels.removeLast();
    return R::good(m);
}

QString symbolLine(const QList<int>& symbols) {
    QStringList out;
    for (int v : symbols) out << QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
    return out.join(QLatin1Char(' '));
}

} // namespace dscwire
