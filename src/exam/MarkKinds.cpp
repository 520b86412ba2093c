// The marks some kinds of card ask for beyond their tasks: the dictated message copied into the log,
// the letters spelled, the figures read out, the tasks handled in the order of priority.
//
// Spelled letters and figures are read from the words the recogniser understood. What it did not
// catch is no proof that it was not said: when they are not found in the own transmissions, the
// examiner hears them (a review flag); only an attempt without any own transmission fails them.
#include "exam/CopyMark.h"
#include "exam/MarkReplay.h"
#include "voice/Spelling.h"

#include <QRegularExpression>

#include <algorithm>
#include <functional>

namespace exam::marking {
namespace {

QString lettersOf(const QString& text) {
    static const QRegularExpression notLetter(QStringLiteral("[^A-Z0-9]"));
    return text.toUpper().remove(notLetter);
}

QStringList wordsOf(const Event& e) { return e.voice->words.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts); }

// Every figure the words hold, in the order said, fractions included: "tree wun six" ... -> "316...".
QString figuresOf(const QStringList& words) {
    QString out;
    for (qsizetype i = 0; i < words.size();) {
        const voice::Figures f = voice::readFigures(words, i);
        if (f.digits.isEmpty()) {
            ++i;
            continue;
        }
        out += f.digits + f.fraction;
        i = std::max(f.end, i + 1);
    }
    return out;
}

struct Sought {
    QString shown;        // as the evidence names it
    QStringList accepted; // any of these letters or figures found will do
};

// A mark whose letters or figures must be found in what the own radio said (`heard` makes them
// from one transmission's words).
Mark findIn(const Replay& r, const QString& criterion, const QString& element, const QList<Sought>& sought,
            const std::function<QStringList(const QStringList&)>& heard, Attempt& a, bool& held) {
    Mark m{criterion, false, {}};
    held = false;
    QStringList found, missing;
    const Event* last = nullptr;
    for (const Sought& s : sought) {
        const Event* where = nullptr;
        for (const Event& e : r.events) {
            if (!e.own || !e.voice) continue;
            last = &e;
            for (const QString& h : heard(wordsOf(e)))
                for (const QString& want : s.accepted)
                    if (!want.isEmpty() && h.contains(want) && !where) where = &e;
        }
        (where ? found : missing) << (where ? QStringLiteral("%1 (%2)").arg(s.shown, briefWords(*where)) : s.shown);
    }
    m.met = missing.isEmpty();
    if (m.met) {
        m.evidence = found.join(QStringLiteral(", "));
    } else if (!last) {
        m.evidence = QStringLiteral("nothing said");
    } else {
        held = true;
        a.review.push_back({element, r.sound(*last)});
        m.evidence = QStringLiteral("%1 not understood in %2, for the examiner to hear")
                         .arg(missing.join(QStringLiteral(" and ")), briefWords(*last));
    }
    return m;
}

Mark spelled(const DrawnCard& card, const Replay& r, Attempt& a, bool& held) {
    QList<Sought> sought;
    if (!r.ownName.isEmpty()) sought << Sought{lettersOf(r.ownName), {lettersOf(r.ownName)}};
    const QString callSign = lettersOf(card.filled.values.value(QStringLiteral("callsign")));
    if (!callSign.isEmpty()) sought << Sought{callSign, {callSign}};
    auto spellings = [](const QStringList& words) {
        QStringList out;
        for (const QString& s : voice::spellings(words)) out << lettersOf(s);
        return out;
    };
    return findIn(r, QStringLiteral("Name and call sign spelled in the phonetic alphabet"), QStringLiteral("spelling"), sought, spellings, a, held);
}

Mark figures(const DrawnCard& card, const Replay& r, Attempt& a, bool& held) {
    QList<Sought> sought;
    if (!r.ownMmsi.isEmpty()) sought << Sought{QStringLiteral("MMSI %1").arg(r.ownMmsi), {r.ownMmsi}};
    const QString written = card.filled.values.value(QStringLiteral("position"));
    if (const std::optional<Position> p = parsePosition(written)) {
        auto digits = [](int tenths, int width) {
            const int t = std::abs(tenths);
            return QStringLiteral("%1%2%3").arg(t / 600, width, 10, QLatin1Char('0')).arg(t % 600 / 10, 2, 10, QLatin1Char('0')).arg(t % 10);
        };
        // The longitude's leading zero may be left out.
        sought << Sought{QStringLiteral("latitude %1").arg(written.section(QLatin1Char(' '), 0, 0)), {digits(p->latTenths, 2)}}
               << Sought{QStringLiteral("longitude %1").arg(written.section(QLatin1Char(' '), 1)),
                         {digits(p->lonTenths, 3), digits(p->lonTenths, 1)}};
    }
    return findIn(r, QStringLiteral("MMSI and position read out figure by figure"), QStringLiteral("figures"), sought,
                  [](const QStringList& words) { return QStringList{figuresOf(words)}; }, a, held);
}

Mark copied(const DrawnCard& card, const Replay& r) {
    const QMap<QString, QString>& v = card.filled.values;
    lessons::LogEntry sent;
    sent.name = v.value(QStringLiteral("vessel"));
    sent.callSign = v.value(QStringLiteral("callsign"));
    sent.mmsi = v.value(QStringLiteral("mmsi"));
    sent.position = v.value(QStringLiteral("position"));
    sent.positionTime = v.value(QStringLiteral("time"));
    sent.nature = v.value(QStringLiteral("nature"));
    sent.persons = v.value(QStringLiteral("persons"));
    Mark m{QStringLiteral("Message copied into the log"), false, QStringLiteral("no entry in the radio log")};
    if (r.log.empty()) return m;
    QStringList right, wrong;
    for (const FieldMark& f : markCopy(r.log.back(), sent))
        (f.mark == FieldMark::Right ? right : wrong) << (f.mark == FieldMark::Right ? f.field : f.text);
    m.met = wrong.isEmpty();
    m.evidence = m.met ? QStringLiteral("the log entry of %1 UTC: %2 right").arg(r.log.back().time, right.join(QStringLiteral(", ")))
                       : wrong.join(QStringLiteral("; "));
    return m;
}

Mark inOrder(const Replay& r, const std::vector<bool>& held, bool& waits) {
    Mark m{QStringLiteral("Handled in order of priority"), false, {}};
    waits = false;
    qint64 before = -1;
    int beforeTask = 0;
    QStringList times;
    for (int i = 0; i < r.exercise.tasks.size(); ++i) {
        const lessons::Verdict& v = r.verdicts[size_t(i)];
        const int by = r.answeredBy[size_t(i)];
        // A task heard unclearly stands where it was said; one waiting for the examiner otherwise is left out.
        const qint64 at = v.state != lessons::TaskState::Open ? v.ms : by >= 0 ? r.events[size_t(by)].ms : -1;
        if (at < 0 && held[size_t(i)]) {
            waits = true;
            continue;
        }
        if (at < 0) {
            m.evidence = QStringLiteral("task %1 (%2) not done").arg(i + 1).arg(r.exercise.tasks[i].title);
            return m;
        }
        if (at < before) {
            m.evidence = QStringLiteral("task %1 (%2) answered at %3 s, before task %4 at %5 s")
                             .arg(i + 1).arg(r.exercise.tasks[i].title).arg(at / 1000).arg(beforeTask).arg(before / 1000);
            return m;
        }
        before = at;
        beforeTask = i + 1;
        times << QStringLiteral("%1 s").arg(at / 1000);
    }
    m.met = !waits;
    m.evidence = QStringLiteral("answered in the card's order, at %1").arg(times.join(QStringLiteral(", ")));
    return m;
}

} // namespace

void kindMarks(const DrawnCard& card, const Replay& r, Attempt& a, std::vector<bool>& held) {
    const QString& kind = card.card.kind;
    bool waits = false;
    if (kind == QLatin1String("dictation")) a.marks.push_back(copied(card, r));
    else if (kind == QLatin1String("spelling")) a.marks.push_back(spelled(card, r, a, waits));
    else if (kind == QLatin1String("figures")) a.marks.push_back(figures(card, r, a, waits));
    else if (kind == QLatin1String("priority")) a.marks.push_back(inOrder(r, held, waits));
    else return;
    held.push_back(waits);
}

} // namespace exam::marking
