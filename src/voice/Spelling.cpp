#include "voice/Spelling.h"

#include "voice/Vocabulary.h"

#include <QHash>

#include <algorithm>

namespace voice {

namespace {

// "x ray" said as two words: the length of the letter's words at `at`, 0 when none.
qsizetype letterAt(const QStringList& w, qsizetype at, QChar* letter) {
    if (at + 1 < w.size() && w[at] == QLatin1String("x") && w[at + 1] == QLatin1String("ray")) {
        *letter = QLatin1Char('X');
        return 2;
    }
    *letter = letterValue(w[at]);
    return letter->isNull() ? 0 : 1;
}

} // namespace

int figureValue(const QString& word, bool spokenStyle) {
    if (const int plain = digitValue(word); plain >= 0 || !spokenStyle) return plain;
    static const QHash<QString, int> spoken{{"wun", 1}, {"too", 2}, {"tree", 3}, {"fower", 4}, {"fife", 5},
                                            {"ait", 8}};
    return spoken.value(word, -1);
}

QChar letterValue(const QString& word) {
    static const QHash<QString, QChar> letters = [] {
        QHash<QString, QChar> h;
        for (const QString& l : phoneticAlphabet()) h.insert(l, l.at(0).toUpper());
        for (const char* v : {"alpha", "juliet", "x-ray", "whisky"}) h.insert(QString::fromLatin1(v), QChar(v[0]).toUpper());
        return h;
    }();
    return letters.value(word);
}

Figures readFigures(const QStringList& w, qsizetype at, qsizetype limit, bool spokenStyle) {
    Figures f;
    const qsizetype stop = limit < 0 ? w.size() : std::min(limit, w.size());
    auto digit = [&](qsizetype i) { return i < stop ? figureValue(w[i], spokenStyle) : -1; };
    qsizetype i = at;
    for (; digit(i) >= 0; ++i) f.digits += QChar('0' + digit(i));
    if (!f.digits.isEmpty() && i < stop && (w[i] == QLatin1String("decimal") || w[i] == QLatin1String("point")) &&
        digit(i + 1) >= 0)
        for (++i; digit(i) >= 0; ++i) f.fraction += QChar('0' + digit(i));
    f.end = i;
    return f;
}

QString figuresIn(const QString& said) {
    const QStringList w = said.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < w.size(); ++i)
        if (const Figures f = readFigures(w, i); !f.digits.isEmpty()) return f.text();
    return {};
}

QStringList spellings(const QStringList& w) {
    QStringList out;
    for (qsizetype i = 0; i < w.size();) {
        const bool announced = i + 1 < w.size() && w[i] == QLatin1String("i") && w[i + 1] == QLatin1String("spell");
        qsizetype k = announced ? i + 2 : i;
        QString spelled;
        int letters = 0;
        for (;;) {
            QChar letter;
            if (k >= w.size()) break;
            if (const qsizetype n = letterAt(w, k, &letter); n > 0) {
                spelled += letter;
                ++letters;
                k += n;
            } else if (const int d = figureValue(w[k]); d >= 0 && (announced || letters > 0)) {
                spelled += QChar('0' + d);
                ++k;
            } else {
                break;
            }
        }
        if (!spelled.isEmpty() && (announced || letters >= 3)) {
            out << spelled;
            i = k;
        } else {
            i = std::max(i + 1, k);
        }
    }
    return out;
}

} // namespace voice
