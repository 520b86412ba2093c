// Recognition and judgement of spoken procedures, as trainees use them.
//
// The transmissions of bench/VoiceCases.h (every procedure in free wording, right or with one
// element left out or wrong, and some talk and sounds that are no procedure), each spoken by one of
// six voices in turn (flite's rms, slt, awb and kal16; festival's cmu_us_slt_arctic_hts and
// ked_diphone) and heard in eight conditions: clean; room noise at 20 and 10 dB SNR (white or pink,
// the level measured on the speech); a headset's 300-3400 Hz band; pitch 300 cents down and up;
// tempo 0.9 and 1.1. Half a second of room before and after the speech, as when the key is pressed
// a little early. Each clip is recognised and judged, on two threads with a recogniser each:
//   - the procedure's kind right;
//   - right transmissions with an element falsely judged wrong;
//   - elements unclear (of all elements judged);
//   - elements left out or said wrong on purpose that were judged wrong (caught);
//   - processor time of one core per second of speech (recognition only, after one recognition
//     that loads the model, whose time is reported).
// Synthesized and transformed audio is kept in a cache folder, so that a second run only
// recognises.
// Usage: bench_voice [--quick] [--mode lm|grammar|both] [--cache DIR] [--keep DIR] [--seconds N]
//                    [--show] [--list]
//   --quick: a fifth of the transmissions, clean, 10 dB and the headset band only;
//   --mode: how the recogniser works (its own default otherwise);
//   --cache: the audio cache (default /tmp/vhf-bench-voice-cache);
//   --keep: every misjudged clip written to DIR as a WAV file;
//   --seconds: recognition stops after N seconds, the figures resting on the clips recognised by
//     then (they are taken in a fixed random order);
//   --show: the words heard of every clip; --list: the transmissions and their labels, then stops.
// Prints the misjudged clips, a table per condition and per voice, then "ROW |...|" lines for
// bench/run's table. Needs sox, flite's four voices, festival with festvox-us-slt-hts and
// festvox-kdlpc16k, and pocketsphinx.
#include "VoiceClips.h"
#include "platform/AudioFile.h"
#include "voice/Procedure.h"
#include "voice/Recognizer.h"
#include "voice/Synthesizer.h"
#include "voice/Phrases.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <map>
#include <mutex>
#include <thread>

using namespace voicebench;

namespace {

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

struct Tally {
    int clips = 0, kindRight = 0, correct = 0, falseWrong = 0, elements = 0, unclear = 0, faults = 0, caught = 0;
    double speech = 0, cpu = 0;
    void add(const Tally& o) {
        clips += o.clips, kindRight += o.kindRight, correct += o.correct, falseWrong += o.falseWrong;
        elements += o.elements, unclear += o.unclear, faults += o.faults, caught += o.caught;
        speech += o.speech, cpu += o.cpu;
    }
    static double pct(int a, int b) { return b ? 100.0 * a / b : 0.0; }
    double kind() const { return pct(kindRight, clips); }
    double wrong() const { return pct(falseWrong, correct); }
    double unclearShare() const { return pct(unclear, elements); }
    double caughtShare() const { return pct(caught, faults); }
    double perSecond() const { return speech > 0 ? cpu / speech : 0; }
};

void printTable(const char* title, const std::vector<std::pair<QString, Tally>>& rows) {
    std::printf("\n%-24s %6s %9s %13s %10s %10s %8s\n", title, "clips", "kind ok", "false wrong", "unclear", "caught", "s/s");
    for (const auto& [name, t] : rows)
        std::printf("%-24s %6d %8.1f%% %7.1f%% (%3d) %8.1f%% %6.1f%% (%2d) %8.3f\n", qPrintable(name), t.clips, t.kind(),
                    t.wrong(), t.correct, t.unclearShare(), t.caughtShare(), t.faults, t.perSecond());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool quick = args.contains(QStringLiteral("--quick")), show = args.contains(QStringLiteral("--show"));
    auto option = [&args](const char* name, const QString& otherwise) {
        const qsizetype at = args.indexOf(QString::fromLatin1(name));
        return at > 0 && at + 1 < args.size() ? args[at + 1] : otherwise;
    };
    const QString keep = option("--keep", QString());
    const QString cache = option("--cache", QStringLiteral("/tmp/vhf-bench-voice-cache"));
    const QString mode = option("--mode", QString());
    const int seconds = option("--seconds", QStringLiteral("0")).toInt();
    const auto& cases = voicebench::voiceCases();

    if (args.contains(QStringLiteral("--list"))) {
        for (const VoiceCase& c : cases)
            std::printf("%-34s %-12s %-14s %s\n", qPrintable(c.name), qPrintable(voice::kindName(c.kind)),
                        c.fault.isEmpty() ? "right" : qPrintable(c.fault), qPrintable(c.text));
        return 0;
    }
    if (!mode.isEmpty() && mode != QLatin1String("lm") && mode != QLatin1String("grammar") && mode != QLatin1String("both")) {
        std::fprintf(stderr, "bench_voice: --mode takes lm, grammar or both\n");
        return 2;
    }
    if (!voice::Recognizer::unavailable().isEmpty()) {
        std::fprintf(stderr, "bench_voice: no speech recognition here: %s\n", qPrintable(voice::Recognizer::unavailable()));
        return 1;
    }
    if (!QDir().mkpath(cache) || (!keep.isEmpty() && !QDir().mkpath(keep))) {
        std::fprintf(stderr, "bench_voice: cannot make the folders %s and %s\n", qPrintable(cache), qPrintable(keep));
        return 1;
    }
    // The six voices, each tried once: the bench stops when one is missing.
    if (!run(QStringLiteral("sox --version"))) {
        std::fprintf(stderr, "bench_voice: sox is missing (apt-get install sox)\n");
        return 1;
    }
    for (int v = 0; v < kVoiceCount; ++v) {
        const Pcm p = speak(QStringLiteral("Mayday"), kVoices[v], cache + QStringLiteral("/probe"));
        if (p.size() < size_t(kRate / 10)) {
            std::fprintf(stderr, "bench_voice: the voice %s is missing (%s); it needs %s\n", kVoices[v].id,
                         kVoices[v].festival ? "festival" : "flite",
                         kVoices[v].festival ? "festival, festvox-us-slt-hts and festvox-kdlpc16k" : "flite1-dev and libflite1");
            return 1;
        }
    }

    std::vector<int> conditions, chosen;
    for (int c = 0; c < kConditionCount; ++c)
        if (!quick || c == 0 || c == 2 || c == 3) conditions.push_back(c);
    for (int i = 0; i < int(cases.size()); ++i)
        if (!quick || i % 5 == 0) chosen.push_back(i);
    const auto voiceOf = [](int i) { return i % kVoiceCount; };

    // The audio of every clip, from the cache or made (two threads).
    std::vector<Clip> clips;
    QElapsedTimer wall;
    wall.start();
    int made = 0;
    if (const int failed = makeClips(clips, cases, chosen, conditions, voiceOf, cache, &made)) {
        std::fprintf(stderr, "bench_voice: %d clips could not be made (synthesis or sox failed)\n", failed);
        return 1;
    }
    std::printf("bench_voice: %zu transmissions, %zu clips (%d made, the rest from %s) in %.0f s\n", chosen.size(),
                clips.size(), made, qPrintable(cache), wall.nsecsElapsed() / 1e9);
    std::fflush(stdout);

    // Recognition and judgement on two threads, a recogniser each.
    const voice::Speaker speaker = voicetest::kelpo();
    QStringList names{speaker.own.name};
    for (const voice::Station& s : speaker.known) names << s.name;
    // Taken in a shuffled order (fixed), so that a run cut short by --seconds is a fair sample.
    std::vector<size_t> order(clips.size());
    for (size_t k = 0; k < order.size(); ++k) order[k] = k;
    quint64 shuffle = 20261208;
    for (size_t k = order.size(); k > 1; --k) {
        shuffle = shuffle * 6364136223846793005ull + 1442695040888963407ull;
        std::swap(order[k - 1], order[size_t((shuffle >> 33) % k)]);
    }
    QElapsedTimer budget;
    std::atomic<size_t> nextClip{0};
    std::atomic<int> done{0};
    double loadSeconds[2] = {0, 0};
    QString modeName;
    std::mutex modeLock;
    auto recognise = [&](int thread) {
        voice::Recognizer r;
        r.setNames(names);
        if (mode == QLatin1String("lm")) r.setMode(voice::Recognizer::Mode::LanguageModel);
        else if (mode == QLatin1String("grammar")) r.setMode(voice::Recognizer::Mode::Grammar);
        else if (mode == QLatin1String("both")) r.setMode(voice::Recognizer::Mode::Both);
        {
            std::lock_guard<std::mutex> hold(modeLock);
            modeName = r.mode() == voice::Recognizer::Mode::LanguageModel ? QStringLiteral("language model")
                       : r.mode() == voice::Recognizer::Mode::Grammar     ? QStringLiteral("grammar")
                                                                          : QStringLiteral("both");
        }
        // The warm-up: the model is loaded with the first recognition.
        Pcm warm;
        {
            std::lock_guard<std::mutex> hold(fliteLock);
            voice::Synthesizer synth;
            warm = synth.speak(QStringLiteral("Kelpo, this is Boston Coast Guard. Over."), QStringLiteral("rms"));
        }
        const double t0 = threadCpuSeconds();
        r.hear(warm);
        loadSeconds[thread] = threadCpuSeconds() - t0;
        for (size_t k; (k = nextClip++) < clips.size();) {
            if (seconds > 0 && budget.elapsed() > seconds * 1000) break;
            Clip& clip = clips[order[k]];
            const double start = threadCpuSeconds();
            const voice::Hearing heard = r.hear(clip.audio);
            clip.cpu = threadCpuSeconds() - start;
            clip.words = heard.words;
            clip.judgement = voice::judge(heard, speaker);
            clip.recognised = true;
            const int n = ++done;
            if (n % 100 == 0) {
                std::fprintf(stderr, "bench_voice: %d of %zu clips recognised\n", n, clips.size());
            }
        }
    };
    wall.restart();
    budget.start();
    {
        std::thread a(recognise, 0), b(recognise, 1);
        a.join();
        b.join();
    }
    const double recognitionWall = wall.nsecsElapsed() / 1e9;

    // Tallies by condition and by voice.
    std::map<int, Tally> byCondition, byVoice;
    Tally all;
    int kept = 0;
    int recognised = 0;
    for (const Clip& clip : clips) {
        if (!clip.recognised) continue;
        ++recognised;
        const VoiceCase& vc = cases[size_t(clip.caseIndex)];
        const voice::Judgement& j = clip.judgement;
        Tally t;
        t.clips = 1;
        t.kindRight = j.kind == vc.kind;
        t.speech = double(clip.audio.size() - 2 * kPad) / kRate;
        t.cpu = clip.cpu;
        QStringList marks;
        bool misjudged = !t.kindRight;
        if (vc.kind != voice::Kind::None) {
            for (const voice::Element& e : j.elements) {
                ++t.elements;
                t.unclear += e.unclear;
                if (!e.ok) marks << e.id + QLatin1Char(':') + voice::markOf(e);
            }
            if (vc.fault.isEmpty()) {
                t.correct = 1;
                t.falseWrong = std::any_of(j.elements.begin(), j.elements.end(), [](const voice::Element& e) { return e.wrong(); });
                misjudged |= t.falseWrong != 0;
            } else {
                t.faults = 1;
                const voice::Element* e = j.element(vc.fault);
                t.caught = e && e->wrong();
                misjudged |= !t.caught;
            }
        }
        byCondition[clip.condition].add(t);
        byVoice[vc.source == Source::Speech ? clip.voice : kVoiceCount].add(t);
        all.add(t);
        if (misjudged || show) {
            std::printf("%s %-34s %-22s %-9s -> %-12s%s%s\n     heard: %s\n", misjudged ? "MISS" : "ok  ", qPrintable(vc.name),
                        vc.source == Source::Speech ? kVoices[clip.voice].id : "(sound)", kConditions[clip.condition].id,
                        qPrintable(voice::kindName(j.kind)), marks.isEmpty() ? "" : "  not ok: ",
                        qPrintable(marks.join(QLatin1Char(' '))), qPrintable(clip.words));
        }
        if (misjudged && !keep.isEmpty()) {
            const QString name = QStringLiteral("%1/%2-%3-%4.wav")
                                     .arg(keep, QString(vc.name).replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9-]+")), QStringLiteral("_")),
                                          QString::fromLatin1(kVoices[clip.voice].id), QString::fromLatin1(kConditions[clip.condition].id));
            kept += platform::writeAudioFile(name, platform::toFloat(clip.audio), kRate, platform::AudioFormat::Wav);
        }
    }
    if (recognised == 0) {
        std::fprintf(stderr, "bench_voice: no clip was recognised\n");
        return 1;
    }
    std::vector<std::pair<QString, Tally>> rows;
    for (const auto& [c, t] : byCondition) rows.push_back({QString::fromLatin1(kConditions[c].label), t});
    rows.push_back({QStringLiteral("all"), all});
    printTable("condition", rows);
    rows.clear();
    for (const auto& [v, t] : byVoice)
        rows.push_back({v < kVoiceCount ? QString::fromLatin1(kVoices[v].id) : QStringLiteral("(sounds, no voice)"), t});
    rows.push_back({QStringLiteral("all"), all});
    printTable("voice", rows);
    const double load = std::max(loadSeconds[0], loadSeconds[1]);
    std::printf("\nrecogniser mode: %s; model load (the first recognition) %.2f s of CPU; recognition took %.0f s on 2 "
                "threads for %.0f s of speech%s\n",
                qPrintable(modeName), load, recognitionWall, all.speech,
                keep.isEmpty() ? "" : qPrintable(QStringLiteral("; %1 misjudged clips written to %2").arg(kept).arg(keep)));

    if (recognised < int(clips.size()))
        std::printf("cut short after %d s: %d of %zu clips recognised, taken at random\n", seconds, recognised, clips.size());
    QString sample = QStringLiteral("%1 transmissions x %2 conditions%3")
                         .arg(chosen.size())
                         .arg(conditions.size())
                         .arg(quick ? QStringLiteral(", quick") : QString());
    if (recognised < int(clips.size())) sample += QStringLiteral(", cut short: %1 of them").arg(recognised);
    auto row = [](const QString& figure, const QString& value, const QString& goal, bool met) {
        std::printf("ROW |%s|%s|—|—|%s|%s|\n", qPrintable(figure), qPrintable(value), qPrintable(goal), met ? "yes" : "no");
    };
    auto unclearAt = [&](int c) { return byCondition.count(c) ? byCondition[c].unclearShare() : -1.0; };
    const QString mn = modeName.isEmpty() ? QString() : QStringLiteral(", ") + modeName;
    row(QStringLiteral("Voice: procedure kind right (%1 clips: %2, six voices%3)").arg(all.clips).arg(sample, mn),
        QStringLiteral("%1 %").arg(all.kind(), 0, 'f', 1), QStringLiteral("at least 97 %"), all.kind() >= 97.0);
    row(QStringLiteral("Voice: right transmissions with an element falsely judged wrong (%1 clips)").arg(all.correct),
        QStringLiteral("%1 %").arg(all.wrong(), 0, 'f', 1), QStringLiteral("at most 3 %"), all.wrong() <= 3.0);
    row(QStringLiteral("Voice: elements unclear, clean (%1 elements)").arg(byCondition[0].elements),
        QStringLiteral("%1 %").arg(unclearAt(0), 0, 'f', 1), QStringLiteral("at most 10 %"), unclearAt(0) <= 10.0);
    for (int c : {2, 3})
        if (byCondition[c].elements > 0)
            row(QStringLiteral("Voice: elements unclear, %1 (%2 elements)").arg(QString::fromLatin1(kConditions[c].label)).arg(byCondition[c].elements),
            QStringLiteral("%1 %").arg(unclearAt(c), 0, 'f', 1), QStringLiteral("at most 25 %"), unclearAt(c) <= 25.0);
    row(QStringLiteral("Voice: elements left out or wrong that were judged wrong (%1 clips)").arg(all.faults),
        QStringLiteral("%1 %").arg(all.caughtShare(), 0, 'f', 1), QStringLiteral("at least 90 %"), all.caughtShare() >= 90.0);
    row(QStringLiteral("Voice: recognition, CPU of one core per second of speech (%1 s of speech; model load %2 s once)")
            .arg(all.speech, 0, 'f', 0)
            .arg(load, 0, 'f', 2),
        QStringLiteral("%1 s").arg(all.perSecond(), 0, 'f', 3), QStringLiteral("at most 0.3 s"), all.perSecond() <= 0.3);
    return 0;
}
