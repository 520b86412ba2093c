#include "voice/Procedure.h"

#include "voice/Reading.h"
#include "voice/Vocabulary.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <functional>

namespace voice {

QString kindName(Kind k) {
    switch (k) {
    case Kind::Mayday: return QStringLiteral("mayday");
    case Kind::MaydayRelay: return QStringLiteral("mayday-relay");
    case Kind::PanPan: return QStringLiteral("pan-pan");
    case Kind::Securite: return QStringLiteral("securite");
    case Kind::Routine: return QStringLiteral("routine");
    case Kind::DistressAck: return QStringLiteral("distress-ack");
    case Kind::Cancel: return QStringLiteral("cancel");
    case Kind::None: break;
    }
    return QStringLiteral("none");
}

bool Judgement::ok() const {
    return kind != Kind::None && std::all_of(elements.begin(), elements.end(), [](const Element& e) { return e.ok; });
}

bool Judgement::unclear() const {
    return std::any_of(elements.begin(), elements.end(), [](const Element& e) { return e.unclear; });
}

QStringList Judgement::unclearIds() const {
    QStringList ids;
    for (const Element& e : elements)
        if (e.unclear) ids << e.id;
    return ids;
}

QString markOf(const Element& e) {
    return e.ok ? QStringLiteral("ok") : e.unclear ? QStringLiteral("unclear") : QStringLiteral("wrong");
}

Hearing Hearing::certain(const QString& words) {
    Hearing h;
    h.words = words.simplified().toLower();
    for (const QString& w : h.words.split(QLatin1Char(' '), Qt::SkipEmptyParts)) h.detail.append({w, 1.0, 0, 0});
    return h;
}

const Element* Judgement::element(const QString& id) const {
    for (const Element& e : elements)
        if (e.id == id) return &e;
    return nullptr;
}

QList<Station> stationsFromDirectory(const QStringList& lines) {
    static const QRegularExpression line(QStringLiteral("^\\s*(\\S.*?)\\s+(\\d{9})\\s*$"));
    QList<Station> out;
    for (const QString& l : lines) {
        const auto m = line.match(l);
        if (m.hasMatch()) out.append({m.captured(1), m.captured(2)});
    }
    return out;
}

namespace {

using reading::U;
using reading::Unit;
using reading::isIdentity;

QString times(int n) {
    switch (n) {
    case 0: return QStringLiteral("not at all");
    case 1: return QStringLiteral("once");
    case 2: return QStringLiteral("twice");
    case 3: return QStringLiteral("three times");
    default: return QStringLiteral("%1 times").arg(n);
    }
}
// A word heard with less confidence than this is not taken as said: what rests on it is unclear.
constexpr double kSure = 0.5;

// Words that carry no description of their own.
bool isGlue(const QString& w) {
    static const QSet<QString> glue{"we", "are", "is", "a", "an", "the", "and", "in", "of", "on", "i", "my", "our",
                                    "have", "has", "had", "been", "am", "there", "it", "to", "with", "at", "for",
                                    "uh", "um", "so", "now", "very", "was", "be", "were", "but", "or", "from", "by"};
    return glue.contains(w);
}

// Words that ask for something: what follows them is the assistance wanted.
bool asks(const QString& w) {
    static const QSet<QString> verbs{"request", "requesting", "requests", "require", "requiring", "required", "need",
                                     "needs", "needing", "want", "send", "please"};
    return verbs.contains(w);
}

// One transmission read and cut into its parts: the opening words, who is called, THIS IS, who
// calls, and the message.
struct Heard {
    const Speaker& speaker;
    QList<Station> stations;  // 0: the own, then the known ones
    QList<Unit> u;
    qsizetype start = 0;          // the first unit that is not a stray word
    qsizetype opening = 0;        // how many units of the opening word
    qsizetype thisIs = -1;        // where THIS IS is
    qsizetype identFrom = 0, identTo = 0;  // the calling station's name, MMSI, call sign
    std::vector<double> conf;     // each word's confidence
    std::vector<int> startMs, endMs;  // and when it was said; all 0 when not known
    // The words behind each element's verdict, by element; none where the element was not found.
    mutable QHash<QString, std::pair<qsizetype, qsizetype>> cited;

    void cite(const QString& id, qsizetype fromUnit, qsizetype toUnit) const {
        if (fromUnit < 0 || toUnit <= fromUnit) return;
        const std::pair<qsizetype, qsizetype> words{u[fromUnit].from, u[toUnit - 1].to};
        const auto it = cited.find(id);
        if (it == cited.end()) cited.insert(id, words);
        else *it = {std::min(it->first, words.first), std::max(it->second, words.second)};
    }
    void cite(const QString& id, const Unit* x) const {
        if (x) cite(id, x - u.data(), x - u.data() + 1);
    }
    // The least confidence of the words [from, to); 1 where there are none.
    double least(qsizetype from, qsizetype to) const {
        double c = 1.0;
        for (qsizetype i = std::max<qsizetype>(0, from); i < std::min<qsizetype>(to, qsizetype(conf.size())); ++i)
            c = std::min(c, conf[size_t(i)]);
        return c;
    }
    // The first word of unit i (the end of the words past the last unit).
    qsizetype wordOf(qsizetype i) const { return i < u.size() ? u[i].from : qsizetype(conf.size()); }
    // Where the message is: after the caller's identity, up to OVER or OUT at the end.
    qsizetype messageFrom() const { return std::max(identTo, afterOpening()); }
    qsizetype messageTo() const {
        qsizetype end = u.size();
        while (end > messageFrom() && (u[end - 1].type == U::Over || u[end - 1].type == U::Out)) --end;
        return end;
    }
    // Descriptions in the message in the speaker's own words: runs of words no other part of the
    // form took, heard with confidence, each cut where it starts asking for something. `asking`:
    // the runs that ask (the assistance wanted), else those that do not (the nature, the urgency,
    // the hazard).
    QList<std::pair<qsizetype, qsizetype>> descriptions(bool asking) const {
        QList<std::pair<qsizetype, qsizetype>> out;
        // What follows the persons on board is other facts ("all wearing life jackets").
        qsizetype to = messageTo();
        for (qsizetype i = messageFrom(); !asking && i < to; ++i)
            if (u[i].type == U::Persons) to = i;
        for (qsizetype i = messageFrom(); i < to;) {
            if (u[i].type != U::Other) { ++i; continue; }
            qsizetype end = i + 1;
            const bool ask = asks(u[i].text);
            while (end < to && u[end].type == U::Other && (ask || !asks(u[end].text))) ++end;
            int content = 0;
            for (qsizetype k = i; k < end; ++k)
                content += !isGlue(u[k].text) && !asks(u[k].text) && least(u[k].from, u[k].to) >= kSure;
            if (content > 0 && ask == asking) out.append({i, end});
            i = end;
        }
        return out;
    }
    QString text(qsizetype fromUnit, qsizetype toUnit) const {
        QStringList t;
        for (qsizetype i = fromUnit; i < toUnit; ++i) t << u[i].text;
        return t.join(QLatin1Char(' '));
    }

    qsizetype count(U type, qsizetype from = 0, qsizetype to = -1) const {
        to = to < 0 ? u.size() : to;
        qsizetype n = 0;
        for (qsizetype i = from; i < to; ++i) n += u[i].type == type;
        return n;
    }
    qsizetype find(U type, qsizetype from = 0) const {
        for (qsizetype i = from; i < u.size(); ++i)
            if (u[i].type == type) return i;
        return -1;
    }
    qsizetype run(U type, qsizetype from) const {
        qsizetype i = from;
        while (i < u.size() && u[i].type == type) ++i;
        return i - from;
    }
    const Unit* first(U type, qsizetype from = 0) const {
        const qsizetype i = find(type, from);
        return i < 0 ? nullptr : &u[i];
    }
    // Where the called station is said: after the opening words, up to THIS IS or the caller.
    qsizetype calledTo() const { return thisIs >= 0 ? thisIs : identFrom; }
    qsizetype afterOpening() const { return start + opening; }
    const Unit* last() const {
        for (qsizetype i = u.size() - 1; i >= 0; --i)
            if (u[i].type != U::Other) return &u[i];
        return nullptr;
    }
};
// ---- the elements, each a check of one part of the form ----

using Check = std::function<Element(const Heard&)>;

// The opening words said three times (or once, where `onceToo`); PAN PAN is counted in pairs.
Check openingCount(const char* id, const char* words, int perWord, bool onceToo) {
    return [=](const Heard& h) {
        const QString phrase = QString::fromLatin1(words);
        const int said = int(h.opening);
        const int n = (said + perWord - 1) / perWord;
        h.cite(QString::fromLatin1(id), h.start, h.afterOpening());
        Element e{QString::fromLatin1(id), said % perWord == 0 && (n == 3 || (onceToo && n == 1)), {}, QString::number(n)};
        if (said % perWord)
            e.verdict = QStringLiteral("%1 said %2, %3 three times expected").arg(phrase.section(QLatin1Char(' '), 0, 0), times(said), phrase);
        else if (e.ok)
            e.verdict = QStringLiteral("%1 said %2").arg(phrase, times(n));
        else
            e.verdict = QStringLiteral("%1 said %2, three times expected").arg(phrase, times(n));
        return e;
    };
}

Element thisIs(const Heard& h) {
    const bool said = h.thisIs >= 0;
    if (said) h.cite(QStringLiteral("this-is"), h.thisIs, h.thisIs + 1);
    return {QStringLiteral("this-is"), said, said ? QStringLiteral("THIS IS said") : QStringLiteral("THIS IS not said"),
            said ? QStringLiteral("this is") : QString()};
}

Element ownName(const Heard& h) {
    int own = 0;
    QString other;
    for (qsizetype i = h.identFrom; i < h.identTo; ++i) {
        if (h.u[i].type != U::Station) continue;
        if (h.u[i].station == 0) ++own;
        else if (other.isEmpty()) other = h.u[i].text;
    }
    if (own || !other.isEmpty()) h.cite(QStringLiteral("own-name"), h.identFrom, h.identTo);
    Element e{QStringLiteral("own-name"), own >= 1 && own <= 3, {}, own ? nameWords(h.speaker.own.name) : other};
    if (own == 0)
        e.verdict = other.isEmpty() ? QStringLiteral("own name not said")
                                    : QStringLiteral("own name not said: heard \"%1\" instead").arg(other);
    else if (own > 3)
        e.verdict = QStringLiteral("own name said %1, at most three times expected").arg(times(own));
    else
        e.verdict = QStringLiteral("own name said %1").arg(times(own));
    return e;
}

Element ownMmsi(const Heard& h) {
    const QString& mine = h.speaker.own.mmsi;
    QString wrong;
    for (const Unit& x : h.u) {
        if (x.type != U::Mmsi) continue;
        if (x.value == mine || wrong.isEmpty()) h.cited.remove(QStringLiteral("mmsi")), h.cite(QStringLiteral("mmsi"), &x);
        if (x.value == mine) return {QStringLiteral("mmsi"), true, QStringLiteral("MMSI %1 said").arg(mine), mine};
        if (wrong.isEmpty()) wrong = x.value;
    }
    if (!wrong.isEmpty())
        return {QStringLiteral("mmsi"), false, QStringLiteral("MMSI heard as %1, the own MMSI is %2").arg(wrong, mine), wrong};
    return {QStringLiteral("mmsi"), false, QStringLiteral("MMSI not said"), {}};
}

// In the three-MAYDAY form the message begins again with MAYDAY and the name.
Element messageStart(const Heard& h) {
    const qsizetype m = h.find(U::Mayday, std::max(h.identTo, h.afterOpening()));
    const bool named = m >= 0 && m + 1 < h.u.size() && h.u[m + 1].type == U::Station && h.u[m + 1].station == 0;
    if (m >= 0) h.cite(QStringLiteral("message-start"), m, std::min(m + 2, h.u.size()));
    Element e{QStringLiteral("message-start"), named, {}, named ? QStringLiteral("mayday ") + h.u[m + 1].text : QString()};
    if (named) e.verdict = QStringLiteral("the message begins with MAYDAY and the name");
    else if (m >= 0) e.verdict = QStringLiteral("MAYDAY before the message, but not the name");
    else e.verdict = QStringLiteral("the message does not begin with MAYDAY and the name");
    return e;
}

Element position(const Heard& h) {
    const Unit* p = h.first(U::Position, h.afterOpening());
    h.cite(QStringLiteral("position"), p);
    if (!p) return {QStringLiteral("position"), false, QStringLiteral("no position given"), {}};
    if (!p->complete)
        return {QStringLiteral("position"), false, QStringLiteral("position incomplete or impossible: %1").arg(p->value), p->value};
    return {QStringLiteral("position"), true, QStringLiteral("position given: %1").arg(p->value), p->value};
}

Check nature(const char* what, std::initializer_list<U> types) {
    const std::vector<U> kinds(types);
    return [what, kinds](const Heard& h) {
        const QString id = QStringLiteral("nature");
        for (qsizetype i = h.afterOpening(); i < h.u.size(); ++i)
            if (std::find(kinds.begin(), kinds.end(), h.u[i].type) != kinds.end()) {
                h.cite(id, i, i + 1);
                return Element{id, true, QStringLiteral("%1: %2").arg(QString::fromLatin1(what), h.u[i].value), h.u[i].value};
            }
        // Or said in the speaker's own words.
        for (const auto& [from, to] : h.descriptions(false)) {
            h.cite(id, from, to);
            return Element{id, true, QStringLiteral("%1: %2").arg(QString::fromLatin1(what), h.text(from, to)), h.text(from, to)};
        }
        return Element{QStringLiteral("nature"), false, QStringLiteral("%1 not given").arg(QString::fromLatin1(what)), {}};
    };
}

Element assistance(const Heard& h) {
    const QString id = QStringLiteral("assistance");
    if (const Unit* a = h.first(U::Assistance, h.afterOpening())) {
        h.cite(id, a);
        return {id, true, QStringLiteral("assistance wanted: %1").arg(a->value), a->value};
    }
    for (const auto& [from, to] : h.descriptions(true)) {
        h.cite(id, from, to);
        return {id, true, QStringLiteral("assistance wanted: %1").arg(h.text(from, to)), h.text(from, to)};
    }
    return {QStringLiteral("assistance"), false, QStringLiteral("the assistance wanted not said"), {}};
}

Element persons(const Heard& h) {
    const Unit* p = h.first(U::Persons, h.afterOpening());
    h.cite(QStringLiteral("persons"), p);
    if (p)
        return {QStringLiteral("persons"), true, QStringLiteral("%1 persons on board").arg(p->value.toInt()),
                QString::number(p->value.toInt())};
    return {QStringLiteral("persons"), false, QStringLiteral("persons on board not given"), {}};
}

Check ending(U expected, bool eitherEnds) {
    return [=](const Heard& h) {
        const Unit* l = h.last();
        const bool end = l && (l->type == U::Over || l->type == U::Out);
        if (end) h.cite(QStringLiteral("ending"), l);
        const QString said = end ? l->text.toUpper() : QString();
        const QString want = expected == U::Over ? QStringLiteral("OVER") : QStringLiteral("OUT");
        Element e{QStringLiteral("ending"), end && (eitherEnds || l->type == expected), {}, said.toLower()};
        if (e.ok) e.verdict = QStringLiteral("ends with %1").arg(said);
        else if (end) e.verdict = QStringLiteral("ends with %1, %2 expected").arg(said, want);
        else e.verdict = eitherEnds ? QStringLiteral("no OVER or OUT at the end") : QStringLiteral("no %1 at the end").arg(want);
        return e;
    };
}

// Who is called: ALL STATIONS three times, or (where `stationToo`) a station by name or MMSI.
Check addressee(bool stationToo) {
    return [=](const Heard& h) {
        const qsizetype from = h.afterOpening(), to = h.calledTo();
        const int all = int(h.count(U::AllStations, from, to));
        h.cite(QStringLiteral("called"), from, to);
        Element e{QStringLiteral("called"), all == 3, {}, all ? QStringLiteral("all stations") : QString()};
        if (all) {
            e.verdict = all == 3 ? QStringLiteral("ALL STATIONS said three times")
                                 : QStringLiteral("ALL STATIONS said %1, three times expected").arg(times(all));
            return e;
        }
        for (qsizetype i = from; stationToo && i < to; ++i)
            if (isIdentity(h.u[i]) && h.u[i].station != 0) {
                e = {QStringLiteral("called"), true, QStringLiteral("calls %1").arg(h.u[i].text), h.u[i].text};
                return e;
            }
        e.verdict = stationToo ? QStringLiteral("no station called: ALL STATIONS or a station expected")
                               : QStringLiteral("ALL STATIONS not said");
        return e;
    };
}

// The station called by name or MMSI, up to three times, before THIS IS: `named` says whom
// ("calls %1"), `missing` that nobody was.
Check stationCalled(const char* named, const char* missing) {
    return [=](const Heard& h) {
        int n = 0;
        QString name;
        bool own = false;
        for (qsizetype i = h.afterOpening(); i < h.calledTo(); ++i) {
            if (!isIdentity(h.u[i])) continue;
            if (h.u[i].station == 0 || h.u[i].value == h.speaker.own.mmsi) { own = true; continue; }
            if (name.isEmpty()) name = h.u[i].text;
            ++n;
        }
        const QString who = QString::fromLatin1(named);
        h.cite(QStringLiteral("called"), h.afterOpening(), h.calledTo());
        if (h.count(U::AllStations, h.afterOpening(), h.calledTo()) && name.isEmpty())
            return Element{QStringLiteral("called"), true, who.arg(QStringLiteral("all stations")), QStringLiteral("all stations")};
        if (n == 0)
            return Element{QStringLiteral("called"), false,
                           QString::fromLatin1(missing) + (own ? QStringLiteral(": the own name said instead") : QString()), {}};
        if (n > 3)
            return Element{QStringLiteral("called"), false,
                           who.arg(name) + QStringLiteral(" %1, at most three times expected").arg(times(n)), name};
        return Element{QStringLiteral("called"), true, who.arg(name), name};
    };
}

Check said(const char* id, U type, const char* words) {
    return [=](const Heard& h) {
        const bool yes = h.find(type) >= 0;
        if (yes) h.cite(QString::fromLatin1(id), h.find(type), h.find(type) + 1);
        return Element{QString::fromLatin1(id), yes,
                       QStringLiteral("%1 %2").arg(QString::fromLatin1(words), yes ? QStringLiteral("said") : QStringLiteral("not said")),
                       yes ? QString::fromLatin1(words).toLower() : QString()};
    };
}

Element distressed(const Heard& h) {
    // After FOLLOWING RECEIVED FROM, or after the MAYDAY that begins the relayed message.
    for (U after : {U::Following, U::Mayday}) {
        const qsizetype at = h.find(after, h.identTo);
        for (qsizetype i = at + 1; at >= 0 && i < h.u.size() && isIdentity(h.u[i]); ++i)
            if (h.u[i].station != 0 && (h.cite(QStringLiteral("distressed"), i, i + 1), true))
                return {QStringLiteral("distressed"), true, QStringLiteral("the station in distress: %1").arg(h.u[i].text),
                        h.u[i].text};
    }
    return {QStringLiteral("distressed"), false, QStringLiteral("the station in distress not named"), {}};
}

Element safetyMessage(const Heard& h) {
    const QString id = QStringLiteral("message");
    for (qsizetype i = h.identTo; i < h.u.size(); ++i) {
        const U t = h.u[i].type;
        if (t == U::Hazard || t == U::Channel || t == U::Nature || t == U::Urgency) h.cite(id, i, i + 1);
        if (t == U::Hazard || t == U::Nature || t == U::Urgency)
            return {id, true, QStringLiteral("message: %1").arg(h.u[i].value), h.u[i].value};
        if (t == U::Channel)
            return {QStringLiteral("message"), true, QStringLiteral("listen on channel %1").arg(h.u[i].value.toInt()),
                    QStringLiteral("channel %1").arg(h.u[i].value.toInt())};
    }
    // Or the hazard in the speaker's own words.
    for (const auto& [from, to] : h.descriptions(false)) {
        h.cite(id, from, to);
        return {id, true, QStringLiteral("message: %1").arg(h.text(from, to)), h.text(from, to)};
    }
    return {id, false, QStringLiteral("no safety message or working channel given"), {}};
}

Element cancelWords(const Heard& h) {
    const bool full = h.find(U::Cancel) >= 0;
    h.cite(QStringLiteral("cancel"), h.first(full ? U::Cancel : U::CancelWord));
    return {QStringLiteral("cancel"), full,
            full ? QStringLiteral("CANCEL MY DISTRESS ALERT said") : QStringLiteral("CANCEL MY DISTRESS ALERT not said in full"),
            full ? QStringLiteral("cancel my distress alert") : QStringLiteral("cancel")};
}

Element alertTime(const Heard& h) {
    const Unit* t = h.first(U::Time);
    h.cite(QStringLiteral("time"), t);
    if (t)
        return {QStringLiteral("time"), true, QStringLiteral("time of the alert: %1 UTC").arg(t->value), t->value};
    return {QStringLiteral("time"), false, QStringLiteral("time of the alert not given"), {}};
}

// Each procedure's form, element by element.
const QHash<Kind, std::vector<Check>>& forms() {
    static const QHash<Kind, std::vector<Check>> f{
        {Kind::Mayday,
         {openingCount("mayday-count", "MAYDAY", 1, true), thisIs, ownName, ownMmsi, messageStart, position,
          nature("nature of distress", {U::Nature, U::Urgency, U::Hazard}), assistance, persons, ending(U::Over, false)}},
        {Kind::DistressAck,
         {stationCalled("names the station in distress: %1", "the station in distress not named"), thisIs, ownName, said("received", U::ReceivedMayday, "RECEIVED MAYDAY")}},
        {Kind::MaydayRelay,
         {openingCount("relay-count", "MAYDAY RELAY", 1, false), addressee(true), thisIs, ownName,
          said("following", U::Following, "FOLLOWING RECEIVED FROM"), distressed, position,
          nature("nature of distress", {U::Nature, U::Urgency, U::Hazard}), ending(U::Over, false)}},
        {Kind::PanPan,
         {openingCount("pan-count", "PAN PAN", 2, false), addressee(true), thisIs, ownName, position,
          nature("the urgency", {U::Urgency, U::Nature, U::Assistance}), ending(U::Over, false)}},
        {Kind::Securite,
         {openingCount("securite-count", "SECURITE", 1, false), addressee(false), thisIs, ownName, safetyMessage,
          ending(U::Out, false)}},
        {Kind::Routine, {stationCalled("calls %1", "no station called"), thisIs, ownName, ending(U::Over, true)}},
        {Kind::Cancel,
         {addressee(false), thisIs, ownName, ownMmsi, position, cancelWords, alertTime, ending(U::Out, false)}},
    };
    return f;
}

// The words a procedure is recognised by, heard with confidence: the procedure words, THIS IS,
// stations, positions, OVER and OUT.
int anchors(const Heard& h) {
    static const QSet<U> anchor{U::Mayday, U::MaydayRelay, U::Pan, U::Securite, U::Seelonce, U::AllStations, U::ThisIs,
                                U::Station, U::Mmsi, U::Position, U::ReceivedMayday, U::Following, U::Cancel,
                                U::CancelWord, U::RadioCheck, U::Over, U::Out};
    int n = 0;
    for (const Unit& x : h.u) n += anchor.contains(x.type) && h.least(x.from, x.to) >= kSure;
    return n;
}

// Which procedure the words are, from the words that open it. Talk that opens with more than a
// few other words, or holds fewer than two of the words procedures are recognised by, is none.
Kind kindOf(const Heard& h) {
    if (h.start >= h.u.size() || h.start > 3 || anchors(h) < 2) return Kind::None;
    const U opening = h.u[h.start].type;
    if (h.find(U::MaydayRelay) >= 0) return Kind::MaydayRelay;
    if (opening == U::Mayday) {
        // A MAYDAY followed by another station's identity, or RECEIVED MAYDAY, acknowledges.
        if (h.find(U::ReceivedMayday) >= 0) return Kind::DistressAck;
        const qsizetype next = h.start + h.opening;
        if (next < h.u.size() && isIdentity(h.u[next]) && h.u[next].station != 0 && h.u[next].value != h.speaker.own.mmsi)
            return Kind::DistressAck;
        return Kind::Mayday;
    }
    if (opening == U::Pan) return Kind::PanPan;
    if (opening == U::Securite) return Kind::Securite;
    if (opening == U::Seelonce) return Kind::None;
    if (h.find(U::Cancel) >= 0 || h.find(U::CancelWord) >= 0) return Kind::Cancel;
    // A routine call names a station.
    if (h.find(U::Station) < 0 && h.find(U::Mmsi) < 0) return Kind::None;
    if (h.thisIs >= 0 || h.find(U::RadioCheck) >= 0) return Kind::Routine;
    const Unit* l = h.last();
    if (isIdentity(h.u[h.start]) && l && (l->type == U::Over || l->type == U::Out)) return Kind::Routine;
    return Kind::None;
}

} // namespace

QStringList formOf(Kind kind) {
    // Each check names its element whatever it hears: nothing heard will do.
    const Speaker nobody;
    const Heard h{nobody, {}, {}};
    QStringList ids;
    for (const Check& c : forms().value(kind)) ids << c(h).id;
    return ids;
}

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

} // namespace

Judgement judge(const QString& words, const Speaker& speaker) { return judge(Hearing::certain(words), speaker); }

Judgement judge(const Hearing& hearing, const Speaker& speaker) {
    Heard h{speaker, {}, {}};
    h.stations << speaker.own << speaker.known;
    const QStringList w = hearing.words.simplified().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    h.conf.assign(size_t(w.size()), 1.0);
    h.startMs.assign(size_t(w.size()), 0);
    h.endMs.assign(size_t(w.size()), 0);
    if (hearing.detail.size() == w.size())
        for (qsizetype i = 0; i < w.size(); ++i) {
            h.conf[size_t(i)] = hearing.detail[i].confidence;
            h.startMs[size_t(i)] = hearing.detail[i].startMs;
            h.endMs[size_t(i)] = hearing.detail[i].endMs;
            // No word takes seconds to say: one that did was made of noise.
            if (h.endMs[size_t(i)] - h.startMs[size_t(i)] > 1500) h.conf[size_t(i)] = 0;
        }
    h.u = reading::read(w, h.stations);
    // A known station's MMSI is that station.
    for (Unit& x : h.u)
        if (x.type == U::Mmsi)
            for (qsizetype s = 0; s < h.stations.size(); ++s)
                if (h.stations[s].mmsi == x.value) x.station = int(s);
    while (h.start < h.u.size() && h.u[h.start].type == U::Other) ++h.start;
    if (h.start < h.u.size()) {
        const U opening = h.u[h.start].type;
        if (opening == U::Mayday || opening == U::MaydayRelay || opening == U::Pan || opening == U::Securite)
            h.opening = h.run(opening, h.start);
    }
    h.thisIs = h.find(U::ThisIs);
    if (h.thisIs >= 0) {
        h.identFrom = h.thisIs + 1;
    } else {
        // No THIS IS: the caller's identity is where the own station is first named.
        h.identFrom = h.afterOpening();
        for (qsizetype i = h.afterOpening(); i < h.u.size(); ++i)
            if (isIdentity(h.u[i]) && (h.u[i].station == 0)) { h.identFrom = i; break; }
    }
    h.identTo = h.identFrom;
    while (h.identTo < h.u.size() && isIdentity(h.u[h.identTo])) ++h.identTo;

    Judgement j;
    j.kind = kindOf(h);
    if (j.kind == Kind::Mayday && h.opening == 1) {
        // The single-MAYDAY form has no second MAYDAY before the message.
        for (const Check& c : forms().value(j.kind)) {
            Element e = c(h);
            if (e.id != QLatin1String("message-start")) j.elements << e;
        }
    } else {
        for (const Check& c : forms().value(j.kind)) j.elements << c(h);
    }
    for (Element& e : j.elements) weigh(e, h);
    j.heard = hearing.detail.size() == w.size() ? hearing.detail : Hearing::certain(hearing.words).detail;
    if (const Element* called = j.element(QStringLiteral("called")); called && !called->heard.isEmpty()) {
        j.called = called->heard;
        for (qsizetype i = 0; i < h.u.size(); ++i)
            if (h.u[i].text == j.called && h.u[i].station >= 0) { j.calledMmsi = h.stations[h.u[i].station].mmsi; break; }
    }
    j.radioCheck = j.kind == Kind::Routine && h.find(U::RadioCheck) >= 0;
    if (const Unit* c = h.first(U::Channel)) j.channelAsked = c->value.toInt();
    return j;
}

} // namespace voice
