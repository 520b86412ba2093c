#pragma once
// One transmission as the procedure checker reads it: its units (voice/Reading.h) cut into the
// opening words, who is called, THIS IS, who calls and the message, with each word's confidence
// and time; and what the checks of the forms and the weighing of confidence share. Internal to
// the checker.
#include "voice/Procedure.h"
#include "voice/Reading.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace voice::judging {

using reading::U;
using reading::Unit;
using reading::isIdentity;

inline QString times(int n) {
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
inline bool isGlue(const QString& w) {
    static const QSet<QString> glue{"we", "are", "is", "a", "an", "the", "and", "in", "of", "on", "i", "my", "our",
                                    "have", "has", "had", "been", "am", "there", "it", "to", "with", "at", "for",
                                    "uh", "um", "so", "now", "very", "was", "be", "were", "but", "or", "from", "by"};
    return glue.contains(w);
}

// Words that ask for something: what follows them is the assistance wanted.
inline bool asks(const QString& w) {
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

// ---- the forms ----

// One element of a form, checked on what was heard (voice/Forms.cpp).
using Check = std::function<Element(const Heard&)>;
// Each procedure's form, element by element.
const QHash<Kind, std::vector<Check>>& forms();

// An element judged on the words: made unclear where they were not heard with confidence
// (voice/Confidence.cpp).
void weigh(Element& e, const Heard& h);

} // namespace voice::judging
