// The critical errors and minor slips of an attempt, read from its replayed events.
//
// Each critical error the card lists is looked for on its own, and named once, by its id and the
// first time it happened ("no-mayday: DSC distress alert sent at 14:12:05, no MAYDAY ..."):
//   wrong-category         an own call (DSC or spoken) of a kind no task asks for, whose category
//                          (distress, urgency, safety, routine) is none that the card's tasks ask for:
//                          urgency where distress was due, routine for a hazard.
//   no-position-time       an own DSC distress alert without a position or a time while the card's
//                          radio starts with the GPS off.
//   no-mayday              an own DSC distress alert with no own MAYDAY on 16 after it.
//   alert-not-cancelled    no own cancellation on 16 after the own distress alert (after the start of
//                          the attempt, when the alert went out before it).
//   ship-dsc-ack           an own DSC distress acknowledgement.
//   relay-as-own-alert     an own DSC distress alert, or an own MAYDAY where a MAYDAY RELAY is asked.
//   message-incomplete     an own MAYDAY or MAYDAY RELAY whose identity (the own name), position,
//                          nature or assistance wanted was judged wrong; an element not heard clearly
//                          is not wrong.
//   working-channel-16-70  an own DSC call proposing 70, or 16 for a routine call or where the card
//                          asks that kind of call for another channel.
//   silence-broken         an own transmission other than distress traffic while silence is imposed.
//                          A card that lists it starts under imposed silence; it is lifted by another
//                          station's SEELONCE FEENEE. Where the attempt holds none (the lifting is only
//                          in the card's words), the candidate's answer to the card's first task is
//                          taken as the end of the silence: whatever the own radio sent before it broke it.
//   time-out               the exam's time ran out during the attempt.
// No MAYDAY or cancellation understood, but an own transmission on 16 after the alert that the
// recogniser could not make out: the examiner hears it (a review flag) instead of a critical error.
#include "exam/MarkReplay.h"

#include <QSet>

#include <algorithm>
#include <functional>

namespace exam::marking {
namespace {

using lessons::Kind;

const QString k16 = QStringLiteral("16");

bool distressAlert(const Event& e) { return e.own && e.message && e.message->format == dscwire::code::kDistress; }

std::optional<Kind> ownCallKind(const Event& e) {
    if (!e.own || !e.message) return std::nullopt;
    const std::optional<Kind> k = lessons::kindOf(*e.message);
    return k && lessons::isSentKind(*k) ? k : std::nullopt;
}

bool asksKind(const Replay& r, Kind kind) {
    return std::any_of(r.exercise.tasks.begin(), r.exercise.tasks.end(), [&](const lessons::Task& t) { return t.expect.kind == kind; });
}

bool asksProcedure(const Replay& r, const QString& procedure) {
    return std::any_of(r.exercise.tasks.begin(), r.exercise.tasks.end(), [&](const lessons::Task& t) {
        return t.expect.kind == Kind::Voice && t.expect.procedure == procedure;
    });
}

QString wrongCategory(const Replay& r) {
    QStringList due;
    for (const lessons::Task& t : r.exercise.tasks) {
        const bool call = lessons::isSentKind(t.expect.kind), spoken = t.expect.kind == Kind::Voice;
        const QString c = spoken ? categoryOf(t.expect.procedure) : categoryOf(t.expect.kind);
        if ((call || spoken) && !due.contains(c)) due << c;
    }
    if (due.isEmpty()) return {};
    for (const Event& e : r.events) {
        QString category;
        if (const auto kind = ownCallKind(e); kind && !asksKind(r, *kind)) category = dscwire::categoryText(*e.message);
        if (e.own && e.voice && !notUnderstood(e, {}) && !asksProcedure(r, e.voice->procedure))
            category = categoryOf(e.voice->procedure);
        if (!category.isEmpty() && !due.contains(category))
            return QStringLiteral("%1, a %2 call where %3 was due").arg(briefWords(e), category, due.join(QStringLiteral(" or ")));
    }
    return {};
}

QString noPositionTime(const Replay& r) {
    if (!r.gpsOff()) return {};
    for (const Event& e : r.events) {
        if (!distressAlert(e)) continue;
        QStringList missing;
        if (!e.message->position.known) missing << QStringLiteral("a position");
        if (!e.message->time.isValid()) missing << QStringLiteral("a time");
        if (!missing.isEmpty())
            return QStringLiteral("%1 without %2 while the GPS is off").arg(briefWords(e), missing.join(QStringLiteral(" or ")));
    }
    return {};
}

// The own transmission of `procedure` on 16 that follows the event `from` (-1: the start); when
// there is none, a review flag for an own transmission there that was not understood, or the reason.
QString followedBy(const Replay& r, int from, const QString& procedure, const QString& reason, Attempt& a) {
    const Event* unclear = nullptr;
    for (size_t i = size_t(from + 1); i < r.events.size(); ++i) {
        const Event& e = r.events[i];
        if (e.own && spokenAs(e, procedure, k16)) return {};
        if (!unclear && notUnderstood(e, k16)) unclear = &e;
    }
    if (unclear) {
        a.review.push_back({procedure, r.sound(*unclear)});
        return {};
    }
    return reason;
}

int firstAlert(const Replay& r) {
    for (size_t i = 0; i < r.events.size(); ++i)
        if (distressAlert(r.events[i])) return int(i);
    return -1;
}

QString first(const Replay& r, const std::function<QString(const Event&)>& reason) {
    for (const Event& e : r.events)
        if (const QString why = reason(e); !why.isEmpty()) return why;
    return {};
}

QString relayAsOwn(const Replay& r) {
    const bool relayAsked = asksProcedure(r, QStringLiteral("mayday-relay")) && !asksProcedure(r, QStringLiteral("mayday"));
    return first(r, [&](const Event& e) {
        if (distressAlert(e)) return QStringLiteral("%1 as the own distress instead of a relay").arg(briefWords(e));
        if (relayAsked && e.own && spokenAs(e, QStringLiteral("mayday"), {}))
            return QStringLiteral("%1 for the own vessel where a MAYDAY RELAY was due").arg(briefWords(e));
        return QString();
    });
}

QString incomplete(const Event& e) {
    if (!e.own || !(spokenAs(e, QStringLiteral("mayday"), {}) || spokenAs(e, QStringLiteral("mayday-relay"), {}))) return {};
    static const QStringList kNeeded{"own-name", "position", "nature", "assistance"};
    QStringList wrong;
    for (const air::VoiceVerdict& v : e.voice->verdicts)
        if (kNeeded.contains(v.element) && !v.ok && !v.unclear) wrong << v.text;
    return wrong.isEmpty() ? QString() : QStringLiteral("%1: %2").arg(briefWords(e), wrong.join(QStringLiteral("; ")));
}

QString workingChannel(const Replay& r, const Event& e) {
    const auto kind = ownCallKind(e);
    if (!kind) return {};
    const int channel = e.message->channels.value(0, 0);
    if (channel != 16 && channel != 70) return {};
    bool elsewhere = channel == 70 || e.message->category == dscwire::code::kRoutine;
    for (const lessons::Task& t : r.exercise.tasks)
        elsewhere = elsewhere || (t.expect.kind == *kind && t.expect.channel && *t.expect.channel != 16);
    return elsewhere ? QStringLiteral("%1 proposing channel %2 as the working channel").arg(briefWords(e)).arg(channel) : QString();
}

QString silenceBroken(const Replay& r) {
    static const QStringList kDistressTraffic{"mayday", "mayday-relay", "distress-ack", "cancel"};
    qint64 lifted = -1;
    for (const Event& e : r.events)
        if (!e.own && e.voice && e.voice->words.contains(QLatin1String("seelonce feenee"))) {
            lifted = e.ms;
            break;
        }
    for (const Event& e : r.events) {
        if (lifted >= 0 ? e.ms >= lifted : e.task == 0) break;
        if (!e.own) continue;
        const bool distress = e.message ? dscwire::categoryText(*e.message) == QLatin1String("distress")
                                        : kDistressTraffic.contains(e.voice->procedure);
        if (!distress) return QStringLiteral("%1 while silence was imposed").arg(briefWords(e));
    }
    return {};
}

} // namespace

void criticalErrors(const DrawnCard& card, const Replay& r, const AttemptSpan& span, Attempt& a) {
    const QStringList& listed = card.card.critical;
    auto check = [&](const char* id, const std::function<QString()>& rule) {
        if (!listed.contains(QLatin1String(id))) return;
        if (const QString reason = rule(); !reason.isEmpty()) a.critical << QStringLiteral("%1: %2").arg(QLatin1String(id), reason);
    };
    check("wrong-category", [&] { return wrongCategory(r); });
    check("no-position-time", [&] { return noPositionTime(r); });
    check("no-mayday", [&] {
        const int alert = firstAlert(r);
        if (alert < 0) return QString();
        const QString reason = QStringLiteral("%1, no MAYDAY on channel 16 after it").arg(briefWords(r.events[size_t(alert)]));
        return followedBy(r, alert, QStringLiteral("mayday"), reason, a);
    });
    check("alert-not-cancelled", [&] {
        const int alert = firstAlert(r);
        const QString reason = alert < 0 ? QStringLiteral("the false alert not cancelled by voice on channel 16")
                                         : QStringLiteral("%1, not cancelled by voice on channel 16 after it")
                                               .arg(briefWords(r.events[size_t(alert)]));
        return followedBy(r, alert, QStringLiteral("cancel"), reason, a);
    });
    check("ship-dsc-ack", [&] {
        return first(r, [](const Event& e) {
            return e.own && e.message && lessons::kindOf(*e.message) == Kind::DistressAck
                       ? QStringLiteral("%1: a ship acknowledges a distress alert by voice").arg(briefWords(e))
                       : QString();
        });
    });
    check("relay-as-own-alert", [&] { return relayAsOwn(r); });
    check("message-incomplete", [&] { return first(r, incomplete); });
    check("working-channel-16-70", [&] { return first(r, [&](const Event& e) { return workingChannel(r, e); }); });
    check("silence-broken", [&] { return silenceBroken(r); });
    check("time-out", [&] {
        return span.timedOut ? QStringLiteral("the time ran out after %1 s").arg((span.endMs - span.startMs) / 1000) : QString();
    });
}

void minorSlips(const DrawnCard& card, const Replay& r, Attempt& a) {
    static const QSet<QString> kCounts{"mayday-count", "relay-count", "pan-count", "securite-count", "called"};
    for (const Event& e : r.events) {
        if (!e.own || !e.voice) continue;
        for (const air::VoiceVerdict& v : e.voice->verdicts) {
            if (v.ok || v.unclear) continue;
            const bool count = kCounts.contains(v.element) && v.text.contains(QLatin1String("three times expected"));
            // "ends with OUT, OVER expected": the one said for the other (a missing one is no slip of this kind).
            const bool ending = v.element == QLatin1String("ending") && v.text.startsWith(QLatin1String("ends with"));
            if (count || ending) a.minor << QStringLiteral("%1: %2").arg(briefWords(e), v.text);
        }
        if (e.voice->procedure == QLatin1String("routine") && e.voice->power == QLatin1String("25W"))
            a.minor << QStringLiteral("%1 at 25 W, low power is enough for a routine call").arg(briefWords(e));
    }
    static const QStringList kLogged{"distress-received", "relay", "dictation"};
    if (kLogged.contains(card.card.kind) && r.log.empty())
        a.minor << QStringLiteral("no entry in the radio log for the traffic received");
}

} // namespace exam::marking
