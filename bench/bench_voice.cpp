// Recognition of spoken procedures, as a trainee's radio judges them.
//
// Every transmission of tests/voice/Phrases.h (each procedure, right and with a typical mistake)
// spoken by each of flite's voices, once clean and once in wideband white room noise at 20 dB SNR
// (a fixed seed per clip), is recognised from the microphone's sound and judged:
//   - the procedure's kind right, of all clips;
//   - the element verdicts right (each element of the reference judgement, right or wrong as there);
//   - word error rate against the words of the text, clean and in noise;
//   - recognition time per second of speech (after one recognition that loads the model).
// Usage: bench_voice [--quick] [--show] [--keep DIR]
//   --quick: two voices, clean only; --show: every clip's words; --keep: writes each clip whose
//   kind or verdicts came out wrong to DIR as a WAV file, to listen to or to run through --transcribe.
// Prints one line per clip, then "ROW |...|" lines for bench/run's table.
#include "platform/AudioFile.h"
#include "voice/Procedure.h"
#include "voice/Recognizer.h"
#include "voice/Synthesizer.h"
#include "voice/Phrases.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cmath>
#include <cstdio>

namespace {

// Speech in a room with white noise of the power that makes the SNR, heard from a little before
// the speech (the key pressed) to a little after it.
std::vector<qint16> withNoise(const std::vector<qint16>& speech, double snrDb, quint32 seed) {
    double power = 0;
    for (qint16 s : speech) power += double(s) * s;
    power /= double(std::max<size_t>(1, speech.size()));
    std::vector<qint16> room(4800, 0);
    room.insert(room.end(), speech.begin(), speech.end());
    room.insert(room.end(), 4800, 0);
    const double sigma = std::sqrt(power / std::pow(10.0, snrDb / 10.0));
    quint64 state = 0x9E3779B97F4A7C15ull * (seed + 1);
    auto uniform = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return (double(state >> 11) + 0.5) / 9007199254740992.0;
    };
    std::vector<qint16> out(room.size());
    for (size_t i = 0; i < room.size(); ++i) {
        const double gauss = std::sqrt(-2.0 * std::log(uniform())) * std::cos(2.0 * M_PI * uniform());
        out[i] = qint16(std::clamp(room[i] + sigma * gauss, -32768.0, 32767.0));
    }
    return out;
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

struct Tally {
    int clips = 0, kinds = 0, elements = 0, elementsRight = 0, words = 0, errors = 0;
    double speechSeconds = 0, recognitionSeconds = 0;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool quick = args.contains(QStringLiteral("--quick")), show = args.contains(QStringLiteral("--show"));
    const qsizetype keepAt = args.indexOf(QStringLiteral("--keep"));
    const QString keep = keepAt > 0 && keepAt + 1 < args.size() ? args[keepAt + 1] : QString();
    voice::Synthesizer synth;
    QStringList voices;
    for (const QString& v : {QStringLiteral("rms"), QStringLiteral("slt"), QStringLiteral("awb"), QStringLiteral("kal16")})
        if (voice::Synthesizer::voices().contains(v)) voices << v;
    if (voices.size() < 3 || !voice::Recognizer::unavailable().isEmpty()) {
        std::fprintf(stderr, "bench_voice: needs three of flite's voices and pocketsphinx: %s\n",
                     qPrintable(voice::Recognizer::unavailable() + voice::Synthesizer::unavailable()));
        return 1;
    }
    if (quick) voices = voices.mid(0, 2);
    const voice::Speaker speaker = voicetest::kelpo();
    QStringList names{speaker.own.name};
    for (const voice::Station& s : speaker.known) names << s.name;
    voice::Recognizer recognizer;
    recognizer.setNames(names);
    QElapsedTimer load;
    load.start();
    recognizer.recognize(synth.speak(QStringLiteral("Kelpo, this is Boston Coast Guard. Over."), voices.first()));
    const double loadSeconds = load.nsecsElapsed() / 1e9;

    Tally clean, noisy;
    quint32 seed = 0;
    for (const voicetest::SpokenCase& c : voicetest::spokenCases()) {
        const QString reference = voicetest::wordsOf(c.text);
        const voice::Judgement expected = voice::judge(reference, speaker);
        for (const QString& v : voices) {
            const std::vector<qint16> speech = synth.speak(QString::fromUtf8(c.text), v);
            for (bool inNoise : {false, true}) {
                if (inNoise && quick) continue;
                Tally& t = inNoise ? noisy : clean;
                const std::vector<qint16> audio = inNoise ? withNoise(speech, 20.0, ++seed) : speech;
                QElapsedTimer timer;
                timer.start();
                const QString words = recognizer.recognize(audio);
                const double took = timer.nsecsElapsed() / 1e9;
                const voice::Judgement got = voice::judge(words, speaker);
                int right = 0;
                QStringList misjudged;
                for (const voice::Element& e : expected.elements) {
                    const voice::Element* g = got.element(e.id);
                    if (g && g->ok == e.ok) ++right;
                    else misjudged << e.id;
                }
                const QStringList ref = reference.split(QLatin1Char(' ')), hyp = words.split(QLatin1Char(' '), Qt::SkipEmptyParts);
                const int errors = editDistance(ref, hyp);
                if (!keep.isEmpty() && (got.kind != c.kind || !misjudged.isEmpty()))
                    platform::writeAudioFile(QStringLiteral("%1/%2-%3-%4.wav").arg(keep, QString::fromUtf8(c.name).replace(QLatin1Char(' '), QLatin1Char('_')), v, inNoise ? QStringLiteral("noise") : QStringLiteral("clean")),
                                             platform::toFloat(audio), 16000, platform::AudioFormat::Wav);
                ++t.clips;
                t.kinds += got.kind == c.kind;
                t.elements += int(expected.elements.size());
                t.elementsRight += right;
                t.words += int(ref.size());
                t.errors += errors;
                t.speechSeconds += speech.size() / 16000.0;
                t.recognitionSeconds += took;
                std::printf("clip %-36s %-5s %-5s kind %-12s elements %2d/%-2d WER %5.1f %% %.3f s/s%s%s\n",
                            qPrintable(QString::fromUtf8(c.name)), qPrintable(v), inNoise ? "noise" : "clean",
                            qPrintable(voice::kindName(got.kind)), right, int(expected.elements.size()),
                            100.0 * errors / ref.size(), took / (speech.size() / 16000.0),
                            misjudged.isEmpty() ? "" : qPrintable(QStringLiteral(" misjudged: ") + misjudged.join(QLatin1Char(','))),
                            show || errors ? qPrintable(QStringLiteral("\n     heard: ") + words) : "");
                std::fflush(stdout);
            }
        }
    }
    Tally all = clean;
    all.clips += noisy.clips, all.kinds += noisy.kinds, all.elements += noisy.elements;
    all.elementsRight += noisy.elementsRight, all.words += noisy.words, all.errors += noisy.errors;
    all.speechSeconds += noisy.speechSeconds, all.recognitionSeconds += noisy.recognitionSeconds;
    const double kindShare = 100.0 * all.kinds / all.clips, elementShare = 100.0 * all.elementsRight / all.elements;
    const double perSecond = all.recognitionSeconds / all.speechSeconds;
    const auto wer = [](const Tally& t) { return t.words ? 100.0 * t.errors / t.words : 0.0; };
    std::printf("ROW |Voice: procedure kind right (%d clips: %lld transmissions x %lld voices%s)|%.1f %%|—|—|at least 95 %%|%s|\n",
                all.clips, qsizetype(voicetest::spokenCases().size()), voices.size(),
                quick ? ", clean" : ", clean and in 20 dB noise", kindShare, kindShare >= 95.0 ? "yes" : "no");
    std::printf("ROW |Voice: element verdicts right (%d elements)|%.1f %%|—|—|at least 90 %%|%s|\n", all.elements,
                elementShare, elementShare >= 90.0 ? "yes" : "no");
    std::printf("ROW |Voice: word error rate on the procedures' words, clean / 20 dB noise (%d words)|%.1f %% / %.1f %%|—|—|reported|—|\n",
                all.words, wer(clean), wer(noisy));
    std::printf("ROW |Voice: recognition time per second of speech (%.0f s of speech; model load %.2f s once)|%.3f s|—|—|at most 0.2 s|%s|\n",
                all.speechSeconds, loadSeconds, perSecond, perSecond <= 0.2 ? "yes" : "no");
    return 0;
}
