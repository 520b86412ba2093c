// Recognition of transmissions in free wording, per recognition mode: the clips that
// bench/heldout/make-clips.sh speaks from bench/heldout/texts.txt (wordings of their own, apart
// from the language model's templates; small talk and a tone sweep among them).
//   - anchor WER: errors among the words a judge reads by (MAYDAY, PAN, SECURITE, RELAY, THIS IS,
//     the station names, digits, north/south/east/west, degrees, minutes, OVER/OUT), as the edit
//     distance of those words of the text against those heard, over their count in the texts;
//   - description WER: the same for every other word;
//   - words heard in clips with no procedure in them (small talk, a tone);
//   - CPU time of hear() per second of speech, after a first recognition that loads the models,
//     and that loading time.
// Usage: bench_voice_heldout DIR [lm|grammar|both ...] [--show]
#include "platform/AudioFile.h"
#include "voice/Recognizer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

QStringList wordsOf(const QString& text) {
    QString s = text.toLower();
    static const QRegularExpression other(QStringLiteral("[^a-z0-9' ]+"));
    s.replace(other, QStringLiteral(" "));
    return s.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool isAnchor(const QString& w) {
    static const QSet<QString> a{"mayday", "pan",    "securite", "relay", "this",  "is",    "kelpo",   "blue",
                                 "crane",  "sea",    "breeze",   "boston", "coast", "guard", "zero",    "one",
                                 "two",    "three",  "four",     "five",  "six",   "seven", "eight",   "nine",
                                 "niner",  "north",  "south",    "east",  "west",  "degrees", "minutes", "over", "out"};
    return a.contains(w);
}

int editDistance(const QStringList& a, const QStringList& b) {
    std::vector<int> row(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j) row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[b.size()];
}

QStringList only(const QStringList& words, bool anchors) {
    QStringList out;
    for (const QString& w : words)
        if (isAnchor(w) == anchors) out << w;
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool show = args.removeAll(QStringLiteral("--show")) > 0;
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: bench_voice_heldout DIR [lm|grammar|both ...] [--show]\n");
        return 2;
    }
    const QDir dir(args.takeFirst());
    if (args.isEmpty()) args = QStringList{"lm", "grammar", "both"};
    struct Clip {
        QString name;
        std::vector<qint16> pcm;
        QStringList reference;
    };
    std::vector<Clip> clips;
    for (const QString& f : dir.entryList({"*.wav"}, QDir::Files, QDir::Name)) {
        if (f.count(QLatin1Char('.')) != 1) continue;
        Clip c;
        c.name = f;
        c.pcm = platform::toInt16(platform::readMono(dir.filePath(f), 16000));
        QFile t(dir.filePath(QString(f).replace(QStringLiteral(".wav"), QStringLiteral(".txt"))));
        if (t.open(QIODevice::ReadOnly)) c.reference = wordsOf(QString::fromUtf8(t.readAll()));
        clips.push_back(std::move(c));
    }
    const QStringList names{"Kelpo", "The Blue Crane", "Sea Breeze", "Boston Coast Guard"};
    for (const QString& modeName : args) {
        voice::Recognizer r;
        r.setMode(modeName == "grammar" ? voice::Recognizer::Mode::Grammar
                  : modeName == "both"  ? voice::Recognizer::Mode::Both
                                        : voice::Recognizer::Mode::LanguageModel);
        r.setNames(names);
        r.hear(std::vector<qint16>(16000, 0));  // loads the models
        const double load = r.loadSeconds();
        int anchorErr = 0, anchorRef = 0, descErr = 0, descRef = 0, noiseWords = 0;
        double cpu = 0, speech = 0;
        for (const Clip& c : clips) {
            const double t0 = cpuSeconds();
            const voice::Hearing h = r.hear(c.pcm);
            cpu += cpuSeconds() - t0;
            speech += double(c.pcm.size()) / 16000.0;
            const QStringList heard = h.words.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            const bool procedure = !only(c.reference, true).isEmpty() && c.reference.size() > 4 &&
                                   (c.reference.contains("this") || c.reference.contains("mayday"));
            if (!procedure) {
                noiseWords += int(heard.size());
            } else {
                anchorErr += editDistance(only(c.reference, true), only(heard, true));
                anchorRef += int(only(c.reference, true).size());
                descErr += editDistance(only(c.reference, false), only(heard, false));
                descRef += int(only(c.reference, false).size());
            }
            if (show)
                std::printf("%s %-8s [%s] %s\n", qPrintable(modeName), qPrintable(c.name), qPrintable(h.pass),
                            qPrintable(h.words));
        }
        std::printf("ROW | %-8s | anchor WER %5.1f %% | description WER %5.1f %% | words in non-procedures %3d | CPU %.3f s per s of speech | load %.2f s |\n",
                    qPrintable(modeName), 100.0 * anchorErr / std::max(1, anchorRef), 100.0 * descErr / std::max(1, descRef),
                    noiseWords, cpu / std::max(1e-9, speech), load);
        std::fflush(stdout);
    }
    return 0;
}
