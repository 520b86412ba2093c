#include "voice/Vocabulary.h"

#include "voice/Espeak.h"

#include <QFile>
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

// ---- pronunciations ----

namespace {

// Words said otherwise than a dictionary would guess: the procedure words from the French, and
// letters said one by one.
const QHash<QString, QStringList>& handMade() {
    static const QHash<QString, QStringList> h{
        // The last as someone says it who reads it as an English word.
        {"securite", {"S EY K Y UH R IH T EY", "S EY K Y UH R IY T EY", "S IH K Y UH R IH T IY", "S IH K Y UH R AY T"}},
        {"seelonce", {"S IY L OW N S", "S IY L AA N S"}},
        {"feenee", {"F IY N EY", "F IY N IY"}},
        {"mayday", {"M EY D EY"}},
        {"pan", {"P AE N", "P AA N"}},
        {"mmsi", {"EH M EH M EH S AY"}},
        {"utc", {"Y UW T IY S IY"}},
        {"juliett", {"JH UW L IY EH T", "JH UW L IY T"}},
        {"xray", {"EH K S R EY"}},
        {"alfa", {"AE L F AH"}},
        {"niner", {"N AY N ER"}},
    };
    return h;
}

// The model's phones.
const QSet<QString>& modelPhones() {
    static const QSet<QString> p{"AA", "AE", "AH", "AO", "AW", "AY", "B",  "CH", "D",  "DH", "EH", "ER", "EY",
                                 "F",  "G",  "HH", "IH", "IY", "JH", "K",  "L",  "M",  "N",  "NG", "OW", "OY",
                                 "P",  "R",  "S",  "SH", "T",  "TH", "UH", "UW", "V",  "W",  "Y",  "Z",  "ZH"};
    return p;
}

// Reads cmudict once for the words asked (its lines are "word PHONES" and "word(2) PHONES").
QHash<QString, QStringList> readCmudict(const QString& path, const QSet<QString>& wanted) {
    QHash<QString, QStringList> found;
    QFile f(path);
    if (wanted.isEmpty() || !f.open(QIODevice::ReadOnly | QIODevice::Text)) return found;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().trimmed();
        const qsizetype blank = line.indexOf(' ');
        if (blank <= 0) continue;
        QByteArray word = line.left(blank);
        const qsizetype paren = word.indexOf('(');
        if (paren > 0) word.truncate(paren);
        const QString w = QString::fromUtf8(word);
        if (wanted.contains(w)) found[w] << QString::fromLatin1(line.mid(blank + 1).simplified());
    }
    return found;
}

// "vox's" from "vox": the ending said as S, Z or IH Z after the word's last sound.
QString possessive(const QString& base) {
    const QString last = base.section(QLatin1Char(' '), -1);
    static const QSet<QString> hissing{"S", "Z", "SH", "ZH", "CH", "JH"};
    static const QSet<QString> voiceless{"P", "T", "K", "F", "TH"};
    if (hissing.contains(last)) return base + QStringLiteral(" IH Z");
    if (voiceless.contains(last)) return base + QStringLiteral(" S");
    return base + QStringLiteral(" Z");
}

} // namespace

Pronunciations::Pronunciations(QString cmudictPath)
    : cmudict_(cmudictPath.isEmpty() ? QStringLiteral("/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict")
                                     : std::move(cmudictPath)) {}

QHash<QString, QStringList> Pronunciations::lookup(const QStringList& words) {
    QSet<QString> wanted;
    for (const QString& w : words) {
        if (cache_.contains(w) || handMade().contains(w)) continue;
        wanted.insert(w);
        if (w.endsWith(QLatin1String("'s"))) wanted.insert(w.chopped(2));
    }
    const QHash<QString, QStringList> dict = readCmudict(cmudict_, wanted);
    for (const QString& w : words) {
        if (cache_.contains(w)) continue;
        QStringList p = handMade().value(w);
        if (p.isEmpty()) p = dict.value(w);
        if (p.isEmpty() && w.endsWith(QLatin1String("'s")))
            for (const QString& base : dict.value(w.chopped(2))) p << possessive(base);
        if (p.isEmpty()) {
            const QString e = fromEspeak(w);
            if (!e.isEmpty()) p << e;
        }
        if (p.isEmpty()) p << fromLetters(w);
        cache_.insert(w, p);
    }
    QHash<QString, QStringList> out;
    for (const QString& w : words) out.insert(w, cache_.value(w));
    return out;
}

QString Pronunciations::dictionary(const QStringList& words) {
    const QHash<QString, QStringList> p = lookup(words);
    QString text;
    for (const QString& w : words) {
        const QStringList& all = p[w];
        for (int i = 0; i < all.size(); ++i) {
            text += i == 0 ? w : QStringLiteral("%1(%2)").arg(w).arg(i + 1);
            text += QLatin1Char(' ') + all[i] + QLatin1Char('\n');
        }
    }
    return text;
}

QString Pronunciations::fromEspeak(const QString& word) {
    const QString ph = espeak::phonemes(word);
    return ph.isEmpty() ? QString() : mapEspeakPhonemes(ph);
}

QString Pronunciations::mapEspeakPhonemes(const QString& phonemes) {
    // espeak-ng's US English mnemonics, longest first where one begins another.
    static const std::vector<std::pair<QString, QString>> table{
        {"aI@", "AY ER"}, {"aI3", "AY ER"}, {"aU@", "AW ER"}, {"i@3", "IH R"}, {"A@r", "AA R"}, {"A@", "AA R"},
        {"e@", "EH R"},   {"E@", "EH R"},   {"O@", "AO R"},   {"o@", "AO R"},  {"U@", "UH R"},  {"i@", "IH R"},
        {"A:", "AA"},     {"aa", "AE"},     {"a#", "AH"},     {"aI", "AY"},    {"aU", "AW"},    {"eI", "EY"},
        {"@L", "AH L"},   {"@2", "AH"},     {"@5", "AH"},     {"3:", "ER"},    {"i:", "IY"},    {"I2", "IH"},
        {"I#", "IH"},     {"O:", "AO"},     {"oU", "OW"},     {"OI", "OY"},    {"u:", "UW"},    {"tS", "CH"},
        {"dZ", "JH"},     {"t#", "T"},      {"d#", "D"},      {"n-", "N"},     {"l-", "L"},     {"r-", "R"},
        {"a", "AE"},      {"e", "EH"},      {"E", "EH"},      {"@", "AH"},     {"3", "ER"},     {"i", "IY"},
        {"I", "IH"},      {"0", "AA"},      {"O", "AO"},      {"U", "UH"},     {"V", "AH"},     {"u", "UW"},
        {"o", "OW"},      {"T", "TH"},      {"D", "DH"},      {"S", "SH"},     {"Z", "ZH"},     {"N", "NG"},
        {"j", "Y"},       {"h", "HH"},      {"r", "R"},       {"l", "L"},      {"w", "W"},      {"p", "P"},
        {"b", "B"},       {"t", "T"},       {"d", "D"},       {"k", "K"},      {"g", "G"},      {"f", "F"},
        {"v", "V"},       {"s", "S"},       {"z", "Z"},       {"m", "M"},      {"n", "N"},      {"x", "K"},
        {"*", "T"},       {"y", "IY"},
    };
    QStringList out;
    for (qsizetype i = 0; i < phonemes.size();) {
        bool matched = false;
        for (const auto& [from, to] : table) {
            if (QStringView(phonemes).mid(i).startsWith(from)) {
                out << to;
                i += from.size();
                matched = true;
                break;
            }
        }
        if (!matched) ++i;  // stress, length, syllable marks, pauses
    }
    QStringList phones = out.join(QLatin1Char(' ')).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    phones.erase(std::remove_if(phones.begin(), phones.end(), [](const QString& p) { return !modelPhones().contains(p); }),
                 phones.end());
    return phones.join(QLatin1Char(' '));
}

QString Pronunciations::fromLetters(const QString& word) {
    static const std::vector<std::pair<QString, QString>> table{
        {"tch", "CH"}, {"sch", "S K"}, {"ch", "CH"}, {"sh", "SH"}, {"th", "TH"}, {"ph", "F"}, {"ck", "K"},
        {"ng", "NG"},  {"qu", "K W"},  {"wh", "W"},  {"ee", "IY"}, {"ea", "IY"}, {"oo", "UW"}, {"ou", "AW"},
        {"ow", "OW"},  {"ai", "EY"},   {"ay", "EY"}, {"oa", "OW"}, {"oi", "OY"}, {"oy", "OY"}, {"au", "AO"},
        {"er", "ER"},  {"ar", "AA R"}, {"or", "AO R"}, {"ir", "ER"}, {"ur", "ER"}, {"'s", "Z"},
        {"a", "AE"},   {"e", "EH"},    {"i", "IH"},  {"o", "AA"},  {"u", "AH"},  {"y", "IY"},  {"b", "B"},
        {"c", "K"},    {"d", "D"},     {"f", "F"},   {"g", "G"},   {"h", "HH"},  {"j", "JH"},  {"k", "K"},
        {"l", "L"},    {"m", "M"},     {"n", "N"},   {"p", "P"},   {"q", "K"},   {"r", "R"},   {"s", "S"},
        {"t", "T"},    {"v", "V"},     {"w", "W"},   {"x", "K S"}, {"z", "Z"},
    };
    QStringList out;
    QString previous;
    for (qsizetype i = 0; i < word.size();) {
        bool matched = false;
        for (const auto& [from, to] : table) {
            if (QStringView(word).mid(i).startsWith(from)) {
                // A doubled consonant is one sound; a final silent "e" after a consonant is none.
                const bool silentE = from == QLatin1String("e") && i == word.size() - 1 && i > 0;
                if (to != previous && !silentE) out << to;
                previous = to;
                i += from.size();
                matched = true;
                break;
            }
        }
        if (!matched) ++i;
    }
    if (out.isEmpty()) out << QStringLiteral("AH");
    return out.join(QLatin1Char(' '));
}

} // namespace voice
