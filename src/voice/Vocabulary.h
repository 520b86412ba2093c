#pragma once
// What the radio understands: the procedure words, digits, the phonetic alphabet, the phrases of
// the messages (natures of distress, urgencies, help wanted, safety messages, routine talk) and
// the names of the stations the trainer knows; the JSGF grammar shaped like the procedures that
// the recogniser is given; and a pronunciation for every word, in the phones of pocketsphinx's US
// English model (cmudict where it has the word, else espeak-ng's phonemes, else a letter-to-sound
// fallback).
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace voice {

// A phrase as it is said (lower-case words) and what it means in a verdict.
struct Phrase {
    const char* words;
    const char* meaning;
};

// Each list is in the grammar and in the checker alike.
const std::vector<Phrase>& naturePhrases();      // "on fire" -> "fire", "man overboard", ...
const std::vector<Phrase>& urgencyPhrases();     // "engine failure", "lost steering", ...
const std::vector<Phrase>& assistancePhrases();  // "request immediate assistance", ...
const std::vector<Phrase>& hazardPhrases();      // "floating container", "navigational warning", ...
const std::vector<Phrase>& routinePhrases();     // "request your position", "loud and clear", ...
const std::vector<Phrase>& placePhrases();       // known points for a bearing and distance
const QStringList& digitWords();                 // "zero" ... "nine", "niner"
int digitValue(const QString& word);             // 0-9, -1 for a word that is no digit
const QStringList& phoneticAlphabet();           // "alfa" ... "zulu"

// A station's name in the words a recogniser gives: "Vox's Sweetness" -> "vox's sweetness".
QString nameWords(const QString& name);
// The ways a name is said: with and without a leading "the".
QStringList nameVariants(const QString& name);

// The JSGF grammar of every procedure, with these station names in it.
QString grammar(const QStringList& stationNames);
// Every word the grammar can give, sorted, once each.
QStringList grammarWords(const QStringList& stationNames);

// Pronunciations of words in the model's phones ("K EH L P OW").
class Pronunciations {
public:
    // Where cmudict is; the model's by default.
    explicit Pronunciations(QString cmudictPath = QString());

    // Every pronunciation known for each word (cmudict's alternatives too), from the hand-made
    // table, cmudict, espeak-ng or the fallback, in that order of preference.
    QHash<QString, QStringList> lookup(const QStringList& words);
    // The dictionary file's text for the words: "word PHONES", "word(2) PHONES", ...
    QString dictionary(const QStringList& words);

    // espeak-ng's phonemes of a word mapped onto the model's phones; empty when espeak-ng cannot
    // be loaded or gives nothing.
    static QString fromEspeak(const QString& word);
    // A plain letter-to-sound guess.
    static QString fromLetters(const QString& word);
    // An espeak-ng phoneme string ("k'ElpoU") in the model's phones ("K EH L P OW").
    static QString mapEspeakPhonemes(const QString& phonemes);

private:
    QString cmudict_;
    QHash<QString, QStringList> cache_;
};

} // namespace voice
