#pragma once
// Letters and figures read out on the radio: spellings in the phonetic alphabet ("I spell Kilo
// Echo Lima Papa Oscar" -> KELPO, a call sign with its digits -> WDC5693) and figures said digit
// by digit, plainly or in the radio's own style (WUN TOO TREE FOWER FIFE ... NINER, "decimal" for
// the point): "tree six six wun two tree fower fife six" -> 366123456, "fower two decimal fife" -> 42.5.
#include <QString>
#include <QStringList>

namespace voice {

// A digit's value, 0-9, from its plain or spoken-style word; -1 for a word that is no digit.
// `spokenStyle` false: only the plain words ("three", "niner"), which English also uses otherwise
// ("too", "tree").
int figureValue(const QString& word, bool spokenStyle = true);
// A phonetic letter's letter ("kilo" -> 'K', "alpha" and "alfa" -> 'A'); a null QChar otherwise.
QChar letterValue(const QString& word);

// A run of figures read from `at` (up to `limit`, or the end): the digits, and after "decimal" or
// "point" those of the fraction. No digits when the word at `at` is none.
struct Figures {
    QString digits;
    QString fraction;
    qsizetype end = 0;  // the first word after the run
    QString text() const { return fraction.isEmpty() ? digits : digits + QLatin1Char('.') + fraction; }
};
Figures readFigures(const QStringList& words, qsizetype at, qsizetype limit = -1, bool spokenStyle = true);

// The first run of figures in what was said (words of any case); empty when there is none.
QString figuresIn(const QString& said);

// Every spelling in the words (lower case), in order: the letters and digits said after "i spell",
// or a run of at least three phonetic letters, each up to the first word that is neither.
QStringList spellings(const QStringList& words);

} // namespace voice
