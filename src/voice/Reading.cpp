#include "voice/Reading.h"

#include "voice/Spelling.h"
#include "voice/Vocabulary.h"

#include <QHash>

#include <algorithm>

namespace voice::reading {

namespace {

struct Pattern {
    QStringList words;
    U type;
    QString value;
};

// Every fixed phrase the checker knows, longest first.
const std::vector<Pattern>& patterns() {
    static const std::vector<Pattern> all = [] {
        std::vector<Pattern> p;
        auto add = [&p](const QString& words, U type, const QString& value = {}) {
            p.push_back({words.split(QLatin1Char(' ')), type, value.isEmpty() ? words : value});
        };
        const std::vector<std::pair<const char*, U>> fixed{
            {"mayday relay", U::MaydayRelay}, {"mayday", U::Mayday}, {"pan", U::Pan}, {"securite", U::Securite},
            {"seelonce", U::Seelonce}, {"feenee", U::Feenee}, {"all stations", U::AllStations},
            {"all ships", U::AllStations}, {"this is", U::ThisIs}, {"received mayday", U::ReceivedMayday},
            {"following received from", U::Following}, {"cancel my distress alert", U::Cancel},
            {"cancel distress alert", U::CancelWord}, {"cancel my alert", U::CancelWord}, {"cancel", U::CancelWord},
            {"radio check", U::RadioCheck}, {"over", U::Over}, {"out", U::Out}, {"mmsi", U::MmsiWord},
            {"call sign", U::CallSignWord}, {"listen on channel", U::ChannelWord}, {"listen to channel", U::ChannelWord},
            {"switch to channel", U::ChannelWord}, {"go to channel", U::ChannelWord}, {"on channel", U::ChannelWord},
            {"channel", U::ChannelWord},
        };
        for (const auto& [words, type] : fixed) add(QString::fromLatin1(words), type);
        for (const Phrase& ph : naturePhrases()) add(QString::fromLatin1(ph.words), U::Nature, QString::fromLatin1(ph.meaning));
        for (const Phrase& ph : urgencyPhrases()) add(QString::fromLatin1(ph.words), U::Urgency, QString::fromLatin1(ph.meaning));
        for (const Phrase& ph : hazardPhrases()) add(QString::fromLatin1(ph.words), U::Hazard, QString::fromLatin1(ph.meaning));
        for (const Phrase& ph : routinePhrases()) add(QString::fromLatin1(ph.words), U::Talk, QString::fromLatin1(ph.meaning));
        for (const char* verb : {"", "request ", "requesting ", "require ", "need "})
            for (const char* urgent : {"", "immediate "})
                for (const Phrase& ph : assistancePhrases())
                    add(QString::fromLatin1(verb) + QString::fromLatin1(urgent) + QString::fromLatin1(ph.words),
                        U::Assistance, QString::fromLatin1(urgent) + QString::fromLatin1(ph.meaning));
        for (const QString& letter : phoneticAlphabet()) add(letter, U::Letter, letter.left(1).toUpper());
        std::stable_sort(p.begin(), p.end(), [](const Pattern& a, const Pattern& b) { return a.words.size() > b.words.size(); });
        return p;
    }();
    return all;
}

bool matchesAt(const QStringList& words, qsizetype at, const QStringList& phrase) {
    if (at + phrase.size() > words.size()) return false;
    for (qsizetype k = 0; k < phrase.size(); ++k)
        if (words[at + k] != phrase[k]) return false;
    return true;
}

// A run of digit words from `at`, with tenths after "decimal"/"point"; digits empty if none. Only
// the digits' plain words: a transcript's "too" and "tree" are English.
Figures readDigits(const QStringList& w, qsizetype at, qsizetype limit = -1) { return readFigures(w, at, limit, false); }

struct Half {
    int degrees = 0;
    double minutes = 0;
    QString minutesText;
    QChar side;  // N S E W
    qsizetype end = -1;
};

// "four two degrees one seven minutes north": one half of a position.
Half readHalf(const QStringList& w, qsizetype at) {
    Half h;
    const Figures deg = readDigits(w, at);
    qsizetype i = deg.end;
    if (deg.digits.isEmpty() || i >= w.size() || w[i] != QLatin1String("degrees")) return h;
    ++i;
    const Figures min = readDigits(w, i);
    if (!min.digits.isEmpty()) {
        if (min.end >= w.size() || w[min.end] != QLatin1String("minutes")) return h;
        h.minutesText = min.digits + (min.fraction.isEmpty() ? QString() : QLatin1Char('.') + min.fraction);
        h.minutes = h.minutesText.toDouble();
        i = min.end + 1;
    }
    if (i >= w.size()) return h;
    static const QHash<QString, QChar> sides{{"north", 'N'}, {"south", 'S'}, {"east", 'E'}, {"west", 'W'}};
    if (!sides.contains(w[i])) return h;
    h.side = sides.value(w[i]);
    h.degrees = deg.digits.toInt();
    h.end = i + 1;
    return h;
}

QString halfText(const Half& h, int width) {
    QString min = h.minutesText.isEmpty() ? QStringLiteral("00") : h.minutesText;
    if (min.indexOf(QLatin1Char('.')) == 1 || min.size() == 1) min.prepend(QLatin1Char('0'));
    return QStringLiteral("%1°%2'%3").arg(h.degrees, width, 10, QLatin1Char('0')).arg(min).arg(h.side);
}

bool isLatitude(const Half& h) { return h.side == QLatin1Char('N') || h.side == QLatin1Char('S'); }
bool halfValid(const Half& h) { return h.degrees <= (isLatitude(h) ? 90 : 180) && h.minutes < 60; }

// The words made into units: stations, fixed phrases, numbers and what the numbers are.
class Reader {
public:
    Reader(const QStringList& words, const QList<Station>& stations) : w_(words) {
        for (qsizetype s = 0; s < stations.size(); ++s)
            for (const QString& v : nameVariants(stations[s].name)) names_.push_back({v.split(QLatin1Char(' ')), int(s)});
        std::stable_sort(names_.begin(), names_.end(),
                         [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    }

    QList<Unit> read() {
        QList<Unit> out;
        for (qsizetype i = 0; i < w_.size();) {
            const qsizetype before = out.size();
            const qsizetype end = next(i, out);
            for (qsizetype k = before; k < out.size(); ++k) out[k].from = i, out[k].to = end;
            i = end;
        }
        return merge(out);
    }

private:
    qsizetype next(qsizetype i, QList<Unit>& out) {
        if (const qsizetype end = position(i, out); end > i) return end;
        if (digitValue(w_[i]) >= 0) return number(i, out);
        qsizetype best = 0;
        int station = -1;
        for (const auto& [words, index] : names_)
            if (words.size() > best && matchesAt(w_, i, words)) { best = words.size(); station = index; }
        const Pattern* pattern = nullptr;
        for (const Pattern& p : patterns())
            if (p.words.size() > best && matchesAt(w_, i, p.words)) { pattern = &p; break; }
        if (pattern) {
            out.append({pattern->type, pattern->words.join(QLatin1Char(' ')), pattern->value});
            return i + pattern->words.size();
        }
        if (station >= 0) {
            const QString text = w_.mid(i, best).join(QLatin1Char(' '));
            out.append({U::Station, text, text, station});
            return i + best;
        }
        out.append({U::Other, w_[i], w_[i]});
        return i + 1;
    }

    // A position as latitude and longitude, or distance and bearing from a known point, with or
    // without "my position is" before it; i when there is none at i.
    qsizetype position(qsizetype i, QList<Unit>& out) {
        qsizetype at = i;
        for (const char* lead : {"my position is", "position is", "my position", "in position", "position"})
            if (matchesAt(w_, at, QString::fromLatin1(lead).split(QLatin1Char(' ')))) {
                at += QString::fromLatin1(lead).count(QLatin1Char(' ')) + 1;
                break;
            }
        // A long run of digits before "degrees" carries something else before the two of the latitude.
        const Figures run = readDigits(w_, at);
        if (run.digits.size() > 3 && run.fraction.isEmpty() && run.end < w_.size() && w_[run.end] == QLatin1String("degrees")) {
            if (at > i) return i;
            return number(i, out, run.end - 2);
        }
        const Half first = readHalf(w_, at);
        if (first.end > 0) {
            Half second = readHalf(w_, first.end);
            if (second.end > 0 && isLatitude(first) == isLatitude(second)) second = Half{};
            Unit u{U::Position, w_.mid(i, (second.end > 0 ? second.end : first.end) - i).join(QLatin1Char(' '))};
            const Half& lat = isLatitude(first) ? first : second;
            const Half& lon = isLatitude(first) ? second : first;
            u.complete = lat.end > 0 && lon.end > 0;
            QStringList text;
            if (lat.end > 0) text << halfText(lat, 2);
            if (lon.end > 0) text << halfText(lon, 3);
            u.value = text.join(QLatin1Char(' '));
            if ((lat.end > 0 && !halfValid(lat)) || (lon.end > 0 && !halfValid(lon))) u.complete = false;
            out.append(u);
            return second.end > 0 ? second.end : first.end;
        }
        // "three miles south east of cape cod"
        const Figures miles = readDigits(w_, at);
        qsizetype k = miles.end;
        if (miles.digits.isEmpty()) return i;
        if (k < w_.size() && w_[k] == QLatin1String("nautical")) ++k;
        if (k >= w_.size() || w_[k] != QLatin1String("miles")) return i;
        ++k;
        QStringList compass;
        while (k < w_.size() && QStringList{"north", "south", "east", "west"}.contains(w_[k]) && compass.size() < 2)
            compass << w_[k++];
        if (compass.isEmpty() || k >= w_.size() || w_[k] != QLatin1String("of")) return i;
        ++k;
        QString place;
        qsizetype placeEnd = k;
        for (const Phrase& p : placePhrases()) {
            const QStringList pw = QString::fromLatin1(p.words).split(QLatin1Char(' '));
            if (matchesAt(w_, k, pw) && k + pw.size() > placeEnd) { placeEnd = k + pw.size(); place = QString::fromLatin1(p.meaning); }
        }
        for (const auto& [words, index] : names_)
            if (matchesAt(w_, k, words) && k + words.size() > placeEnd) { placeEnd = k + words.size(); place = words.join(QLatin1Char(' ')); }
        if (place.isEmpty()) return i;
        Unit u{U::Position, w_.mid(i, placeEnd - i).join(QLatin1Char(' '))};
        u.value = QStringLiteral("%1 nm %2 of %3").arg(miles.digits, compass.join(QLatin1Char(' ')), place);
        out.append(u);
        return placeEnd;
    }

    // Digits: persons on board, a time, an MMSI, or a plain number; `limit` ends the run early.
    qsizetype number(qsizetype i, QList<Unit>& out, qsizetype limit = -1) {
        const Figures d = readDigits(w_, i, limit);
        qsizetype k = d.end;
        Unit u{U::Number, w_.mid(i, k - i).join(QLatin1Char(' ')), d.digits};
        if (limit < 0 && k < w_.size()) {
            if (QStringList{"persons", "people", "crew", "souls"}.contains(w_[k])) {
                u.type = U::Persons;
                ++k;
                if (matchesAt(w_, k, {"on", "board"})) k += 2;
            } else if (w_[k] == QLatin1String("utc") || w_[k] == QLatin1String("hours")) {
                u.type = U::Time;
                ++k;
            }
            u.text = w_.mid(i, k - i).join(QLatin1Char(' '));
        }
        out.append(u);
        return k;
    }

    // Pieces that belong together: a channel and its number, MMSI and its digits, and so on.
    static QList<Unit> merge(const QList<Unit>& in) {
        QList<Unit> out;
        for (qsizetype i = 0; i < in.size(); ++i) {
            Unit u = in[i];
            const qsizetype from = u.from;
            const bool numberNext = i + 1 < in.size() && in[i + 1].type == U::Number;
            if (u.type == U::ChannelWord && numberNext) {
                u = {U::Channel, u.text + QLatin1Char(' ') + in[i + 1].text, in[i + 1].value};
                ++i;
            } else if (u.type == U::MmsiWord && numberNext) {
                u = {U::Mmsi, u.text + QLatin1Char(' ') + in[i + 1].text, in[i + 1].value};
                ++i;
            } else if (u.type == U::CallSignWord) {
                while (i + 1 < in.size() && (in[i + 1].type == U::Letter || in[i + 1].type == U::Number)) {
                    u.text += QLatin1Char(' ') + in[i + 1].text;
                    u.value += in[++i].value;
                }
                u.type = U::CallSign;
            } else if (u.type == U::Number && u.value.size() == 9) {
                u.type = U::Mmsi;
            } else if (u.type == U::Other && u.text == QLatin1String("of") && !out.isEmpty() &&
                       (out.last().type == U::Cancel || out.last().type == U::CancelWord) && numberNext) {
                u = {U::Time, u.text + QLatin1Char(' ') + in[i + 1].text, in[i + 1].value};
                ++i;
            }
            u.from = from;
            u.to = in[i].to;
            out.append(u);
        }
        return out;
    }

    const QStringList& w_;
    std::vector<std::pair<QStringList, int>> names_;
};

} // namespace

QList<Unit> read(const QStringList& words, const QList<Station>& stations) { return Reader(words, stations).read(); }

} // namespace voice::reading
