#include "voice/Procedure.h"

#include "voice/Vocabulary.h"

#include <QRegularExpression>

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

// What the words of a transmission are, piece by piece.
enum class U {
    Other, Mayday, MaydayRelay, Pan, Securite, Seelonce, Feenee, AllStations, ThisIs, Station, Mmsi, MmsiWord,
    Number, Letter, CallSign, CallSignWord, Position, Nature, Urgency, Assistance, Persons, Hazard, ChannelWord,
    Channel, RadioCheck, Following, ReceivedMayday, Cancel, CancelWord, Time, Over, Out, Talk
};

struct Unit {
    U type = U::Other;
    QString text;      // the words as heard
    QString value;     // what they mean: digits, "fire", a position, a station's name
    int station = -1;  // a station's index: 0 the own, then the known ones
    bool complete = true;
};

struct Pattern {
    QStringList words;
    U type;
    QString value;
};

// Every fixed phrase the checker knows, longest first.
const std::vector<Pattern>& patterns() {
    static const std::vector<Pattern> all = [] {
        std::vector<Pattern> p;
        auto add = [&p](const QString& words, U type, const QString& value = {}) {
            p.push_back({words.split(QLatin1Char(' ')), type, value.isEmpty() ? words : value});
        };
        const std::vector<std::pair<const char*, U>> fixed{
            {"mayday relay", U::MaydayRelay}, {"mayday", U::Mayday}, {"pan", U::Pan}, {"securite", U::Securite},
            {"seelonce", U::Seelonce}, {"feenee", U::Feenee}, {"all stations", U::AllStations},
            {"all ships", U::AllStations}, {"this is", U::ThisIs}, {"received mayday", U::ReceivedMayday},
            {"following received from", U::Following}, {"cancel my distress alert", U::Cancel},
            {"cancel distress alert", U::CancelWord}, {"cancel my alert", U::CancelWord}, {"cancel", U::CancelWord},
            {"radio check", U::RadioCheck}, {"over", U::Over}, {"out", U::Out}, {"mmsi", U::MmsiWord},
            {"call sign", U::CallSignWord}, {"listen on channel", U::ChannelWord}, {"listen to channel", U::ChannelWord},
            {"switch to channel", U::ChannelWord}, {"go to channel", U::ChannelWord}, {"on channel", U::ChannelWord},
            {"channel", U::ChannelWord},
        };
        for (const auto& [words, type] : fixed) add(QString::fromLatin1(words), type);
        for (const Phrase& ph : naturePhrases()) add(QString::fromLatin1(ph.words), U::Nature, QString::fromLatin1(ph.meaning));
        for (const Phrase& ph : urgencyPhrases()) add(QString::fromLatin1(ph.words), U::Urgency, QString::fromLatin1(ph.meaning));
        for (const Phrase& ph : hazardPhrases()) add(QString::fromLatin1(ph.words), U::Hazard, QString::fromLatin1(ph.meaning));
        for (const Phrase& ph : routinePhrases()) add(QString::fromLatin1(ph.words), U::Talk, QString::fromLatin1(ph.meaning));
        for (const char* verb : {"", "request ", "requesting ", "require ", "need "})
            for (const char* urgent : {"", "immediate "})
                for (const Phrase& ph : assistancePhrases())
                    add(QString::fromLatin1(verb) + QString::fromLatin1(urgent) + QString::fromLatin1(ph.words),
                        U::Assistance, QString::fromLatin1(urgent) + QString::fromLatin1(ph.meaning));
        for (const QString& letter : phoneticAlphabet()) add(letter, U::Letter, letter.left(1).toUpper());
        std::stable_sort(p.begin(), p.end(), [](const Pattern& a, const Pattern& b) { return a.words.size() > b.words.size(); });
        return p;
    }();
    return all;
}

bool matchesAt(const QStringList& words, qsizetype at, const QStringList& phrase) {
    if (at + phrase.size() > words.size()) return false;
    for (qsizetype k = 0; k < phrase.size(); ++k)
        if (words[at + k] != phrase[k]) return false;
    return true;
}

struct Digits {
    QString digits;
    QString fraction;  // after "decimal" or "point"
    qsizetype end = 0;
};

// A run of digit words from `at`, with tenths after "decimal"/"point"; digits empty if none.
Digits readDigits(const QStringList& w, qsizetype at, qsizetype limit = -1) {
    Digits d;
    qsizetype i = at;
    const qsizetype stop = limit < 0 ? w.size() : std::min(limit, w.size());
    while (i < stop && digitValue(w[i]) >= 0) d.digits += QChar('0' + digitValue(w[i++]));
    if (!d.digits.isEmpty() && i + 1 < stop && (w[i] == QLatin1String("decimal") || w[i] == QLatin1String("point")) &&
        digitValue(w[i + 1]) >= 0) {
        ++i;
        while (i < stop && digitValue(w[i]) >= 0) d.fraction += QChar('0' + digitValue(w[i++]));
    }
    d.end = i;
    return d;
}

struct Half {
    int degrees = 0;
    double minutes = 0;
    QString minutesText;
    QChar side;  // N S E W
    qsizetype end = -1;
};

// "four two degrees one seven minutes north": one half of a position.
Half readHalf(const QStringList& w, qsizetype at) {
    Half h;
    const Digits deg = readDigits(w, at);
    qsizetype i = deg.end;
    if (deg.digits.isEmpty() || i >= w.size() || w[i] != QLatin1String("degrees")) return h;
    ++i;
    const Digits min = readDigits(w, i);
    if (!min.digits.isEmpty()) {
        if (min.end >= w.size() || w[min.end] != QLatin1String("minutes")) return h;
        h.minutesText = min.digits + (min.fraction.isEmpty() ? QString() : QLatin1Char('.') + min.fraction);
        h.minutes = h.minutesText.toDouble();
        i = min.end + 1;
    }
    if (i >= w.size()) return h;
    static const QHash<QString, QChar> sides{{"north", 'N'}, {"south", 'S'}, {"east", 'E'}, {"west", 'W'}};
    if (!sides.contains(w[i])) return h;
    h.side = sides.value(w[i]);
    h.degrees = deg.digits.toInt();
    h.end = i + 1;
    return h;
}

QString halfText(const Half& h, int width) {
    QString min = h.minutesText.isEmpty() ? QStringLiteral("00") : h.minutesText;
    if (min.indexOf(QLatin1Char('.')) == 1 || min.size() == 1) min.prepend(QLatin1Char('0'));
    return QStringLiteral("%1°%2'%3").arg(h.degrees, width, 10, QLatin1Char('0')).arg(min).arg(h.side);
}

bool isLatitude(const Half& h) { return h.side == QLatin1Char('N') || h.side == QLatin1Char('S'); }
bool halfValid(const Half& h) { return h.degrees <= (isLatitude(h) ? 90 : 180) && h.minutes < 60; }

// The words made into units: stations, fixed phrases, numbers and what the numbers are.
class Reader {
public:
    Reader(const QStringList& words, const QList<Station>& stations) : w_(words) {
        for (qsizetype s = 0; s < stations.size(); ++s)
            for (const QString& v : nameVariants(stations[s].name)) names_.push_back({v.split(QLatin1Char(' ')), int(s)});
        std::stable_sort(names_.begin(), names_.end(),
                         [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    }

    QList<Unit> read() {
        QList<Unit> out;
        for (qsizetype i = 0; i < w_.size();) i = next(i, out);
        return merge(out);
    }

private:
    qsizetype next(qsizetype i, QList<Unit>& out) {
        if (const qsizetype end = position(i, out); end > i) return end;
        if (digitValue(w_[i]) >= 0) return number(i, out);
        qsizetype best = 0;
        int station = -1;
        for (const auto& [words, index] : names_)
            if (words.size() > best && matchesAt(w_, i, words)) { best = words.size(); station = index; }
        const Pattern* pattern = nullptr;
        for (const Pattern& p : patterns())
            if (p.words.size() > best && matchesAt(w_, i, p.words)) { pattern = &p; break; }
        if (pattern) {
            out.append({pattern->type, pattern->words.join(QLatin1Char(' ')), pattern->value});
            return i + pattern->words.size();
        }
        if (station >= 0) {
            const QString text = w_.mid(i, best).join(QLatin1Char(' '));
            out.append({U::Station, text, text, station});
            return i + best;
        }
        out.append({U::Other, w_[i], w_[i]});
        return i + 1;
    }

    // A position as latitude and longitude, or distance and bearing from a known point, with or
    // without "my position is" before it; i when there is none at i.
    qsizetype position(qsizetype i, QList<Unit>& out) {
        qsizetype at = i;
        for (const char* lead : {"my position is", "position is", "my position", "in position", "position"})
            if (matchesAt(w_, at, QString::fromLatin1(lead).split(QLatin1Char(' ')))) {
                at += QString::fromLatin1(lead).count(QLatin1Char(' ')) + 1;
                break;
            }
        // A long run of digits before "degrees" carries something else before the two of the latitude.
        const Digits run = readDigits(w_, at);
        if (run.digits.size() > 3 && run.fraction.isEmpty() && run.end < w_.size() && w_[run.end] == QLatin1String("degrees")) {
            if (at > i) return i;
            return number(i, out, run.end - 2);
        }
        const Half first = readHalf(w_, at);
        if (first.end > 0) {
            Half second = readHalf(w_, first.end);
            if (second.end > 0 && isLatitude(first) == isLatitude(second)) second = Half{};
            Unit u{U::Position, w_.mid(i, (second.end > 0 ? second.end : first.end) - i).join(QLatin1Char(' '))};
            const Half& lat = isLatitude(first) ? first : second;
            const Half& lon = isLatitude(first) ? second : first;
            u.complete = lat.end > 0 && lon.end > 0;
            QStringList text;
            if (lat.end > 0) text << halfText(lat, 2);
            if (lon.end > 0) text << halfText(lon, 3);
            u.value = text.join(QLatin1Char(' '));
            if ((lat.end > 0 && !halfValid(lat)) || (lon.end > 0 && !halfValid(lon))) u.complete = false;
            out.append(u);
            return second.end > 0 ? second.end : first.end;
        }
        // "three miles south east of cape cod"
        const Digits miles = readDigits(w_, at);
        qsizetype k = miles.end;
        if (miles.digits.isEmpty()) return i;
        if (k < w_.size() && w_[k] == QLatin1String("nautical")) ++k;
        if (k >= w_.size() || w_[k] != QLatin1String("miles")) return i;
        ++k;
        QStringList compass;
        while (k < w_.size() && QStringList{"north", "south", "east", "west"}.contains(w_[k]) && compass.size() < 2)
            compass << w_[k++];
        if (compass.isEmpty() || k >= w_.size() || w_[k] != QLatin1String("of")) return i;
        ++k;
        QString place;
        qsizetype placeEnd = k;
        for (const Phrase& p : placePhrases()) {
            const QStringList pw = QString::fromLatin1(p.words).split(QLatin1Char(' '));
            if (matchesAt(w_, k, pw) && k + pw.size() > placeEnd) { placeEnd = k + pw.size(); place = QString::fromLatin1(p.meaning); }
        }
        for (const auto& [words, index] : names_)
            if (matchesAt(w_, k, words) && k + words.size() > placeEnd) { placeEnd = k + words.size(); place = words.join(QLatin1Char(' ')); }
        if (place.isEmpty()) return i;
        Unit u{U::Position, w_.mid(i, placeEnd - i).join(QLatin1Char(' '))};
        u.value = QStringLiteral("%1 nm %2 of %3").arg(miles.digits, compass.join(QLatin1Char(' ')), place);
        out.append(u);
        return placeEnd;
    }

    // Digits: persons on board, a time, an MMSI, or a plain number; `limit` ends the run early.
    qsizetype number(qsizetype i, QList<Unit>& out, qsizetype limit = -1) {
        const Digits d = readDigits(w_, i, limit);
        qsizetype k = d.end;
        Unit u{U::Number, w_.mid(i, k - i).join(QLatin1Char(' ')), d.digits};
        if (limit < 0 && k < w_.size()) {
            if (QStringList{"persons", "people", "crew", "souls"}.contains(w_[k])) {
                u.type = U::Persons;
                ++k;
                if (matchesAt(w_, k, {"on", "board"})) k += 2;
            } else if (w_[k] == QLatin1String("utc") || w_[k] == QLatin1String("hours")) {
                u.type = U::Time;
                ++k;
            }
            u.text = w_.mid(i, k - i).join(QLatin1Char(' '));
        }
        out.append(u);
        return k;
    }

    // Pieces that belong together: a channel and its number, MMSI and its digits, and so on.
    static QList<Unit> merge(const QList<Unit>& in) {
        QList<Unit> out;
        for (qsizetype i = 0; i < in.size(); ++i) {
            Unit u = in[i];
            const bool numberNext = i + 1 < in.size() && in[i + 1].type == U::Number;
            if (u.type == U::ChannelWord && numberNext) {
                u = {U::Channel, u.text + QLatin1Char(' ') + in[i + 1].text, in[i + 1].value};
                ++i;
            } else if (u.type == U::MmsiWord && numberNext) {
                u = {U::Mmsi, u.text + QLatin1Char(' ') + in[i + 1].text, in[i + 1].value};
                ++i;
            } else if (u.type == U::CallSignWord) {
                while (i + 1 < in.size() && (in[i + 1].type == U::Letter || in[i + 1].type == U::Number)) {
                    u.text += QLatin1Char(' ') + in[i + 1].text;
                    u.value += in[++i].value;
                }
                u.type = U::CallSign;
            } else if (u.type == U::Number && u.value.size() == 9) {
                u.type = U::Mmsi;
            } else if (u.type == U::Other && u.text == QLatin1String("of") && !out.isEmpty() &&
                       (out.last().type == U::Cancel || out.last().type == U::CancelWord) && numberNext) {
                u = {U::Time, u.text + QLatin1Char(' ') + in[i + 1].text, in[i + 1].value};
                ++i;
            }
            out.append(u);
        }
        return out;
    }

    const QStringList& w_;
    std::vector<std::pair<QStringList, int>> names_;
};

QString times(int n) {
    switch (n) {
    case 0: return QStringLiteral("not at all");
    case 1: return QStringLiteral("once");
    case 2: return QStringLiteral("twice");
    case 3: return QStringLiteral("three times");
    default: return QStringLiteral("%1 times").arg(n);
    }
}

bool isIdentity(const Unit& u) { return u.type == U::Station || u.type == U::Mmsi || u.type == U::CallSign; }

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
    Element e{QStringLiteral("message-start"), named, {}, named ? QStringLiteral("mayday ") + h.u[m + 1].text : QString()};
    if (named) e.verdict = QStringLiteral("the message begins with MAYDAY and the name");
    else if (m >= 0) e.verdict = QStringLiteral("MAYDAY before the message, but not the name");
    else e.verdict = QStringLiteral("the message does not begin with MAYDAY and the name");
    return e;
}

Element position(const Heard& h) {
    const Unit* p = h.first(U::Position, h.afterOpening());
    if (!p) return {QStringLiteral("position"), false, QStringLiteral("no position given"), {}};
    if (!p->complete)
        return {QStringLiteral("position"), false, QStringLiteral("position incomplete or impossible: %1").arg(p->value), p->value};
    return {QStringLiteral("position"), true, QStringLiteral("position given: %1").arg(p->value), p->value};
}

Check nature(const char* what, std::initializer_list<U> types) {
    const std::vector<U> kinds(types);
    return [what, kinds](const Heard& h) {
        for (qsizetype i = h.afterOpening(); i < h.u.size(); ++i)
            if (std::find(kinds.begin(), kinds.end(), h.u[i].type) != kinds.end())
                return Element{QStringLiteral("nature"), true, QStringLiteral("%1: %2").arg(QString::fromLatin1(what), h.u[i].value),
                               h.u[i].value};
        return Element{QStringLiteral("nature"), false, QStringLiteral("%1 not given").arg(QString::fromLatin1(what)), {}};
    };
}

Element assistance(const Heard& h) {
    if (const Unit* a = h.first(U::Assistance, h.afterOpening()))
        return {QStringLiteral("assistance"), true, QStringLiteral("assistance wanted: %1").arg(a->value), a->value};
    return {QStringLiteral("assistance"), false, QStringLiteral("the assistance wanted not said"), {}};
}

Element persons(const Heard& h) {
    if (const Unit* p = h.first(U::Persons, h.afterOpening()))
        return {QStringLiteral("persons"), true, QStringLiteral("%1 persons on board").arg(p->value.toInt()),
                QString::number(p->value.toInt())};
    return {QStringLiteral("persons"), false, QStringLiteral("persons on board not given"), {}};
}

Check ending(U expected, bool eitherEnds) {
    return [=](const Heard& h) {
        const Unit* l = h.last();
        const bool end = l && (l->type == U::Over || l->type == U::Out);
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
            if (h.u[i].station != 0)
                return {QStringLiteral("distressed"), true, QStringLiteral("the station in distress: %1").arg(h.u[i].text),
                        h.u[i].text};
    }
    return {QStringLiteral("distressed"), false, QStringLiteral("the station in distress not named"), {}};
}

Element safetyMessage(const Heard& h) {
    for (qsizetype i = h.identTo; i < h.u.size(); ++i) {
        if (h.u[i].type == U::Hazard)
            return {QStringLiteral("message"), true, QStringLiteral("message: %1").arg(h.u[i].value), h.u[i].value};
        if (h.u[i].type == U::Channel)
            return {QStringLiteral("message"), true, QStringLiteral("listen on channel %1").arg(h.u[i].value.toInt()),
                    QStringLiteral("channel %1").arg(h.u[i].value.toInt())};
    }
    return {QStringLiteral("message"), false, QStringLiteral("no safety message or working channel given"), {}};
}

Element cancelWords(const Heard& h) {
    const bool full = h.find(U::Cancel) >= 0;
    return {QStringLiteral("cancel"), full,
            full ? QStringLiteral("CANCEL MY DISTRESS ALERT said") : QStringLiteral("CANCEL MY DISTRESS ALERT not said in full"),
            full ? QStringLiteral("cancel my distress alert") : QStringLiteral("cancel")};
}

Element alertTime(const Heard& h) {
    if (const Unit* t = h.first(U::Time))
        return {QStringLiteral("time"), true, QStringLiteral("time of the alert: %1 UTC").arg(t->value), t->value};
    return {QStringLiteral("time"), false, QStringLiteral("time of the alert not given"), {}};
}

// Each procedure's form, element by element.
const QHash<Kind, std::vector<Check>>& forms() {
    static const QHash<Kind, std::vector<Check>> f{
        {Kind::Mayday,
         {openingCount("mayday-count", "MAYDAY", 1, true), thisIs, ownName, ownMmsi, messageStart, position,
          nature("nature of distress", {U::Nature}), assistance, persons, ending(U::Over, false)}},
        {Kind::DistressAck,
         {stationCalled("names the station in distress: %1", "the station in distress not named"), thisIs, ownName, said("received", U::ReceivedMayday, "RECEIVED MAYDAY")}},
        {Kind::MaydayRelay,
         {openingCount("relay-count", "MAYDAY RELAY", 1, false), addressee(true), thisIs, ownName,
          said("following", U::Following, "FOLLOWING RECEIVED FROM"), distressed, position,
          nature("nature of distress", {U::Nature}), ending(U::Over, false)}},
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

// Which procedure the words are, from the words that open it.
Kind kindOf(const Heard& h) {
    if (h.start >= h.u.size()) return Kind::None;
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

Judgement judge(const Hearing& hearing, const Speaker& speaker) {
    Judgement j = judge(hearing.words, speaker);
    j.heard = hearing.detail;
    return j;
}

Judgement judge(const QString& words, const Speaker& speaker) {
    Heard h{speaker, {}, {}};
    h.stations << speaker.own << speaker.known;
    const QStringList w = words.simplified().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    h.u = Reader(w, h.stations).read();
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
