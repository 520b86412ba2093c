#include "VoiceClips.h"

#include "platform/AudioFile.h"
#include "voice/Synthesizer.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace voicebench {

const Condition kConditions[kConditionCount] = {
    {"clean", "clean", nullptr, 0},
    {"noise20", "room noise 20 dB", nullptr, 20},
    {"noise10", "room noise 10 dB", nullptr, 10},
    {"band", "headset 300-3400 Hz", "sinc 300-3400", 0},
    {"pitch-300", "pitch -300 cents", "pitch -300", 0},
    {"pitch+300", "pitch +300 cents", "pitch 300", 0},
    {"tempo0.9", "tempo 0.9", "tempo -s 0.9", 0},
    {"tempo1.1", "tempo 1.1", "tempo -s 1.1", 0},
};
const VoiceName kVoices[kVoiceCount] = {{"rms", false}, {"slt", false}, {"awb", false}, {"kal16", false},
                                         {"cmu_us_slt_arctic_hts", true}, {"ked_diphone", true}};

namespace {

bool readRaw(const QString& path, Pcm& out) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray b = f.readAll();
    out.resize(size_t(b.size()) / 2);
    std::memcpy(out.data(), b.constData(), out.size() * 2);
    return !out.empty();
}
bool writeRaw(const QString& path, const Pcm& pcm) {
    const QString part = path + QStringLiteral(".part");
    QFile f(part);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(reinterpret_cast<const char*>(pcm.data()), qint64(pcm.size() * 2));
    f.close();
    QFile::remove(path);
    return QFile::rename(part, path);
}

// Festival says the procedure words from the French and some letters better when written out.
QString forFestival(QString text) {
    text.replace(QStringLiteral("Securite"), QStringLiteral("Say cure ee tay"), Qt::CaseInsensitive);
    text.replace(QStringLiteral("MMSI"), QStringLiteral("M M S I"));
    text.replace(QStringLiteral("UTC"), QStringLiteral("U T C"));
    return text;
}

// Through sox with an effect.
Pcm soxed(const Pcm& in, const char* effect, const QString& scratch) {
    const QString a = scratch + QStringLiteral("-in.raw"), b = scratch + QStringLiteral("-out.raw");
    const QString format = QStringLiteral("-t raw -r 16000 -e signed -b 16 -c 1");
    Pcm out;
    if (writeRaw(a, in) && run(QStringLiteral("sox -q %1 '%2' %1 '%3' %4").arg(format, a, b, QString::fromLatin1(effect))))
        readRaw(b, out);
    QFile::remove(a);
    QFile::remove(b);
    return out;
}

// The mean power of the speech: over its 20 ms frames within 40 dB of the loudest.
double speechPower(const Pcm& s) {
    std::vector<double> frames;
    for (size_t i = 0; i + 320 <= s.size(); i += 320) {
        double p = 0;
        for (size_t j = i; j < i + 320; ++j) p += double(s[j]) * s[j];
        frames.push_back(p / 320);
    }
    if (frames.empty()) return 1;
    const double top = *std::max_element(frames.begin(), frames.end());
    double sum = 0;
    int n = 0;
    for (double p : frames)
        if (p >= top * 1e-4) sum += p, ++n;
    return n ? sum / n : 1;
}

// Room noise, white or pink, at `snr` dB below the speech's power, over the padded clip.
Pcm withNoise(const Pcm& padded, double power, double snr, quint64 seed, bool pink) {
    quint64 state = seed * 0x9E3779B97F4A7C15ull + 12345;
    auto uniform = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return (double(state >> 11) + 0.5) / 9007199254740992.0;
    };
    std::vector<double> noise(padded.size());
    double b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0, np = 0;
    for (double& x : noise) {
        const double w = std::sqrt(-2.0 * std::log(uniform())) * std::cos(2.0 * M_PI * uniform());
        if (pink) {  // Paul Kellet's filter
            b0 = 0.99886 * b0 + w * 0.0555179;
            b1 = 0.99332 * b1 + w * 0.0750759;
            b2 = 0.96900 * b2 + w * 0.1538520;
            b3 = 0.86650 * b3 + w * 0.3104856;
            b4 = 0.55000 * b4 + w * 0.5329522;
            b5 = -0.7616 * b5 - w * 0.0168980;
            x = b0 + b1 + b2 + b3 + b4 + b5 + b6 + w * 0.5362;
            b6 = w * 0.115926;
        } else {
            x = w;
        }
        np += x * x;
    }
    np /= double(std::max<size_t>(1, noise.size()));
    const double gain = std::sqrt(power / std::pow(10.0, snr / 10.0) / np);
    Pcm out(padded.size());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = qint16(std::clamp(std::lround(padded[i] + gain * noise[i]), -32768l, 32767l));
    return out;
}

QString keyOf(const VoiceCase& c, int voice, int index) {
    QCryptographicHash h(QCryptographicHash::Md5);
    h.addData(c.text.toUtf8());
    h.addData(QByteArray::number(int(c.source)));
    h.addData(QByteArray(kVoices[voice].id));
    return QStringLiteral("%1-%2-%3").arg(index, 3, 10, QLatin1Char('0')).arg(QString::fromLatin1(kVoices[voice].id),
                                                                              QString::fromLatin1(h.result().toHex().left(10)));
}

} // namespace

bool run(const QString& command) { return std::system(qPrintable(command + QStringLiteral(" >/dev/null 2>&1"))) == 0; }

std::mutex fliteLock;

Pcm speak(const QString& text, const VoiceName& v, const QString& scratch) {
    if (!v.festival) {
        std::lock_guard<std::mutex> hold(fliteLock);
        voice::Synthesizer synth;
        return synth.speak(text, QString::fromLatin1(v.id));
    }
    QFile t(scratch + QStringLiteral(".txt"));
    if (!t.open(QIODevice::WriteOnly)) return {};
    t.write(forFestival(text).toUtf8());
    t.close();
    const QString wav = scratch + QStringLiteral(".wav");
    if (!run(QStringLiteral("text2wave -eval '(voice_%1)' '%2' -o '%3'").arg(QString::fromLatin1(v.id), t.fileName(), wav)))
        return {};
    const std::vector<float> mono = platform::readMono(wav, kRate);
    QFile::remove(wav);
    return platform::toInt16(mono);
}

int makeClips(std::vector<Clip>& clips, const std::vector<VoiceCase>& cases, const std::vector<int>& chosen,
              const std::vector<int>& conditions, int (*voiceOf)(int), const QString& cache, int* madeCount) {
    clips.clear();
    for (int i : chosen)
        for (int c : conditions) clips.push_back({i, voiceOf(i), c, {}, {}, {}, 0});
    std::atomic<int> made{0}, failed{0};
    auto prepare = [&](int thread) {
        const QString scratch = QStringLiteral("%1/scratch-%2-%3").arg(cache).arg(QCoreApplication::applicationPid()).arg(thread);
        for (size_t k = 0; k < chosen.size(); ++k) {
            if (int(k % 2) != thread) continue;
            const int i = chosen[k];
            const VoiceCase& vc = cases[size_t(i)];
            const QString key = cache + QLatin1Char('/') + keyOf(vc, voiceOf(i), i);
            Pcm padded;
            for (int c : conditions) {
                Clip& clip = clips[k * conditions.size() + size_t(std::find(conditions.begin(), conditions.end(), c) - conditions.begin())];
                const QString path = key + QLatin1Char('-') + QString::fromLatin1(kConditions[c].id) + QStringLiteral(".raw");
                if (readRaw(path, clip.audio)) continue;
                if (padded.empty()) {
                    const QString base = key + QStringLiteral("-speech.raw");
                    Pcm speech;
                    if (!readRaw(base, speech)) {
                        speech = vc.source == Source::Speech ? speak(vc.text, kVoices[voiceOf(i)], scratch)
                                                              : voicebench::madeSound(vc.source, 4.0, unsigned(i));
                        if (speech.empty()) { ++failed; break; }
                        writeRaw(base, speech);
                    }
                    padded.assign(kPad, 0);
                    padded.insert(padded.end(), speech.begin(), speech.end());
                    padded.insert(padded.end(), kPad, 0);
                }
                const Condition& cond = kConditions[c];
                if (cond.snr > 0) {
                    const Pcm speechOnly(padded.begin() + kPad, padded.end() - kPad);
                    clip.audio = withNoise(padded, speechPower(speechOnly), cond.snr, quint64(i) * 16 + quint64(c), (i + c) % 2 == 1);
                } else if (cond.sox) {
                    clip.audio = soxed(padded, cond.sox, scratch);
                } else {
                    clip.audio = padded;
                }
                if (clip.audio.empty()) { ++failed; continue; }
                writeRaw(path, clip.audio);
                ++made;
            }
        }
    };
    {
        std::thread a(prepare, 0), b(prepare, 1);
        a.join();
        b.join();
    }
    *madeCount = made;
    return failed;
}

} // namespace voicebench
