// What the radio understands, word by word and phrase by phrase, and the grammar made of it.
// The words' pronunciations are in Pronunciations.cpp.
#include "voice/Vocabulary.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace voice {

const std::vector<Phrase>& naturePhrases() {
    static const std::vector<Phrase> p{
        {"fire", "fire"},
        {"on fire", "fire"},
        {"explosion", "explosion"},
        {"flooding", "flooding"},
        {"taking water", "flooding"},
        {"taking on water", "flooding"},
        {"collision", "collision"},
        {"aground", "grounding"},
        {"run aground", "grounding"},
        {"grounding", "grounding"},
        {"grounded", "grounding"},
        {"listing", "listing"},
        {"capsizing", "capsizing"},
        {"sinking", "sinking"},
        {"disabled and adrift", "disabled and adrift"},
        {"disabled", "disabled and adrift"},
        {"adrift", "disabled and adrift"},
        {"abandoning ship", "abandoning ship"},
        {"abandoning", "abandoning ship"},
        {"piracy", "piracy"},
        {"armed attack", "piracy"},
        {"man overboard", "man overboard"},
        {"person overboard", "man overboard"},
    };
    return p;
}

const std::vector<Phrase>& urgencyPhrases() {
    static const std::vector<Phrase> p{
        {"engine failure", "engine failure"},
        {"engine breakdown", "engine failure"},
        {"steering failure", "steering failure"},
        {"lost steering", "steering failure"},
        {"out of fuel", "out of fuel"},
        {"dismasted", "dismasted"},
        {"fouled propeller", "fouled propeller"},
        {"medical emergency", "medical emergency"},
        {"injured crew member", "injured crew member"},
    };
    return p;
}

const std::vector<Phrase>& assistancePhrases() {
    // Said after "request", "require" or "need", and "immediate" where it is urgent.
    static const std::vector<Phrase> p{
        {"assistance", "assistance"},
        {"help", "assistance"},
        {"a tow", "a tow"},
        {"tow", "a tow"},
        {"medical advice", "medical advice"},
        {"medical assistance", "medical assistance"},
        {"evacuation", "evacuation"},
    };
    return p;
}

const std::vector<Phrase>& hazardPhrases() {
    static const std::vector<Phrase> p{
        {"navigational warning", "navigational warning"},
        {"navigation warning", "navigational warning"},
        {"gale warning", "gale warning"},
        {"storm warning", "storm warning"},
        {"floating container", "floating container"},
        {"drifting container", "floating container"},
        {"floating debris", "floating debris"},
        {"floating log", "floating log"},
        {"buoy adrift", "buoy adrift"},
        {"unlit buoy", "unlit buoy"},
        {"dangerous wreck", "dangerous wreck"},
        {"submerged object", "submerged object"},
        {"obstruction", "obstruction"},
    };
    return p;
}

const std::vector<Phrase>& routinePhrases() {
    static const std::vector<Phrase> p{
        {"how do you read", "how do you read"},
        {"reading you loud and clear", "loud and clear"},
        {"loud and clear", "loud and clear"},
        {"go ahead", "go ahead"},
        {"roger", "roger"},
        {"received", "received"},
        {"thank you", "thank you"},
        {"request your position", "request your position"},
        {"what is your position", "request your position"},
        {"say again", "say again"},
        {"standing by", "standing by"},
        {"able to comply", "able to comply"},
        {"unable to comply", "unable to comply"},
        {"we will meet you", "we will meet you"},
        {"good bye", "good bye"},
    };
    return p;
}

const std::vector<Phrase>& placePhrases() {
    static const std::vector<Phrase> p{
        {"boston", "Boston"},
        {"boston light", "Boston Light"},
        {"cape cod", "Cape Cod"},
        {"cape ann", "Cape Ann"},
        {"nantucket", "Nantucket"},
        {"provincetown", "Provincetown"},
        {"gloucester", "Gloucester"},
        {"plymouth", "Plymouth"},
    };
    return p;
}

const QStringList& digitWords() {
    static const QStringList d{"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "niner"};
    return d;
}

int digitValue(const QString& word) {
    const qsizetype i = digitWords().indexOf(word);
    return i < 0 ? -1 : i == 10 ? 9 : int(i);
}

const QStringList& phoneticAlphabet() {
    static const QStringList a{"alfa",   "bravo",  "charlie", "delta",  "echo",    "foxtrot", "golf",
                               "hotel",  "india",  "juliett", "kilo",   "lima",    "mike",    "november",
                               "oscar",  "papa",   "quebec",  "romeo",  "sierra",  "tango",   "uniform",
                               "victor", "whiskey", "xray",   "yankee", "zulu"};
    return a;
}

QString nameWords(const QString& name) {
    // Accents dropped ("Café" -> "cafe"), typographic apostrophes made plain.
    QString s = name.normalized(QString::NormalizationForm_KD).toLower();
    s.replace(QChar(0x2019), QLatin1Char('\''));
    s.erase(std::remove_if(s.begin(), s.end(), [](QChar c) { return c.category() == QChar::Mark_NonSpacing; }), s.end());
    // Letters, digits and apostrophes inside words are kept; everything else separates words.
    static const QRegularExpression other(QStringLiteral("[^a-z0-9']+"));
    s.replace(other, QStringLiteral(" "));
    QStringList words = s.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& w : words) {
        while (w.startsWith(QLatin1Char('\''))) w.remove(0, 1);
        while (w.endsWith(QLatin1Char('\''))) w.chop(1);
    }
    words.removeAll(QString());
    return words.join(QLatin1Char(' '));
}

QStringList nameVariants(const QString& name) {
    const QString words = nameWords(name);
    if (words.isEmpty()) return {};
    QStringList v{words};
    if (words.startsWith(QLatin1String("the ")) && words.size() > 4) v << words.mid(4);
    return v;
}

namespace {

QString alternatives(const QStringList& items) { return items.join(QStringLiteral(" | ")); }

QString alternatives(const std::vector<Phrase>& phrases) {
    QStringList items;
    for (const Phrase& p : phrases) items << QString::fromLatin1(p.words);
    return alternatives(items);
}

QStringList stationAlternatives(const QStringList& stationNames) {
    QStringList items;
    for (const QString& name : stationNames)
        for (const QString& v : nameVariants(name))
            if (!items.contains(v)) items << v;
    return items;
}

} // namespace

QString grammar(const QStringList& stationNames) {
    QStringList stations = stationAlternatives(stationNames);
    if (stations.isEmpty()) stations << QStringLiteral("kelpo");
    // The shape of every procedure: the words that open it, who is called, THIS IS and who calls,
    // then the parts of its message in the order of the form, and OVER or OUT. Every part may be left out, so
    // that a transmission with a mistake in it is still heard as it was said. No "+": sphinxbase
    // turns "<x>+" into a loop that other places of the grammar can enter (a stray "eight" between
    // two parts of a message); "<x> <x>*" is the same language without the fault.
    QString g = QStringLiteral(R"(#JSGF V1.0;
grammar procedures;

public <transmission> = <distress> | <relay> | <acknowledge> | <urgency> | <safety> | <cancel> | <routine> | <silence>;

<distress> = mayday mayday* [this is] [<idents>] [mayday [<idents>]] <message> [<ending>];
<relay> = mayday relay (mayday relay)* [<addressee>] [this is] [<idents>] [following received from <idents>] [mayday [<idents>]] <message> [<ending>];
<acknowledge> = mayday <idents> [this is] [<idents>] [received mayday] [<ending>];
<urgency> = pan pan (pan pan)* [pan] [<addressee>] [this is] [<idents>] [<position>] [<nature> | <urgent>] [<assistance>] [<persons>] [<ending>];
<safety> = securite securite* [<addressee>] [this is] [<idents>] [<hazard>] [<position>] [<channel>] [<ending>];
<cancel> = <all> [this is] [<idents>] [<position>] cancel my distress alert [of <time>] [<ending>];
<routine> = (<addressee> | <mmsi>) [this is] [<idents>] <talk>* [<ending>];
<silence> = seelonce (mayday | feenee) [this is] [<idents>] [<ending>];

<digit> = %DIGITS%;
<d2> = <digit> [<digit>];
<d3> = <digit> [<digit>] [<digit>];
<minutes> = <d2> [(decimal | point) <digit>];
<letter> = %LETTERS%;
<station> = %STATIONS%;
<mmsi> = [mmsi] <digit> <digit> <digit> <digit> <digit> <digit> <digit> <digit> <digit>;
<callsign> = call sign (<letter> | <digit>) (<letter> | <digit>)*;
<idents> = <station> <station>* [<callsign>] [<mmsi>] | <mmsi>;
<all> = all stations (all stations)* | all ships (all ships)*;
<addressee> = <all> | <station> <station>*;
<ending> = over | out;

<latitude> = <d2> degrees [<minutes> minutes] (north | south);
<longitude> = <d3> degrees [<minutes> minutes] (east | west);
<compass> = north | south | east | west | north east | north west | south east | south west;
<place> = %PLACES% | <station>;
<position> = [in] [my] [position] [is] (<latitude> <longitude> | <minutes> [nautical] miles <compass> of <place>);
<nature> = [we are | i am | we have [a] | i have [a] | there is [a]] (%NATURES%);
<urgent> = [we have [a] | i have [a] | we are] (%URGENCIES%);
<assistance> = (request | requesting | require | need) [immediate] (%ASSISTANCE%);
<persons> = <d3> (persons | people) on board | <d3> crew;
<message> = [<position>] [<nature>] [<assistance>] [<persons>];
<hazard> = [a] [large] (%HAZARDS%);
<channel> = [listen | switch | go] [on | to] channel <d2> [alfa];
<time> = <digit> <digit> <digit> <digit> [utc | hours];
<talk> = radio check [<channel>] | <channel> | %ROUTINE% | <position>;
)");
    g.replace(QLatin1String("%DIGITS%"), alternatives(digitWords()));
    g.replace(QLatin1String("%LETTERS%"), alternatives(phoneticAlphabet()));
    g.replace(QLatin1String("%STATIONS%"), alternatives(stations));
    g.replace(QLatin1String("%PLACES%"), alternatives(placePhrases()));
    g.replace(QLatin1String("%NATURES%"), alternatives(naturePhrases()));
    g.replace(QLatin1String("%URGENCIES%"), alternatives(urgencyPhrases()));
    g.replace(QLatin1String("%ASSISTANCE%"), alternatives(assistancePhrases()));
    g.replace(QLatin1String("%HAZARDS%"), alternatives(hazardPhrases()));
    g.replace(QLatin1String("%ROUTINE%"), alternatives(routinePhrases()));
    return g;
}

QStringList grammarWords(const QStringList& stationNames) {
    const QString g = grammar(stationNames);
    QSet<QString> words;
    // Every token on the right of a rule that is not a rule name or an operator.
    static const QRegularExpression token(QStringLiteral("[a-z0-9'][a-z0-9']*"));
    for (const QString& line : g.split(QLatin1Char('\n'))) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || line.startsWith(QLatin1Char('#'))) continue;
        QString body = line.mid(eq + 1);
        static const QRegularExpression rule(QStringLiteral("<[^>]*>"));
        body.remove(rule);
        for (auto it = token.globalMatch(body); it.hasNext();) words.insert(it.next().captured());
    }
    QStringList sorted(words.begin(), words.end());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

} // namespace voice
