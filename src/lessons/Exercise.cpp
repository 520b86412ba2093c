// The kinds of answer and the checking of what happened (a DSC call, a spoken transmission)
// against what a task expects.
#include "lessons/Exercise.h"
#include "lessons/ExerciseKinds.h"

#include "calls/OnAir.h"
#include "voice/Dialogue.h"

namespace lessons {
namespace {

namespace code = dscwire::code;
using kinds::infoOf;
using kinds::KindInfo;
using kinds::kFirstReason;
using kinds::kKinds;

QString positionWords(const dscwire::Position& p) {
    return p.known ? p.trainerText() : QStringLiteral("none");
}

bool sameWholeMinutes(const dscwire::Position& a, const dscwire::Position& b) {
    if (!a.known || !b.known) return a.known == b.known;
    return a.quadrant == b.quadrant && a.latDeg == b.latDeg && a.latMin == b.latMin && a.lonDeg == b.lonDeg &&
           a.lonMin == b.lonMin;
}

QString reasonWords(int command2) {
    const int i = command2 - kFirstReason;
    return i >= 0 && i < calls::kUnableReasons.size() ? calls::kUnableReasons[i] : QStringLiteral("none");
}

} // namespace

QString kindName(Kind kind) { return QString::fromLatin1(infoOf(kind).name); }

std::optional<Kind> kindFromName(const QString& name) {
    for (const KindInfo& k : kKinds)
        if (name == QLatin1String(k.name)) return k.kind;
    return std::nullopt;
}

bool isSentKind(Kind kind) { return kind < Kind::DistressAck; }
bool isReceivedKind(Kind kind) { return kind >= Kind::DistressAck && kind < Kind::OwnMmsi; }

std::optional<Kind> kindOf(const dscwire::Message& m) {
    const bool reply = m.eos == code::kAcknowledgement;
    switch (m.format) {
    case code::kDistress: return Kind::Distress;
    case code::kAllShips:
        switch (m.category) {
        case code::kDistressCategory:
            if (m.command1 == code::kDistressAck) return Kind::DistressAck;
            return std::nullopt;
        case code::kUrgency: return Kind::Urgency;
        case code::kSafety: return Kind::Safety;
        case code::kRoutine: return Kind::AllShips;
        default: return std::nullopt;
        }
    case code::kGroup: return Kind::Group;
    case code::kIndividual:
    case code::kIndividualAuto:
        switch (m.command1) {
        case code::kUnableToComply: return Kind::Unable;
        case code::kShipPosition: return reply ? Kind::PositionReply : Kind::PositionRequest;
        case code::kPolling: return reply ? Kind::PollingReply : Kind::Polling;
        case code::kTest: return std::nullopt;
        default: return reply ? Kind::Able : Kind::Individual;
        }
    default: return std::nullopt;
    }
}

QString channelWords(int channelOnAir) {
    return channelOnAir > 0 ? calls::channelDesignator(channelOnAir) : QStringLiteral("none");
}

QStringList mismatches(const Expect& e, const dscwire::Message& m) {
    QStringList out;
    auto wrong = [&out](const char* field, const QString& got, const QString& wanted) {
        out << QStringLiteral("%1: %2, expected %3").arg(QLatin1String(field), got, wanted);
    };
    if (e.nature && m.nature != *e.nature)
        wrong("nature", m.nature < 0 ? QStringLiteral("none") : dscwire::natureText(m.nature), e.natureWord);
    if (e.position && !sameWholeMinutes(m.position, *e.position))
        wrong("position", positionWords(m.position), positionWords(*e.position));
    if (e.time && !(m.time.isValid() && m.time.hour() == e.time->hour() && m.time.minute() == e.time->minute()))
        wrong("time", m.time.isValid() ? m.time.toString(QStringLiteral("HH:mm")) : QStringLiteral("none"),
              e.time->toString(QStringLiteral("HH:mm")));
    if (e.channel && m.channels.value(0, 0) != *e.channel)
        wrong("channel", channelWords(m.channels.value(0, 0)), channelWords(*e.channel));
    if (!e.to.isEmpty() && m.address != e.to)
        wrong("to", m.address.isEmpty() ? QStringLiteral("all ships") : m.address, e.to);
    if (!e.from.isEmpty() && m.selfId != e.from) wrong("from", m.selfId, e.from);
    if (e.reason && m.command2 != *e.reason) wrong("reason", reasonWords(m.command2), reasonWords(*e.reason));
    return out;
}

QStringList mismatches(const Expect& e, const air::VoiceTransmission& t) {
    QStringList out;
    if (e.channel && calls::channelOnAir(t.channel) != *e.channel)
        out << QStringLiteral("channel: %1, expected %2").arg(t.channel, channelWords(*e.channel));
    for (const air::VoiceVerdict& v : t.verdicts)
        if (!v.ok && !v.unclear && (e.elements.isEmpty() || e.elements.contains(v.element))) out << v.text;
    return out;
}

QStringList unclearElements(const Expect& e, const air::VoiceTransmission& t) {
    QStringList out;
    for (const air::VoiceVerdict& v : t.verdicts)
        if (!v.ok && v.unclear && (e.elements.isEmpty() || e.elements.contains(v.element))) out << v.element;
    return out;
}

QString sayAgainText(const QStringList& unclearElements) {
    QStringList what;
    for (const QString& id : unclearElements)
        if (const QString words = voice::sayAgainOf(id); !words.isEmpty()) what << words;
    // The parts a station names, or the whole transmission.
    return what.isEmpty() ? QStringLiteral("Not heard clearly: say it again")
                          : QStringLiteral("Not heard clearly: say again %1").arg(what.join(QStringLiteral(" and ")));
}

} // namespace lessons
