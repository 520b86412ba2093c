#include "dscwire/Message.h"

#include "dscwire/Unconfirmed.h"

#include <QRegularExpression>
#include <QStringList>

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

// ---- Position -------------------------------------------------------------------------------

Position Position::of(int quadrant, int latDeg, int latMin, int lonDeg, int lonMin) {
    Position p;
    p.known = true;
    p.quadrant = quadrant;
    p.latDeg = latDeg; p.latMin = latMin; p.lonDeg = lonDeg; p.lonMin = lonMin;
    return p;
}

std::optional<Position> Position::fromTrainerText(const QString& text) {
    static const QRegularExpression re(QStringLiteral(
        "^\\s*L(\\d{2})°(\\d{2})\\.(\\d)'([NS])\\s*Lo(\\d{3})°(\\d{2})\\.(\\d)'([EW])\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const bool south = m.captured(4) == QLatin1String("S"), west = m.captured(8) == QLatin1String("W");
    Position p = of((south ? 2 : 0) + (west ? 1 : 0), m.captured(1).toInt(), m.captured(2).toInt(),
                    m.captured(5).toInt(), m.captured(6).toInt());
    p.latMinFrac = m.captured(3).toInt() * 1000;
    p.lonMinFrac = m.captured(7).toInt() * 1000;
    if (p.latDeg > 90 || p.latMin > 59 || p.lonDeg > 180 || p.lonMin > 59) return std::nullopt;
    return p;
}

QString Position::digits() const {
    if (!known) return QStringLiteral("9999999999");
    return QStringLiteral("%1%2%3%4%5").arg(quadrant).arg(latDeg, 2, 10, QLatin1Char('0'))
        .arg(latMin, 2, 10, QLatin1Char('0')).arg(lonDeg, 3, 10, QLatin1Char('0'))
        .arg(lonMin, 2, 10, QLatin1Char('0'));
}

// ---- Named constructors ----------------------------------------------------------------------

Message Message::distressAlert(const QString& self, int nature, const Position& pos, QTime utc) {
    Message m;
    m.format = code::kDistress;
    m.selfId = self;
    m.nature = nature;
    m.position = pos;
    m.time = utc;
    m.subsequent = code::kTelephony;
    m.eos = code::kOtherEos;
    return m;
}

Message Message::distressAcknowledgement(const QString& self, const Message& alert) {
    Message m;
    m.format = code::kAllShips;
    m.category = code::kDistressCategory;
    m.selfId = self;
    m.command1 = code::kDistressAck;
    m.distressMmsi = alert.selfId;
    m.nature = alert.nature;
    m.position = alert.position;
    m.time = alert.time;
    m.subsequent = alert.subsequent >= 0 ? alert.subsequent : code::kTelephony;
    m.eos = code::kOtherEos;
    return m;
}

namespace {
// A call that proposes telephony on a working channel, given once per channel group.
Message telephonyCall(int format, const QString& address, int category, const QString& self, int channel,
                      int channelGroups, int eos) {
    Message m;
    m.format = format;
    m.address = address;
    m.category = category;
    m.selfId = self;
    m.command1 = code::kTelephony;
    m.command2 = code::kNoInformation;
    for (int i = 0; i < channelGroups; ++i) m.channels << channel;
    m.eos = eos;
    return m;
}
} // namespace

Message Message::allShips(int category, const QString& self, int channel) {
    return telephonyCall(code::kAllShips, QString(), category, self, channel, unconfirmed::kAllShipsChannelGroups,
                         code::kOtherEos);
}

Message Message::individual(const QString& address, int category, const QString& self, int channel) {
    // Simplex: the called station receives and transmits on the same channel.
    return telephonyCall(code::kIndividual, address, category, self, channel, 2, code::kAckRequired);
}

Message Message::ableToComply(const Message& call, const QString& self) {
    Message m = call;
    // An answer goes to the caller alone, also when the call went to a group or to all ships.
    if (m.format != code::kIndividualAuto) m.format = code::kIndividual;
    m.address = call.selfId;
    m.selfId = self;
    m.eos = code::kAcknowledgement;
    return m;
}

Message Message::unableToComply(const Message& call, const QString& self, int reason) {
    Message m = ableToComply(call, self);
    m.command1 = code::kUnableToComply;
    m.command2 = reason;
    return m;
}

Message Message::groupCall(const QString& group, int category, const QString& self, int channel) {
    return telephonyCall(code::kGroup, group, category, self, channel, unconfirmed::kGroupChannelGroups,
                         code::kOtherEos);
}

namespace {
Message addressedNoInfo(const QString& address, const QString& self, int category, int command1) {
    Message m;
    m.format = code::kIndividual;
    m.address = address;
    m.category = category;
    m.selfId = self;
    m.command1 = command1;
    m.command2 = code::kNoInformation;
    m.eos = code::kAckRequired;
    return m;
}
} // namespace

Message Message::positionRequest(const QString& address, const QString& self, int category) {
    return addressedNoInfo(address, self, category, code::kShipPosition);
}

Message Message::positionReply(const Message& request, const QString& self, const Position& pos,
                               QTime utc) {
    Message m = addressedNoInfo(request.selfId, self, request.category, code::kShipPosition);
    m.position = pos;
    m.time = utc;
    m.eos = code::kAcknowledgement;
    return m;
}

Message Message::polling(const QString& address, const QString& self) {
    return addressedNoInfo(address, self, code::kRoutine, code::kPolling);
}

Message Message::pollingReply(const Message& poll, const QString& self) {
    Message m = addressedNoInfo(poll.selfId, self, code::kRoutine, code::kPolling);
    m.eos = code::kAcknowledgement;
    return m;
}

Message Message::testCall(const QString& address, const QString& self) {
    return addressedNoInfo(address, self, code::kSafety, code::kTest);
}

// ---- Nature words ----------------------------------------------------------------------------

namespace {
struct NatureWord { const char* text; int code; };
// The trainer's words; where two share a code, the first is the one read back.
constexpr NatureWord kNatures[] = {
    {"Fire", 100}, {"Explosion", 100}, {"Flooding", 101}, {"Collision", 102}, {"Grounding", 103},
    {"Grounded", 103}, {"Listing", 104}, {"Capsizing", 104}, {"Sinking", 105}, {"Adrift", 106},
    {"Undesignated", 107}, {"Abandoning", 108}, {"Piracy", 109}, {"MOB", 110}, {"EPIRB", 112},
};
} // namespace

std::optional<int> natureFromText(const QString& text) {
    for (const auto& n : kNatures)
        if (text.trimmed().compare(QLatin1String(n.text), Qt::CaseInsensitive) == 0) return n.code;
    return std::nullopt;
}

QString natureText(int nature) {
    for (const auto& n : kNatures)
        if (n.code == nature) return QString::fromLatin1(n.text);
    return QStringLiteral("unknown (%1)").arg(nature);
}

// ---- Characters ------------------------------------------------------------------------------

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

// ---- Words -----------------------------------------------------------------------------------

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
} // namespace

QString Position::trainerText() const {
    if (!known) return {};
    return QStringLiteral("L%1°%2'%3  Lo%4°%5'%6")
        .arg(latDeg, 2, 10, QLatin1Char('0')).arg(latMin, 2, 10, QLatin1Char('0'))
        .arg(quadrant >= 2 ? QLatin1Char('S') : QLatin1Char('N'))
        .arg(lonDeg, 3, 10, QLatin1Char('0')).arg(lonMin, 2, 10, QLatin1Char('0'))
        .arg(quadrant % 2 ? QLatin1Char('W') : QLatin1Char('E'));
}

namespace {
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

QString symbolLine(const QList<int>& symbols) {
    QStringList out;
    for (int v : symbols) out << QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
    return out.join(QLatin1Char(' '));
}

bool isMmsi(const QString& text) {
    if (text.size() != 9) return false;
    for (QChar ch : text)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) return false;
    return true;
}

} // namespace dscwire
