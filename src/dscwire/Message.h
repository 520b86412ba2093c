#pragma once
// A DSC call as a value (ITU-R M.493, VHF): what is in it, made by one named constructor per kind
// of call, turned into its message characters and back, and put into plain words.
#include <QList>
#include <QString>
#include <QTime>

#include <optional>
#include <utility>

namespace dscwire {

// Either a value or a text that names what is wrong.
template <typename T>
class Result {
public:
    static Result good(T value) { Result r; r.value_.emplace(std::move(value)); return r; }
    static Result bad(QString error) { Result r; r.error_ = std::move(error); return r; }
    bool ok() const { return value_.has_value(); }
    const T& value() const { return *value_; }
    const QString& error() const { return error_; }

private:
    std::optional<T> value_;
    QString error_;
};

namespace code {
// Format specifiers
inline constexpr int kGeographic = 102, kDistress = 112, kGroup = 114, kAllShips = 116,
                     kIndividual = 120, kIndividualAuto = 123;
// Categories
inline constexpr int kRoutine = 100, kSafety = 108, kUrgency = 110, kDistressCategory = 112;
// First commands
inline constexpr int kTelephony = 100, kDuplex = 101, kPolling = 103, kUnableToComply = 104,
                     kEndOfCall = 105, kData = 106, kJ3E = 109, kDistressAck = 110,
                     kDistressRelay = 112, kTtyFec = 113, kTtyArq = 115, kTest = 118,
                     kShipPosition = 121, kNoInformation = 126;
// End of sequence
inline constexpr int kAckRequired = 117, kAcknowledgement = 122, kOtherEos = 127;
// Phasing
inline constexpr int kDxPhasing = 125;
inline constexpr int kRxPhasingFirst = 111, kRxPhasingLast = 104;
} // namespace code

// Quadrant, whole degrees and minutes, as the ten digits "Q LL ll GGG gg"; minutes are truncated.
struct Position {
    bool known = false;
    int quadrant = 0;  // 0 NE, 1 NW, 2 SE, 3 SW
    int latDeg = 0, latMin = 0, lonDeg = 0, lonMin = 0;
    // Four more decimals of the minutes (0000-9999), -1 if not known. They do not go on the air;
    // a receiving radio reports them in $CDDSE.
    int latMinFrac = -1, lonMinFrac = -1;

    static Position unknown() { return {}; }
    static Position of(int quadrant, int latDeg, int latMin, int lonDeg, int lonMin);
    // The trainer's position text, e.g. "L42°21.0'N  Lo070°55.7'W" (tenths become extra decimals).
    static std::optional<Position> fromTrainerText(const QString& text);
    // Back in the trainer's form, on whole minutes ("L42°21'N  Lo070°55'W"); empty when unknown.
    QString trainerText() const;
    QString digits() const;  // ten digits, "9999999999" when unknown
    bool hasExtra() const { return known && latMinFrac >= 0 && lonMinFrac >= 0; }
    bool operator==(const Position&) const = default;
};

struct Message {
    int format = 0;
    QString address;       // called station or group, 9 digits; empty where the call has none
    int category = -1;     // -1 where the call carries none (a distress alert)
    QString selfId;        // calling station, 9 digits
    int nature = -1;       // nature of distress, -1 if none
    int command1 = -1, command2 = -1;
    QString distressMmsi;  // in a distress acknowledgement: the station in distress
    Position position;
    QTime time;            // UTC; invalid = unknown (8888)
    QList<int> channels;   // VHF channel per channel group; 0 = "no channel" (126 126 126)
    int subsequent = -1;   // subsequent communications, -1 if none
    int eos = code::kOtherEos;

    bool operator==(const Message&) const = default;

    // One named constructor per call; callers never assemble characters themselves.
    static Message distressAlert(const QString& self, int nature, const Position& pos, QTime utc);
    static Message distressAcknowledgement(const QString& self, const Message& alert);
    static Message allShips(int category, const QString& self, int channel);
    static Message individual(const QString& address, int category, const QString& self, int channel);
    static Message ableToComply(const Message& call, const QString& self);
    static Message unableToComply(const Message& call, const QString& self, int reason);
    static Message groupCall(const QString& group, int category, const QString& self, int channel);
    static Message positionRequest(const QString& address, const QString& self,
                                   int category = code::kRoutine);
    static Message positionReply(const Message& request, const QString& self, const Position& pos,
                                 QTime utc);
    static Message polling(const QString& address, const QString& self);
    static Message pollingReply(const Message& poll, const QString& self);
    static Message testCall(const QString& address, const QString& self);
};

// An MMSI: nine characters, each a digit 0-9.
bool isMmsi(const QString& text);

// The trainer's nature texts ("Fire", "MOB", ...) and the nature codes.
std::optional<int> natureFromText(const QString& text);
QString natureText(int nature);

// The message characters: format specifier twice, the fields, then the EOS. Fails on a field the
// call cannot carry (an MMSI of other than nine digits, a channel above 9999, ...).
Result<QList<int>> toSymbols(const Message& m);
// And back, from the characters between phasing and ECC (the EOS last).
Result<Message> fromSymbols(const QList<int>& symbols);

// The call's category in a word: "distress" for a distress alert (which carries none on the air),
// else "routine", "safety", "urgency" or "distress".
QString categoryText(const Message& m);
// Every field in plain English, e.g. "Distress alert from 316123456, nature: Fire, ...".
QString describe(const Message& m);
// Characters as text: "112 112 31 61 23 45 60 ..."
QString symbolLine(const QList<int>& symbols);

} // namespace dscwire
