// Confidence in the verdicts: "wrong" only of what was heard with confidence, "unclear" otherwise.
#include "voice/Heard.h"

namespace voice::judging {

namespace {

// What an element is about, for "... not heard clearly".
QString subject(const QString& id) {
    static const QHash<QString, QString> s{
        {"mayday-count", "MAYDAY"}, {"relay-count", "MAYDAY RELAY"}, {"pan-count", "PAN PAN"},
        {"securite-count", "SECURITE"}, {"called", "the station called"}, {"this-is", "THIS IS"},
        {"own-name", "the own name"}, {"mmsi", "the MMSI"}, {"message-start", "MAYDAY and the name before the message"},
        {"following", "FOLLOWING RECEIVED FROM"}, {"distressed", "the station in distress"}, {"position", "the position"},
        {"nature", "the nature"}, {"assistance", "the assistance wanted"}, {"persons", "the persons on board"},
        {"message", "the message"}, {"cancel", "CANCEL MY DISTRESS ALERT"}, {"time", "the time of the alert"},
        {"received", "RECEIVED MAYDAY"}, {"ending", "OVER or OUT"}};
    return s.value(id, id);
}

// Where an element not found would have been said, in words.
std::pair<qsizetype, qsizetype> expectedAt(const QString& id, const Heard& h) {
    const qsizetype words = qsizetype(h.conf.size());
    if (id.endsWith(QLatin1String("-count"))) return {0, h.wordOf(h.afterOpening() + 1)};
    if (id == QLatin1String("called") || id == QLatin1String("this-is"))
        return {h.wordOf(h.afterOpening()), h.wordOf(h.identFrom + 1)};
    if (id == QLatin1String("own-name") || id == QLatin1String("mmsi"))
        return {h.wordOf(h.thisIs >= 0 ? h.thisIs : h.afterOpening()), h.wordOf(h.identTo + 1)};
    if (id == QLatin1String("ending")) return {std::max<qsizetype>(0, words - 2), words};
    // The position comes before the nature, the assistance and the persons on board; the persons
    // after the rest of the message.
    static const QSet<U> later{U::Nature, U::Urgency, U::Hazard, U::Assistance, U::Persons};
    qsizetype from = h.messageFrom(), to = h.messageTo();
    if (id == QLatin1String("position")) {
        for (qsizetype i = from; i < to; ++i)
            if (later.contains(h.u[i].type)) { to = i; break; }
    } else if (id == QLatin1String("persons")) {
        for (qsizetype i = from; i < to; ++i)
            if (later.contains(h.u[i].type) || h.u[i].type == U::Position) from = i + 1;
    }
    return {h.wordOf(from), h.wordOf(to)};
}

// Words heard with little confidence that no part of the form took, in [from, to): where an
// element not found may have been said.
int unsureLeftOver(const Heard& h, qsizetype from, qsizetype to) {
    int n = 0;
    for (const Unit& x : h.u)
        if ((x.type == U::Other || x.type == U::Number) && x.from >= from && x.to <= to)
            for (qsizetype w = x.from; w < x.to; ++w) n += h.conf[size_t(w)] < kSure;
    return n;
}

// The longest stretch of the words [from, to) (and the word before them) with no word heard with
// confidence in it, in ms: speech there that was not made out.
int longestUnheard(const Heard& h, qsizetype from, qsizetype to) {
    int longest = 0, lastSure = -1;
    for (qsizetype w = std::max<qsizetype>(0, from - 1); w < std::min<qsizetype>(to + 1, qsizetype(h.conf.size())); ++w) {
        if (h.conf[size_t(w)] < kSure) continue;
        if (lastSure >= 0) longest = std::max(longest, h.startMs[size_t(w)] - lastSure);
        lastSure = h.endMs[size_t(w)];
    }
    return longest;
}

} // namespace

// Says "wrong" only of what was heard with confidence: an element whose words (or the words
// beside them) were unsure is unclear; one not found is unclear where words that no other part
// took were unsure in the place it belongs (a position takes several words: a few unsure words
// are no lost position). What was heard right but unsure is unclear too where it carries a fact (a
// position, a number, a name, a description).
void weigh(Element& e, const Heard& h) {
    static const QSet<QString> facts{"own-name", "mmsi", "position", "nature", "assistance", "persons", "message",
                                     "distressed", "time", "called"};
    const auto it = h.cited.find(e.id);
    bool unsure = false;
    if (it != h.cited.end()) {
        // A number judged wrong may have lost a word to the words beside it.
        static const QSet<QString> numbers{"position", "mmsi", "time", "persons"};
        const qsizetype widen = !e.ok && numbers.contains(e.id) ? 1 : 0;
        unsure = h.least(it->first - widen, it->second + widen) < kSure;
        // A position cut short by a word or number nobody took may be that word misheard
        // ("minutes last", "zero took nine degrees"); an MMSI of other than nine digits is one
        // whose digits were misheard.
        if (e.id == QLatin1String("position") && !e.ok && !e.heard.isEmpty())
            for (const Unit& x : h.u)
                if (x.from == it->second && (x.type == U::Other || x.type == U::Number)) unsure = true;
        if (e.id == QLatin1String("mmsi") && !e.ok && e.heard.size() != 9) unsure = true;
    } else {
        const auto [from, to] = expectedAt(e.id, h);
        const int words = e.id == QLatin1String("position") ? 3 : e.id == QLatin1String("persons") ? 2 : 1;
        unsure = e.id == QLatin1String("ending") ? h.least(from, to) < kSure : unsureLeftOver(h, from, to) >= words;
        // Seconds of speech not made out where it belongs (a position takes several seconds to say).
        if (e.id != QLatin1String("ending") && longestUnheard(h, from, to) >= (words > 1 ? 2000 : 1500)) unsure = true;
        // A word nobody took just before the caller's name may be THIS IS misheard.
        if (e.id == QLatin1String("this-is") && h.identFrom > 0 && h.identFrom < h.u.size() &&
            h.u[h.identFrom - 1].type == U::Other)
            unsure = true;
    }
    if (!unsure || (e.ok && !facts.contains(e.id))) return;
    e.ok = false;
    e.unclear = true;
    e.verdict = QStringLiteral("%1 not heard clearly").arg(subject(e.id));
}

} // namespace voice::judging
