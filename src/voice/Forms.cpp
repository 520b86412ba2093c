// The checks of each procedure's form, element by element: what was said for it, and the verdict.
#include "voice/Heard.h"
#include "voice/Vocabulary.h"

namespace voice::judging {

namespace {


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
        if (x.value == mine || wrong.isEmpty()) h.cited.insert(QStringLiteral("mmsi"), {x.from, x.to});
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

} // namespace

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

} // namespace voice::judging
