// Pronunciations of words in the model's phones: a hand-made table, cmudict, espeak-ng, and a
// letter-to-sound guess.
#include "voice/Vocabulary.h"

#include "voice/Espeak.h"

#include <QFile>
#include <QSet>

#include <algorithm>

namespace voice {

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
