#include "voice/SpokenStyle.h"

#include "voice/Vocabulary.h"

#include <QRegularExpression>

namespace voice {

namespace {

QString figureWord(QChar digit) {
    static const char* const kWords[] = {"zero", "wun", "too", "tree", "fower", "fife", "six", "seven", "ait", "niner"};
    return QString::fromLatin1(kWords[digit.digitValue()]);
}

// "WDK1905" -> "Whiskey Delta Kilo wun niner zero fife"; what is neither letter nor digit is left out.
QString phonetic(const QString& word) {
    QStringList out;
    for (const QChar ch : word) {
        if (ch.isDigit()) {
            out << figureWord(ch);
        } else if (const int letter = ch.toLower().unicode() - 'a'; letter >= 0 && letter < 26) {
            QString name = phoneticAlphabet().at(letter);
            name[0] = name[0].toUpper();
            out << name;
        }
    }
    return out.join(QLatin1Char(' '));
}

// After the first time `name` is said (and the times it is said again right after): "I spell ...".
QString withSpelling(QString text, const QString& name) {
    const QString said = QRegularExpression::escape(name);
    const QRegularExpression once(QStringLiteral("\\b%1\\b").arg(said));
    const QRegularExpression again(QStringLiteral("\\G[,\\s]+%1\\b").arg(said));
    QRegularExpressionMatch m = once.match(text);
    if (!m.hasMatch()) return text;
    qsizetype end = m.capturedEnd();
    for (QRegularExpressionMatch r; (r = again.match(text, end)).hasMatch();) end = r.capturedEnd();
    text.insert(end, QStringLiteral(", I spell ") + phonetic(name));
    return text;
}

// 42°21.3'N -> 42 degrees 21.3 minutes north; a latitude and the longitude right after it with a
// comma between them.
QString positionsInWords(const QString& text) {
    static const QRegularExpression coordinate(QStringLiteral("(\\d+)°\\s*(\\d+(?:\\.\\d+)?)'\\s*([NSEW])\\b"));
    static const QHash<QChar, QString> sides{{'N', "north"}, {'S', "south"}, {'E', "east"}, {'W', "west"}};
    QString out;
    qsizetype from = 0;
    bool afterLatitude = false;
    for (auto it = coordinate.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString between = text.mid(from, m.capturedStart() - from);
        const QChar side = m.captured(3).at(0);
        const bool longitude = side == QLatin1Char('E') || side == QLatin1Char('W');
        out += afterLatitude && longitude && between.trimmed().isEmpty() ? QStringLiteral(", ") : between;
        out += QStringLiteral("%1 degrees %2 minutes %3").arg(m.captured(1), m.captured(2), sides.value(side));
        afterLatitude = !longitude;
        from = m.capturedEnd();
    }
    return out + text.mid(from);
}

// Every figure digit by digit: "14:12" -> "wun fower wun too", "21.3" -> "too wun decimal tree";
// letters run together with figures ("WDK1905", "22A") said one by one.
QString figuresInWords(const QString& text) {
    static const QRegularExpression token(QStringLiteral("[A-Za-z]*\\d+(?:[.:]\\d+)*[A-Za-z]*"));
    QString out;
    qsizetype from = 0;
    for (auto it = token.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += text.mid(from, m.capturedStart() - from);
        QStringList words;
        const QString t = m.captured();
        for (qsizetype i = 0; i < t.size(); ++i) {
            if (t[i].isDigit()) words << figureWord(t[i]);
            else if (t[i] == QLatin1Char('.')) words << QStringLiteral("decimal");
            else if (t[i] != QLatin1Char(':')) words << t[i].toUpper();
        }
        out += words.join(QLatin1Char(' '));
        from = m.capturedEnd();
    }
    return out + text.mid(from);
}

} // namespace

QString inSpokenStyle(const QString& text, const QStringList& spelled) {
    QString out = text;
    for (const QString& name : spelled)
        if (!name.trimmed().isEmpty()) out = withSpelling(out, name.trimmed());
    return figuresInWords(positionsInWords(out));
}

} // namespace voice
