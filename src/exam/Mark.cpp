// Marking one attempt: the lesson's lines of the attempt replayed into the card's checker; each task
// a mark with its evidence, then the critical errors, the minor slips and the marks of the card's kind.
#include "exam/Mark.h"

#include "air/Air.h"
#include "exam/MarkReplay.h"

#include <QFileInfo>
#include <algorithm>

namespace exam {
namespace marking {

QString Replay::sound(const Event& e) const {
    if (lessonPath.isEmpty() || !e.voice) return {};
    return QFileInfo(lessons::voicePath(lessonPath, e.voice->number)).fileName();
}

namespace {

std::optional<dscwire::Message> decode(const QJsonObject& line) {
    QList<int> symbols;
    for (const QString& s : line.value(QLatin1String("symbols")).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool ok = false;
        symbols << s.toInt(&ok);
        if (!ok) return std::nullopt;
    }
    const auto m = dscwire::fromSymbols(symbols);
    if (!m.ok()) return std::nullopt;
    return m.value();
}

air::VoiceTransmission voiceOf(const QJsonObject& o) {
    air::VoiceTransmission t;
    auto text = [&o](const char* key) { return o.value(QLatin1String(key)).toString(); };
    t.number = o.value(QLatin1String("number")).toInt();
    t.channel = text("channel");
    t.power = text("power");
    t.fromMmsi = text("from");
    t.fromName = text("name");
    t.words = text("words");
    t.procedure = text("procedure");
    t.verdicts = lessons::voiceVerdicts(o);
    t.notJudged = text("notJudged");
    t.fromOwnRadio = text("direction") == QLatin1String("sent");
    t.heardByOwnRadio = text("direction") == QLatin1String("received");
    return t;
}

// "42°21'N 070°48'W", from the radio's "L42°21'N  Lo070°48'W".
QString positionWords(const dscwire::Position& p) {
    return p.trainerText().remove(QStringLiteral("Lo")).remove(QLatin1Char('L')).simplified();
}

QString messageKindWords(const dscwire::Message& m) {
    using lessons::Kind;
    const std::optional<Kind> kind = lessons::kindOf(m);
    if (!kind) return QStringLiteral("DSC %1 call").arg(dscwire::categoryText(m));
    switch (*kind) {
    case Kind::Distress: return QStringLiteral("DSC distress alert");
    case Kind::DistressAck: return QStringLiteral("DSC distress acknowledgement");
    case Kind::Able: return QStringLiteral("DSC acknowledgement");
    case Kind::Unable: return QStringLiteral("DSC unable-to-comply answer");
    default: return QStringLiteral("DSC ") + lessons::kindName(*kind).replace(QLatin1Char('-'), QLatin1Char(' ')) +
                    (lessons::isSentKind(*kind) && *kind != Kind::PositionRequest ? QStringLiteral(" call") : QString());
    }
}

} // namespace

Replay replay(const lessons::Exercise& exercise, const std::vector<lessons::Entry>& entries, const AttemptSpan& span,
              const QString& lessonPath) {
    Replay r{exercise, {}, {}, {}, std::vector<int>(size_t(exercise.tasks.size()), -1), lessonPath, {}, exercise.start.mmsi};
    lessons::Checker checker(exercise, 0);
    for (const lessons::Entry& entry : entries) {
        if (entry.t < span.startMs || entry.t > span.endMs) continue;
        const qint64 ms = entry.t - span.startMs;
        if (entry.kind == QLatin1String("log")) {
            r.log.push_back(lessons::logEntryFrom(entry.json.value(QLatin1String("entry")).toObject()));
            continue;
        }
        const bool message = entry.kind == QLatin1String("message"), spoken = entry.kind == QLatin1String("voice");
        if (!message && !spoken) continue;
        const QString direction = entry.json.value(QLatin1String("direction")).toString();
        Event e{ms, entry.json.value(QLatin1String("time")).toString(), direction == QLatin1String("sent"),
                direction == QLatin1String("received"), {}, {}, -1};
        QString from;
        if (message) {
            e.message = decode(entry.json);
            if (!e.message) continue;
            from = e.message->selfId;
        } else {
            e.voice = voiceOf(entry.json);
            from = e.voice->fromMmsi;
            if (e.own && !e.voice->fromName.isEmpty()) r.ownName = e.voice->fromName;
        }
        const int index = int(r.events.size());
        // The own MMSI is set in the menus, which the lesson keeps as keys: what the own radio
        // sends with tells it.
        if (e.own && dscwire::isMmsi(from) && from != r.ownMmsi) {
            if (!r.ownMmsi.isEmpty())
                if (const int task = checker.ownMmsi(from, ms); task >= 0) r.answeredBy[size_t(task)] = index;
            r.ownMmsi = from;
        }
        if (message) {
            air::Transmission t;
            t.message = *e.message;
            t.fromOwnRadio = e.own;
            t.toOwnRadio = e.received;
            e.task = checker.message(t, ms);
        } else {
            e.task = checker.voice(*e.voice, ms);
        }
        if (e.task >= 0) r.answeredBy[size_t(e.task)] = index;
        r.events.push_back(std::move(e));
    }
    r.verdicts = checker.verdicts();
    return r;
}

QString briefWords(const Event& e) {
    if (e.voice) return QStringLiteral("%1 said on %2 at %3").arg(procedureWords(e.voice->procedure), e.voice->channel, e.time);
    return QStringLiteral("%1 %2 at %3").arg(messageKindWords(*e.message), e.own ? QStringLiteral("sent") : QStringLiteral("received"), e.time);
}

QString eventWords(const Event& e, bool gpsOff) {
    if (!e.message) return briefWords(e);
    const dscwire::Message& m = *e.message;
    QStringList parts{briefWords(e)};
    if (e.own && !m.address.isEmpty()) parts << QStringLiteral("to %1").arg(m.address);
    if (!e.own) parts << QStringLiteral("from %1").arg(m.selfId);
    if (m.nature >= 0) parts << QStringLiteral("nature %1").arg(dscwire::natureText(m.nature));
    if (m.position.known)
        parts << QStringLiteral("position %1").arg(positionWords(m.position)) +
                     (e.own && gpsOff ? QStringLiteral(" entered by hand") : QString());
    if (m.time.isValid()) parts << QStringLiteral("time %1").arg(m.time.toString(QStringLiteral("HH:mm")));
    if (m.channels.value(0, 0) > 0) parts << QStringLiteral("channel %1").arg(lessons::channelWords(m.channels[0]));
    return parts.join(QStringLiteral(", "));
}

QString procedureWords(const QString& procedure) {
    static const QHash<QString, QString> words{
        {"mayday", "MAYDAY"}, {"mayday-relay", "MAYDAY RELAY"}, {"pan-pan", "PAN PAN"}, {"securite", "SECURITE"},
        {"routine", "Routine call"}, {"distress-ack", "Distress acknowledgement"}, {"cancel", "Cancellation"}};
    return words.value(procedure, QStringLiteral("A transmission"));
}

QString categoryOf(const QString& procedure) {
    if (procedure == QLatin1String("pan-pan")) return QStringLiteral("urgency");
    if (procedure == QLatin1String("securite")) return QStringLiteral("safety");
    if (procedure == QLatin1String("routine")) return QStringLiteral("routine");
    return QStringLiteral("distress");
}

QString categoryOf(lessons::Kind kind) {
    using lessons::Kind;
    switch (kind) {
    case Kind::Distress:
    case Kind::DistressAck: return QStringLiteral("distress");
    case Kind::Urgency: return QStringLiteral("urgency");
    case Kind::Safety: return QStringLiteral("safety");
    default: return QStringLiteral("routine");
    }
}

bool spokenAs(const Event& e, const QString& procedure, const QString& channel) {
    return e.voice && e.voice->procedure == procedure && (channel.isEmpty() || e.voice->channel == channel);
}

bool notUnderstood(const Event& e, const QString& channel) {
    return e.own && e.voice && (e.voice->procedure.isEmpty() || e.voice->procedure == QLatin1String("none")) &&
           (channel.isEmpty() || e.voice->channel == channel);
}

} // namespace marking

namespace {

using marking::Event;
using marking::Replay;

// The elements judged right that the task looks at, in words: "position, nature, persons".
QString rightElements(const lessons::Task& task, const air::VoiceTransmission& t) {
    QStringList right;
    for (const air::VoiceVerdict& v : t.verdicts)
        if (v.ok && (task.expect.elements.isEmpty() || task.expect.elements.contains(v.element)))
            right << QString(v.element).replace(QLatin1Char('-'), QLatin1Char(' '));
    return right.isEmpty() ? QString() : QStringLiteral(": %1 right").arg(right.join(QStringLiteral(", ")));
}

// A task's mark; `held` when it waits for the examiner to hear it.
Mark taskMark(const Replay& r, int i, Attempt& a, bool& held) {
    const lessons::Task& task = r.exercise.tasks[i];
    const lessons::Verdict& v = r.verdicts[size_t(i)];
    const int by = r.answeredBy[size_t(i)];
    const Event* e = by >= 0 ? &r.events[size_t(by)] : nullptr;
    Mark m{task.title, v.state == lessons::TaskState::Done, {}};
    held = false;
    if (v.state == lessons::TaskState::Done) {
        if (task.expect.kind == lessons::Kind::OwnMmsi)
            m.evidence = QStringLiteral("own MMSI %1 set: the %2 carries it").arg(task.expect.mmsi, marking::briefWords(*e));
        else if (e->voice)
            m.evidence = marking::briefWords(*e) + rightElements(task, *e->voice);
        else
            m.evidence = marking::eventWords(*e, r.gpsOff());
    } else if (v.state == lessons::TaskState::Wrong) {
        m.evidence = e ? QStringLiteral("%1 (%2)").arg(v.reason, marking::briefWords(*e)) : v.reason;
    } else if (!v.sayAgain.isEmpty() && e && e->voice) {
        const QStringList unclear = lessons::unclearElements(task.expect, *e->voice);
        for (const QString& element : unclear) a.review.push_back({element, r.sound(*e)});
        m.evidence = QStringLiteral("%1: not heard clearly (%2), for the examiner to hear")
                         .arg(marking::briefWords(*e), unclear.join(QStringLiteral(", ")));
        held = true;
    } else {
        m.evidence = QStringLiteral("not done");
        // A spoken task: an own transmission on its channel that the recogniser could not make out may be it.
        const QString channel = task.expect.channel ? lessons::channelWords(*task.expect.channel) : QString();
        if (task.expect.kind == lessons::Kind::Voice)
            for (const Event& other : r.events)
                if (marking::notUnderstood(other, channel)) {
                    a.review.push_back({QStringLiteral("procedure"), r.sound(other)});
                    m.evidence = QStringLiteral("%1: not understood, for the examiner to hear").arg(marking::briefWords(other));
                    held = true;
                    break;
                }
    }
    return m;
}

} // namespace

Attempt markAttempt(const DrawnCard& card, const std::vector<lessons::Entry>& entries, const AttemptSpan& span,
                    const QString& lessonPath) {
    Attempt a;
    a.number = span.number;
    a.seconds = double(span.endMs - span.startMs) / 1000.0;
    const auto exercise = exerciseOf(card);
    if (!exercise.ok()) {
        a.critical << QStringLiteral("the card cannot be marked: %1").arg(exercise.error());
        return a;
    }
    const Replay r = marking::replay(exercise.value(), entries, span, lessonPath);
    std::vector<bool> held;
    for (int i = 0; i < r.exercise.tasks.size(); ++i) {
        bool waits = false;
        a.marks.push_back(taskMark(r, i, a, waits));
        held.push_back(waits);
    }
    marking::kindMarks(card, r, a, held);
    marking::criticalErrors(card, r, span, a);
    marking::minorSlips(card, r, a);
    // One flag a sound and element, however many rules asked for it.
    std::vector<ReviewFlag> flags;
    for (const ReviewFlag& f : a.review)
        if (std::none_of(flags.begin(), flags.end(), [&](const ReviewFlag& g) { return g.element == f.element && g.sound == f.sound; }))
            flags.push_back(f);
    a.review = flags;
    // What waits for the examiner fails nothing: the card goes to review (exam/Pass.h).
    bool allMet = true;
    for (size_t i = 0; i < a.marks.size(); ++i) allMet = allMet && (a.marks[i].met || held[i]);
    a.passed = allMet && a.critical.isEmpty();
    return a;
}

std::vector<lessons::Entry> readEntries(const QString& lessonPath) {
    std::vector<lessons::Entry> out;
    lessons::Reader reader(lessonPath);
    if (!reader.open()) return out;
    lessons::Entry e;
    while (reader.next(e)) out.push_back(e);
    return out;
}

} // namespace exam
