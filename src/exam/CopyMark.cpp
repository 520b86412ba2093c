#include "exam/CopyMark.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace exam {

namespace {

// The words a free text may leave out and still say the same.
const QStringList kSmallWords{"a",  "an", "the", "of",  "to", "and", "or", "in",   "on",   "at", "for",
                              "with", "by", "is", "are", "we", "our", "as", "from", "please", "be", "it"};

QString simplified(const QString& s) { return s.simplified().toLower(); }

// The words of a free text, small words left out, in alphabetical order.
QStringList words(const QString& s) {
    static const QRegularExpression notWord(QStringLiteral("[^\\p{L}\\p{N}]+"));
    QStringList out;
    for (const QString& w : s.toLower().split(notWord, Qt::SkipEmptyParts))
        if (!kSmallWords.contains(w)) out << w;
    out.sort();
    return out;
}

// The first whole number in a text, or -1.
int firstNumber(const QString& s) {
    static const QRegularExpression number(QStringLiteral("\\d+"));
    const QRegularExpressionMatch m = number.match(s);
    return m.hasMatch() ? m.captured().toInt() : -1;
}

// Degrees from [d], [d, m] or [d, m, s]; NaN when the parts are no angle.
double degreesOf(const std::vector<double>& parts) {
    if (parts.empty() || parts.size() > 3) return std::nan("");
    double value = std::abs(parts[0]);
    for (size_t i = 1; i < parts.size(); ++i) {
        if (parts[i] < 0 || parts[i] >= 60) return std::nan("");
        value += parts[i] / std::pow(60.0, double(i));
    }
    return parts[0] < 0 ? -value : value;
}

struct Rule {
    const char* field;
    QString lessons::LogEntry::*member;
    enum { Name, CallSign, Digits, Position, Persons, FreeText } kind;
};

// The copy is the same as the sent text, by the field's rule.
bool same(int kind, const QString& copied, const QString& sent) {
    switch (kind) {
    case Rule::CallSign:
    case Rule::Digits: {
        static const QRegularExpression blanks(QStringLiteral("[\\s\\-]"));
        return QString(copied).remove(blanks).toUpper() == QString(sent).remove(blanks).toUpper();
    }
    case Rule::Position: {
        const std::optional<Position> c = parsePosition(copied), s = parsePosition(sent);
        return c && s ? *c == *s : simplified(copied) == simplified(sent);
    }
    case Rule::Persons: {
        const int c = firstNumber(copied), s = firstNumber(sent);
        return s >= 0 ? c == s : simplified(copied) == simplified(sent);
    }
    case Rule::FreeText: return words(copied) == words(sent);
    default: return simplified(copied) == simplified(sent);
    }
}

// A field as the mark shows it: a position in its one written form.
QString shown(int kind, const QString& s) {
    if (kind == Rule::Position)
        if (const std::optional<Position> p = parsePosition(s)) return positionText(*p);
    return s.simplified();
}

} // namespace

std::optional<Position> parsePosition(const QString& text) {
    QString t = text.toUpper();
    for (const QChar ch : {QChar(0x00B0), QChar('\''), QChar('"'), QChar(0x2019), QChar(0x2032), QChar(0x2033),
                           QChar(','), QChar(';'), QChar(0x00BA)})
        t.replace(ch, QLatin1Char(' '));
    static const QRegularExpression hemisphere(QStringLiteral("([NSEW])"));
    t.replace(hemisphere, QStringLiteral(" \\1 "));
    struct Group {
        std::vector<double> parts;
        QChar side;
    };
    std::vector<Group> groups(1);
    for (const QString& token : t.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (token.size() == 1 && QStringLiteral("NSEW").contains(token)) {
            if (groups.back().parts.empty()) return std::nullopt;
            groups.back().side = token.front();
            groups.emplace_back();
            continue;
        }
        bool ok = false;
        const double v = token.toDouble(&ok);
        if (!ok) return std::nullopt;
        groups.back().parts.push_back(v);
    }
    if (groups.back().parts.empty()) groups.pop_back();
    double lat = std::nan(""), lon = std::nan("");
    if (groups.size() == 1 && groups[0].side.isNull()) {
        // Signed numbers without letters: latitude's half of them, then longitude's.
        const std::vector<double>& all = groups[0].parts;
        if (all.size() % 2 != 0) return std::nullopt;
        const auto half = std::ptrdiff_t(all.size() / 2);
        lat = degreesOf({all.begin(), all.begin() + half});
        lon = degreesOf({all.begin() + half, all.end()});
    } else if (groups.size() == 2) {
        for (const Group& g : groups) {
            if (g.side.isNull() || std::any_of(g.parts.begin(), g.parts.end(), [](double v) { return v < 0; }))
                return std::nullopt;
            const double v = degreesOf(g.parts);
            const bool north = g.side == QLatin1Char('N'), south = g.side == QLatin1Char('S');
            if (north || south) lat = south ? -v : v;
            else lon = g.side == QLatin1Char('W') ? -v : v;
        }
    }
    if (std::isnan(lat) || std::isnan(lon) || std::abs(lat) > 90 || std::abs(lon) > 180) return std::nullopt;
    return Position{int(std::lround(lat * 600)), int(std::lround(lon * 600))};
}

QString positionText(const Position& p) {
    auto part = [](int tenths, int width, QChar plus, QChar minus) {
        const int a = std::abs(tenths);
        return QStringLiteral("%1\u00B0%2.%3'%4")
            .arg(a / 600, width, 10, QLatin1Char('0'))
            .arg(a % 600 / 10, 2, 10, QLatin1Char('0'))
            .arg(a % 10)
            .arg(tenths < 0 ? minus : plus);
    };
    return part(p.latTenths, 2, QLatin1Char('N'), QLatin1Char('S')) + QLatin1Char(' ') +
           part(p.lonTenths, 3, QLatin1Char('E'), QLatin1Char('W'));
}

std::vector<FieldMark> markCopy(const lessons::LogEntry& copied, const lessons::LogEntry& sent) {
    using E = lessons::LogEntry;
    static const Rule kRules[] = {
        {"name", &E::name, Rule::Name},           {"call sign", &E::callSign, Rule::CallSign},
        {"MMSI", &E::mmsi, Rule::Digits},         {"position", &E::position, Rule::Position},
        {"nature", &E::nature, Rule::Name},       {"persons", &E::persons, Rule::Persons},
        {"assistance", &E::assistance, Rule::FreeText}, {"other facts", &E::other, Rule::FreeText},
    };
    std::vector<FieldMark> marks;
    for (const Rule& r : kRules) {
        const QString& s = sent.*r.member;
        const QString& c = copied.*r.member;
        if (s.trimmed().isEmpty()) continue;
        FieldMark m{QString::fromLatin1(r.field)};
        if (c.trimmed().isEmpty()) {
            m.mark = FieldMark::Missing;
            m.text = QStringLiteral("%1: %2, not copied").arg(m.field, shown(r.kind, s));
        } else if (!same(r.kind, c, s)) {
            m.mark = FieldMark::Wrong;
            m.text = QStringLiteral("%1: %2, copied %3").arg(m.field, shown(r.kind, s), shown(r.kind, c));
        }
        marks.push_back(m);
    }
    return marks;
}

} // namespace exam
