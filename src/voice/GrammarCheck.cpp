#include "voice/GrammarCheck.h"

#include <QStringList>

namespace voice {

namespace {

QString ruleGroup(const QString& rule) {
    QString name = rule;
    for (QChar& c : name)
        if (!c.isLetterOrNumber()) c = QLatin1Char('_');
    return QStringLiteral("r_") + name;
}

// One rule's body as a pattern: each word followed by one blank, rule references as calls.
QString bodyPattern(const QString& body) {
    QString out;
    for (qsizetype i = 0; i < body.size();) {
        const QChar c = body[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('<')) {
            const qsizetype end = body.indexOf(QLatin1Char('>'), i);
            if (end < 0) return QString();
            out += QStringLiteral("(?&%1)").arg(ruleGroup(body.mid(i + 1, end - i - 1)));
            i = end + 1;
        } else if (c == QLatin1Char('[')) {
            out += QStringLiteral("(?:");
            ++i;
        } else if (c == QLatin1Char(']')) {
            out += QStringLiteral(")?");
            ++i;
        } else if (c == QLatin1Char('(')) {
            out += QStringLiteral("(?:");
            ++i;
        } else if (c == QLatin1Char(')') || c == QLatin1Char('|') || c == QLatin1Char('*') || c == QLatin1Char('+')) {
            out += c;
            ++i;
        } else {
            qsizetype end = i;
            while (end < body.size() && !body[end].isSpace() && !QStringLiteral("<>[]()|*+;").contains(body[end])) ++end;
            out += QStringLiteral("(?:%1 )").arg(QRegularExpression::escape(body.mid(i, end - i)));
            i = end;
        }
    }
    return out;
}

} // namespace

GrammarCheck::GrammarCheck(const QString& jsgf) {
    // The rules, "<name> = body;" (a body may run over lines), and which one is public.
    QString text;
    for (const QString& line : jsgf.split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (t.startsWith(QLatin1Char('#')) || t.startsWith(QLatin1String("grammar ")) || t.startsWith(QLatin1String("//")))
            continue;
        text += t + QLatin1Char(' ');
    }
    QString defines;
    QString top;
    for (const QString& statement : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QString s = statement.trimmed();
        const qsizetype eq = s.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        QString head = s.left(eq).trimmed();
        const bool isPublic = head.startsWith(QLatin1String("public "));
        if (isPublic) head = head.mid(7).trimmed();
        if (!head.startsWith(QLatin1Char('<')) || !head.endsWith(QLatin1Char('>'))) continue;
        const QString name = ruleGroup(head.mid(1, head.size() - 2));
        defines += QStringLiteral("(?<%1>%2)").arg(name, bodyPattern(s.mid(eq + 1)));
        if (isPublic && top.isEmpty()) top = name;
    }
    if (top.isEmpty()) {
        whole_ = QRegularExpression(QStringLiteral("("));  // invalid: allows nothing
        return;
    }
    whole_ = QRegularExpression(QStringLiteral("^(?(DEFINE)%1)(?&%2)$").arg(defines, top));
    whole_.optimize();
}

bool GrammarCheck::allows(const QString& words) const {
    if (!valid()) return false;
    const QString subject = words.simplified().isEmpty() ? QString() : words.simplified() + QLatin1Char(' ');
    return whole_.match(subject).hasMatch();
}

bool GrammarCheck::begins(const QString& words) const {
    if (!valid()) return false;
    const QString subject = words.simplified().isEmpty() ? QString() : words.simplified() + QLatin1Char(' ');
    const QRegularExpressionMatch m =
        whole_.match(subject, 0, QRegularExpression::PartialPreferCompleteMatch);
    return m.hasMatch() || m.hasPartialMatch();
}

} // namespace voice
