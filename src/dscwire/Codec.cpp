#include "dscwire/Codec.h"

#include <array>
#include <cmath>
#include <functional>
#include <numbers>

namespace dscwire {
namespace {

constexpr int kDxPhasingCount = 6;  // DX sends 125 six times
constexpr int kRxPhasingCount = 8;  // RX sends 111 down to 104
constexpr int kSyncChars = 12;      // 125 111 125 110 ... 125 106: the phasing before the format
constexpr int kSyncBits = kSyncChars * 10;
constexpr int kMaxMessageChars = 64;  // the longest VHF call has 27; beyond this there is no EOS
constexpr double kAmplitude = 16000.0;

bool isEos(int c) { return c == code::kAckRequired || c == code::kAcknowledgement || c == code::kOtherEos; }

// The bits the receiver looks for: the phasing up to the first format specifier.
const std::array<float, kSyncBits>& syncPattern() {
    static const auto pattern = [] {
        std::array<float, kSyncBits> p{};
        for (int i = 0; i < kSyncChars; ++i) {
            const int sym = i % 2 == 0 ? code::kDxPhasing : code::kRxPhasingFirst - i / 2;
            const Bits b = characterBits(sym);
            for (int k = 0; k < 10; ++k) p[i * 10 + k] = b[k] == '1' ? 1.f : -1.f;
        }
        return p;
    }();
    return pattern;
}

// Soft bit decisions, +1 for a clear 1 and -1 for a clear 0, reached by position. For bits the
// positions are bits; for audio they are samples, one bit every kSamplesPerBit.
struct SoftStream {
    std::function<float(qint64)> at;
    qint64 length = 0;  // positions that have a decision
    int stride = 1;     // positions per bit
};

// The next place at or after `from` where the phasing starts, or -1. A place qualifies when the
// hard decisions agree with the phasing in at least 85% of its bits; of the places within a bit
// of the first one, the one where the soft decisions agree best is the middle of the bits.
qint64 findPhasing(const SoftStream& s, qint64 from) {
    const auto& pat = syncPattern();
    const qint64 span = qint64(kSyncBits - 1) * s.stride;
    const int step = std::max(1, s.stride / 10);
    auto agree = [&](qint64 pos, int bits) {
        int sum = 0;
        for (int k = 0; k < bits; ++k) sum += (s.at(pos + qint64(k) * s.stride) > 0) == (pat[k] > 0) ? 1 : -1;
        return sum;
    };
    auto soft = [&](qint64 pos) {
        float sum = 0;
        for (int k = 0; k < kSyncBits; ++k) sum += pat[k] * s.at(pos + qint64(k) * s.stride);
        return sum;
    };
    constexpr int kNeeded = kSyncBits * 7 / 10;  // at most 18 of 120 bits wrong
    for (qint64 pos = from; pos + span < s.length; pos += step) {
        if (agree(pos, 20) < 10 || agree(pos, kSyncBits) < kNeeded) continue;
        qint64 best = pos;
        float bestScore = -1e9f;
        for (qint64 p = pos; p <= pos + s.stride && p + span < s.length; ++p) {
            if (agree(p, kSyncBits) < kNeeded) continue;
            if (const float sc = soft(p); sc > bestScore) { bestScore = sc; best = p; }
        }
        return best;
    }
    return -1;
}

// The character in slot `slot` after the phasing start, or -1 (check bits) or -2 (past the end).
int characterAt(const SoftStream& s, qint64 start, int slot) {
    const qint64 first = start + qint64(slot) * 10 * s.stride;
    // A window may reach a little past the end of a recording that stops with the call.
    if (first + 9 * qint64(s.stride) - s.stride / 4 >= s.length) return -2;
    char b[10];
    for (int k = 0; k < 10; ++k) b[k] = s.at(first + qint64(k) * s.stride) > 0 ? '1' : '0';
    return characterFromBits(b);
}

// Reads the call whose phasing starts at `start`; `end` receives the position after it.
Decoded readFrame(const SoftStream& s, qint64 start, qint64& end) {
    Decoded d;
    d.atSample = start;
    end = start + qint64(kSyncBits) * s.stride;
    // Message character j: DX copy in pair 6 + j, RX copy in pair 8 + j.
    auto message = [&](int j, int& out) -> QString {
        const int dx = characterAt(s, start, 2 * (kDxPhasingCount + j));
        const int rx = characterAt(s, start, 2 * (kRxPhasingCount + j) + 1);
        if (dx == -2 || rx == -2) return QStringLiteral("truncated after %1 symbols").arg(j);
        if (dx < 0 && rx < 0)
            return QStringLiteral("character %1: check bits do not match in DX and RX copies").arg(j);
        if (dx >= 0 && rx >= 0 && dx != rx)
            return QStringLiteral("character %1: DX copy %2 and RX copy %3 differ").arg(j).arg(dx).arg(rx);
        out = dx >= 0 ? dx : rx;
        end = start + qint64(2 * (kRxPhasingCount + j) + 2) * 10 * s.stride;
        return {};
    };
    for (int j = 0;; ++j) {
        if (j >= kMaxMessageChars) {
            d.error = QStringLiteral("no end of sequence within %1 characters").arg(kMaxMessageChars);
            return d;
        }
        int sym = -1;
        if (QString err = message(j, sym); !err.isEmpty()) { d.error = err; return d; }
        d.symbols << sym;
        if (j >= 2 && isEos(sym)) break;
    }
    int ecc = -1;
    if (QString err = message(int(d.symbols.size()), ecc); !err.isEmpty()) {
        d.error = err.startsWith(QLatin1String("truncated")) ? err : QStringLiteral("ECC: ") + err;
        return d;
    }
    if (const int computed = errorCheck(d.symbols); computed != ecc) {
        d.error = QStringLiteral("ECC mismatch: computed %1, received %2").arg(computed).arg(ecc);
        return d;
    }
    auto m = fromSymbols(d.symbols);
    if (!m.ok()) { d.error = m.error(); return d; }
    d.message = m.value();
    return d;
}

QList<Decoded> decodeStream(const SoftStream& s, bool all) {
    QList<Decoded> found;
    qint64 from = 0;
    while (true) {
        const qint64 start = findPhasing(s, from);
        if (start < 0) break;
        qint64 end = start;
        found << readFrame(s, start, end);
        // Past a good call, or past the phasing of a damaged one, which may hide another.
        from = found.last().ok() ? end : start + qint64(kSyncBits) * s.stride;
        if (!all) break;
    }
    if (found.isEmpty()) {
        Decoded none;
        none.error = QStringLiteral("no dot pattern / phasing found");
        found << none;
    }
    return found;
}

SoftStream softBits(const Bits& bits) {
    return {[&bits](qint64 i) { return bits[i] == '1' ? 1.f : -1.f; }, bits.size(), 1};
}

// Per-window decisions for audio: energy at 1300 Hz against energy at 2100 Hz over the bit-long
// window starting at each sample, (E1 - E0) / (E1 + E0), so the level of the recording does not
// matter. Both tones repeat every 480 samples at 48 kHz, so one table serves.
QList<float> toneDecisions(const Samples& audio) {
    constexpr int kPeriod = 480;
    static const auto table = [] {
        std::array<std::array<double, 4>, kPeriod> t{};
        for (int n = 0; n < kPeriod; ++n) {
            const double w1 = 2 * std::numbers::pi * kOneHz * n / kSampleRate;
            const double w0 = 2 * std::numbers::pi * kZeroHz * n / kSampleRate;
            t[n] = {std::cos(w1), std::sin(w1), std::cos(w0), std::sin(w0)};
        }
        return t;
    }();
    const qsizetype n = audio.size();
    QList<float> d(std::max<qsizetype>(0, n - kSamplesPerBit + 1));
    if (d.isEmpty()) return d;
    // Running sums over the window; recomputed exactly now and then so rounding cannot build up.
    std::array<double, 4> acc{};
    auto add = [&](qsizetype i, double sign) {
        const auto& t = table[i % kPeriod];
        const double x = audio[i] * sign;
        for (int k = 0; k < 4; ++k) acc[k] += x * t[k];
    };
    constexpr double kFloor = double(kSamplesPerBit) * kSamplesPerBit * 16.0 * 16.0;
    for (qsizetype i = 0; i < d.size(); ++i) {
        if (i % 4096 == 0) {
            acc = {};
            for (qsizetype j = i; j < i + kSamplesPerBit; ++j) add(j, 1);
        } else {
            add(i - 1, -1);
            add(i + kSamplesPerBit - 1, 1);
        }
        const double e1 = acc[0] * acc[0] + acc[1] * acc[1];
        const double e0 = acc[2] * acc[2] + acc[3] * acc[3];
        d[i] = float((e1 - e0) / (e1 + e0 + kFloor));
    }
    return d;
}

} // namespace

Bits characterBits(int symbol) {
    Bits b(10, '0');
    int zeros = 0;
    for (int k = 0; k < 7; ++k) {
        const bool one = (symbol >> k) & 1;
        b[k] = one ? '1' : '0';
        zeros += one ? 0 : 1;
    }
    for (int k = 0; k < 3; ++k) b[7 + k] = (zeros >> (2 - k)) & 1 ? '1' : '0';
    return b;
}

int characterFromBits(const char* tenBits) {
    int symbol = 0, zeros = 0, check = 0;
    for (int k = 0; k < 7; ++k) {
        if (tenBits[k] == '1') symbol |= 1 << k;
        else ++zeros;
    }
    for (int k = 0; k < 3; ++k) check = check * 2 + (tenBits[7 + k] == '1' ? 1 : 0);
    return check == zeros ? symbol : -1;
}

int errorCheck(const QList<int>& message) {
    int ecc = 0;
    for (qsizetype i = 1; i < message.size(); ++i) ecc ^= message[i] & 0x7f;
    return ecc;
}

QList<int> onAir(const QList<int>& message) {
    QList<int> dx(kDxPhasingCount, code::kDxPhasing), rx;
    for (int i = 0; i < kRxPhasingCount; ++i) rx << code::kRxPhasingFirst - i;
    const int eos = message.isEmpty() ? code::kOtherEos : message.last();
    dx << message << errorCheck(message) << eos << eos;
    rx << message << errorCheck(message);
    QList<int> out;
    for (qsizetype i = 0; i < dx.size(); ++i) out << dx[i] << rx[i];
    return out;
}

Bits frameBits(const QList<int>& message) {
    Bits bits;
    for (int i = 0; i < kDotBits; ++i) bits += i % 2 == 0 ? '1' : '0';
    for (int sym : onAir(message)) bits += characterBits(sym);
    return bits;
}

Samples modulate(const Bits& bits) {
    Samples out;
    out.reserve(bits.size() * kSamplesPerBit);
    double phase = 0;
    for (char b : bits) {
        const double step = 2 * std::numbers::pi * (b == '1' ? kOneHz : kZeroHz) / kSampleRate;
        for (int i = 0; i < kSamplesPerBit; ++i) {
            out << qint16(std::lround(kAmplitude * std::sin(phase)));
            phase = std::fmod(phase + step, 2 * std::numbers::pi);
        }
    }
    return out;
}

Result<Samples> encodeAudio(const Message& m) {
    const auto symbols = toSymbols(m);
    if (!symbols.ok()) return Result<Samples>::bad(symbols.error());
    return Result<Samples>::good(modulate(frameBits(symbols.value())));
}

Decoded decodeBits(const Bits& bits) {
    return decodeStream(softBits(bits), false).first();
}

Decoded decodeAudio(const Samples& audio) {
    return decodeAll(audio, false).first();
}

QList<Decoded> decodeAll(const Samples& audio, bool all) {
    const QList<float> d = toneDecisions(audio);
    return decodeStream({[&d](qint64 i) { return d[std::min(i, d.size() - 1)]; }, d.size(), kSamplesPerBit}, all);
}

} // namespace dscwire
