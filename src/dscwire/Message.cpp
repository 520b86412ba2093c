// The call as a value: its position, one named constructor per kind of call, the natures of
// distress in the trainer's words. Its characters are in Symbols.cpp, its plain words in Describe.cpp.
#include "dscwire/Message.h"

#include "dscwire/Unconfirmed.h"

#include <QRegularExpression>

namespace dscwire {

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

QString Position::trainerText() const {
    if (!known) return {};
    return QStringLiteral("L%1°%2'%3  Lo%4°%5'%6")
        .arg(latDeg, 2, 10, QLatin1Char('0')).arg(latMin, 2, 10, QLatin1Char('0'))
        .arg(quadrant >= 2 ? QLatin1Char('S') : QLatin1Char('N'))
        .arg(lonDeg, 3, 10, QLatin1Char('0')).arg(lonMin, 2, 10, QLatin1Char('0'))
        .arg(quadrant % 2 ? QLatin1Char('W') : QLatin1Char('E'));
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

// ---- MMSI ------------------------------------------------------------------------------------

bool isMmsi(const QString& text) {
    if (text.size() != 9) return false;
    for (QChar ch : text)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) return false;
    return true;
}

} // namespace dscwire
