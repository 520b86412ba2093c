// The receiver measured:
//   sensitivity CALLS [MINIMODEM_ARGS...]: the same noisy recordings (fixed seeds, white noise in
//     1 dB steps, starts off the bit boundary) decoded by our decoder and by minimodem's
//     demodulation feeding our symbol decoder; the lowest signal-to-noise ratio (signal power over
//     the noise power in the whole band, 48 kHz) from which on at least 90 % of the calls decode.
//     minimodem hands out raw groups of 60 bits (--binary-raw 60), which gave its best figure: it
//     finds its timing afresh for each group and now and then slips a bit where a recording does
//     not start on a group boundary. Measured with 30 calls a step: groups of 10 bits never
//     reached 90 % (one call in six lost even at 20 dB), 20 bits +5 dB, 30 bits +2 dB, 60 bits
//     +1 dB; groups of 64 bits gave no call at all.
//   stream PROGRAM SECONDS RATE: the program's --decode - fed SECONDS of raw audio at RATE through a
//     pipe (a call every 30 s in noise at 10 dB): seconds of audio per second of its processor time
//     and its peak memory.
// Every summary line starts with "ROW |" for bench/run's table; the details go to standard error.
#include "dscwire/Codec.h"
#include "dscwire/Message.h"
#include "dscwire/Wav.h"
#include "platform/AudioFile.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dscwire;

namespace {

// A call of one of several kinds, its stations drawn from the seed.
Message callOf(unsigned seed) {
    std::mt19937 rng(seed);
    auto mmsi = [&rng] { return QString::number(200000000 + rng() % 500000000); };
    const QString self = mmsi(), other = mmsi();
    switch (seed % 5) {
    case 0: return Message::distressAlert(self, 100 + int(rng() % 11), Position::of(int(rng() % 4), 42, 21, 70, 55), QTime(14, 32));
    case 1: return Message::individual(other, code::kRoutine, self, 6 + int(rng() % 60));
    case 2: return Message::allShips(code::kSafety, self, 16);
    case 3: return Message::positionReply(Message::positionRequest(other, self), other, Position::of(1, 41, 43, 70, 12), QTime(9, 3));
    default: return Message::groupCall(QStringLiteral("036612345"), code::kRoutine, self, 72);
    }
}

double power(const Samples& s) {
    double p = 0;
    for (qint16 v : s) p += double(v) * v;
    return p / std::max<qsizetype>(1, s.size());
}

// The call in white noise at `snrDb`, behind a lead of noise that is no whole number of bits.
Samples noisy(const Samples& clean, double snrDb, unsigned seed) {
    std::mt19937 rng(seed * 7919u + 17u);
    std::normal_distribution<double> noise(0.0, std::sqrt(power(clean) / std::pow(10.0, snrDb / 10)));
    const qsizetype lead = 4800 + qsizetype(rng() % 4800), tail = 9600;
    Samples out;
    out.reserve(lead + clean.size() + tail);
    for (qsizetype i = 0; i < lead + clean.size() + tail; ++i) {
        const double x = (i >= lead && i < lead + clean.size() ? clean[i - lead] : 0) + noise(rng);
        out << qint16(std::clamp(std::lround(x), -32768L, 32767L));
    }
    return out;
}

bool oursDecodes(const Samples& audio, const Message& sent) {
    for (const Decoded& d : decodeAll(audio))
        if (d.message == sent) return true;
    return false;
}

bool minimodemDecodes(const QString& wav, const Message& sent, const QStringList& extra) {
    QProcess p;
    p.start(QStringLiteral("minimodem"), QStringList{"--rx", "-q", "-f", wav, "-M", "1300", "-S", "2100", "--startbits", "0",
                                                     "--stopbits", "0"} + extra + QStringList{"1200"});
    if (!p.waitForFinished(60000)) qFatal("minimodem did not finish");
    Bits bits;
    for (char c : p.readAllStandardOutput())
        if (c == '0' || c == '1') bits += c;
    const Decoded d = decodeBits(bits);
    return d.message == sent;
}

// The lowest SNR of the table from which on every step reaches 90 %.
int threshold(const std::vector<std::pair<int, int>>& table, int calls) {
    int lowest = table.front().first + 1;
    for (const auto& [snr, good] : table) {  // from the highest SNR down
        if (good * 10 < calls * 9) break;
        lowest = snr;
    }
    return lowest;
}

int sensitivity(int calls, const QStringList& minimodemArgs) {
    QTemporaryDir dir;
    std::vector<std::pair<int, int>> ours, theirs;
    for (int snr = 20; snr >= -10; --snr) {
        int good = 0, goodMinimodem = 0;
        for (int i = 0; i < calls; ++i) {
            const unsigned seed = unsigned(1000 * (snr + 20) + i);
            const Message m = callOf(seed);
            const Samples audio = noisy(encodeAudio(m).value(), snr, seed);
            good += oursDecodes(audio, m) ? 1 : 0;
            const QString wav = dir.filePath(QStringLiteral("call.wav"));
            if (!writeWavFile(wav, audio)) qFatal("cannot write %s", qPrintable(wav));
            goodMinimodem += minimodemDecodes(wav, m, minimodemArgs) ? 1 : 0;
        }
        std::fprintf(stderr, "sensitivity: %+3d dB: ours %3d / %d, minimodem %3d / %d\n", snr, good, calls, goodMinimodem, calls);
        ours.push_back({snr, good});
        theirs.push_back({snr, goodMinimodem});
        if (good * 10 < calls * 5 && goodMinimodem == 0) break;
    }
    const int a = threshold(ours, calls), b = threshold(theirs, calls);
    std::printf("ROW |Sensitivity: lowest SNR (whole 24 kHz band) with at least 90 %% of %d calls decoded, 1 dB steps|%d dB|"
                "%d dB (minimodem%s%s, our symbol decoder)|%d dB better|at least 2 dB better|%s|\n",
                calls, a, b, minimodemArgs.isEmpty() ? "" : " ", qPrintable(minimodemArgs.join(' ')), b - a,
                b - a >= 2 ? "yes" : "no");
    return 0;
}

// Feeds SECONDS of audio at RATE into `program --decode - --rate RATE` and measures it.
int stream(const QString& program, int seconds, int rate) {
    // Eight different 30-second pieces, each with a call in noise at 10 dB, played in turn.
    constexpr int kPiece = 30;
    std::vector<QByteArray> pieces;
    for (unsigned k = 0; k < 8; ++k) {
        const Samples call = encodeAudio(callOf(k)).value();
        std::mt19937 rng(k + 1);
        std::normal_distribution<double> noise(0.0, std::sqrt(power(call) / 10.0));
        std::vector<float> at48(size_t(kPiece * kSampleRate));
        const size_t at = size_t(kSampleRate * 10 + 17 * k);
        for (size_t i = 0; i < at48.size(); ++i) {
            const double x = (i >= at && i - at < size_t(call.size()) ? call[qsizetype(i - at)] : 0) + noise(rng);
            at48[i] = float(x / 32768.0);
        }
        std::vector<float> out;
        platform::Resampler(kSampleRate, rate).process(at48.data(), qint64(at48.size()), true, out);
        out.resize(size_t(kPiece * rate), 0.f);
        QByteArray bytes;
        bytes.reserve(qsizetype(out.size() * 2));
        for (qint16 v : platform::toInt16(out)) {
            char c[2];
            qToLittleEndian(v, c);
            bytes.append(c, 2);
        }
        pieces.push_back(bytes);
    }
    int toChild[2], fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) qFatal("pipe");
    const QByteArray exe = QFile::encodeName(program), rateText = QByteArray::number(rate);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(toChild[0], 0);
        dup2(fromChild[1], 1);
        close(toChild[1]);
        close(fromChild[0]);
        execl(exe.constData(), exe.constData(), "--decode", "-", "--rate", rateText.constData(), nullptr);
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    std::signal(SIGPIPE, SIG_IGN);
    const int total = seconds / kPiece;
    for (int i = 0; i < total; ++i) {
        const QByteArray& b = pieces[size_t(i) % pieces.size()];
        for (qsizetype done = 0; done < b.size();) {
            const ssize_t n = write(toChild[1], b.constData() + done, size_t(b.size() - done));
            if (n <= 0) qFatal("the decoder stopped reading");
            done += n;
        }
    }
    close(toChild[1]);
    int lines = 0;
    char buffer[4096];
    for (ssize_t n; (n = read(fromChild[0], buffer, sizeof buffer)) > 0;)
        for (ssize_t i = 0; i < n; ++i) lines += buffer[i] == '\n' ? 1 : 0;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    const double speed = total * kPiece / cpu;
    const double peakMb = double(usage.ru_maxrss) / 1024.0;
    std::fprintf(stderr, "stream: %d s at %d Hz: %d of %d calls, %.2f s of processor time, peak %.1f MiB\n", total * kPiece,
                 rate, lines, total, cpu, peakMb);
    std::printf("ROW |Decoding a raw stream (--decode -), %d min at %d Hz, a call every 30 s in noise: calls found|%d of %d|—|—|all|%s|\n",
                total * kPiece / 60, rate, lines, total, lines == total ? "yes" : "no");
    std::printf("ROW |Decoding speed at %d Hz: seconds of audio per second of processor time (one core)|%.0f x real time|—|—|at least 300 x|%s|\n",
                rate, speed, speed >= 300 ? "yes" : "no");
    if (seconds >= 3600)
        std::printf("ROW |Peak memory decoding a %d-minute stream|%.1f MiB|—|—|under 50 MB|%s|\n", total * kPiece / 60, peakMb,
                    peakMb * 1.048576 < 50 ? "yes" : "no");
    return lines == total && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() >= 2 && args[0] == QLatin1String("sensitivity"))
        return sensitivity(args[1].toInt(), args.size() > 2 ? args.mid(2) : QStringList{"--binary-raw", "60"});
    if (args.size() == 4 && args[0] == QLatin1String("stream")) return stream(args[1], args[2].toInt(), args[3].toInt());
    std::fprintf(stderr, "usage: bench_receiver sensitivity CALLS [MINIMODEM_ARGS...] | stream PROGRAM SECONDS RATE\n");
    return 2;
}
