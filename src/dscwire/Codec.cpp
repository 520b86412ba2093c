#include "dscwire/Codec.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

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
// positions are bits; for audio they are samples, one bit every kSamplesPerBit. They lie in a ring
// of a power of two positions (or in a plain array at least as long as the stream).
struct SoftStream {
    const float* ring = nullptr;
    qint64 mask = 0;    // ring size - 1
    qint64 length = 0;  // positions that have a decision
    int stride = 1;     // positions per bit
    // A position past the end reads the last decision.
    float at(qint64 i) const { return ring[std::min(i, length - 1) & mask]; }
};

// The next place from `from` on, before `until`, where the phasing starts, or -1. A place
// qualifies when the hard decisions agree with the phasing in at least 85% of its bits; of the
// places within a bit of the first one, the one where the soft decisions agree best is the middle
// of the bits.
qint64 findPhasing(const SoftStream& s, qint64 from, qint64 until) {
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
    for (qint64 pos = from; pos < until && pos + span < s.length; pos += step) {
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

// The ten soft bits of the character in slot `slot` after the phasing start; false when they
// reach past the end of what has been received. A window may reach a little past the end of a
// recording that stops with the call.
bool softCharacter(const SoftStream& s, qint64 start, int slot, float out[10]) {
    const qint64 first = start + qint64(slot) * 10 * s.stride;
    if (first + 9 * qint64(s.stride) - s.stride / 4 >= s.length) return false;
    for (int k = 0; k < 10; ++k) out[k] = s.at(first + qint64(k) * s.stride);
    return true;
}

int hardCharacter(const float soft[10]) {
    char b[10];
    for (int k = 0; k < 10; ++k) b[k] = soft[k] > 0 ? '1' : '0';
    return characterFromBits(b);
}

// Every character's ten bits as +1 and -1.
const std::array<std::array<float, 10>, 128>& codewords() {
    static const auto table = [] {
        std::array<std::array<float, 10>, 128> t{};
        for (int sym = 0; sym < 128; ++sym) {
            const Bits b = characterBits(sym);
            for (int k = 0; k < 10; ++k) t[sym][k] = b[k] == '1' ? 1.f : -1.f;
        }
        return t;
    }();
    return table;
}

// One character read from its DX and RX copies together: the character whose bits agree best with
// both copies' soft bits, the next best ones, and by how much the best one wins.
struct Choice {
    static constexpr int kOthers = 3;
    int best = -1;
    std::array<int, kOthers> others{-1, -1, -1}; // the runners-up, best first
    float margin = 0;
    int dx = -1, rx = -1;  // each copy on its own, -1 when its check bits do not match
};

Choice choose(const float dx[10], const float rx[10]) {
    float sum[10];
    for (int k = 0; k < 10; ++k) sum[k] = dx[k] + rx[k];
    std::array<std::pair<float, int>, 128> scores;
    const auto& words = codewords();
    for (int sym = 0; sym < 128; ++sym) {
        float score = 0;
        for (int k = 0; k < 10; ++k) score += words[sym][k] * sum[k];
        scores[size_t(sym)] = {-score, sym};
    }
    std::partial_sort(scores.begin(), scores.begin() + 1 + Choice::kOthers, scores.end());
    Choice c;
    c.best = scores[0].second;
    for (int i = 0; i < Choice::kOthers; ++i) c.others[size_t(i)] = scores[size_t(i + 1)].second;
    c.margin = scores[1].first - scores[0].first;
    c.dx = hardCharacter(dx);
    c.rx = hardCharacter(rx);
    return c;
}

// Reads the call whose phasing starts at `start`; `end` receives the position after it.
// `needMore` tells that the call goes on past what has been received so far. At the end of a
// stream (`final`) a character whose RX copy was cut off is read from its DX copy alone.
Decoded readFrame(const SoftStream& s, qint64 start, qint64& end, bool& needMore, bool final) {
    Decoded d;
    d.atSample = start;
    needMore = false;
    end = start + qint64(kSyncBits) * s.stride;
    // Message character j: DX copy in pair 6 + j, RX copy in pair 8 + j.
    auto read = [&](int j, Choice& out) {
        float dx[10], rx[10] = {};
        const bool haveDx = softCharacter(s, start, 2 * (kDxPhasingCount + j), dx);
        if (!haveDx || (!softCharacter(s, start, 2 * (kRxPhasingCount + j) + 1, rx) && !final)) {
            needMore = true;
            d.error = QStringLiteral("truncated after %1 symbols").arg(j);
            return false;
        }
        out = choose(dx, rx);
        end = start + qint64(2 * (kRxPhasingCount + j) + 2) * 10 * s.stride;
        return true;
    };
    QList<Choice> chars;
    for (int j = 0;; ++j) {
        if (j >= kMaxMessageChars) {
            d.error = QStringLiteral("no end of sequence within %1 characters").arg(kMaxMessageChars);
            return d;
        }
        Choice c;
        if (!read(j, c)) return d;
        chars << c;
        d.symbols << c.best;
        if (j >= 2 && isEos(c.best)) break;
    }
    Choice ecc;
    if (!read(int(d.symbols.size()), ecc)) return d;
    if (errorCheck(d.symbols) != ecc.best) {
        // One character that stands out as doubtful (it wins by less than half the usual margin)
        // may be one of its runners-up, if the error-check character then agrees; an end of
        // sequence stays one.
        QList<float> margins;
        for (const Choice& c : chars) margins << c.margin;
        margins << ecc.margin;
        QList<float> sorted = margins;
        std::sort(sorted.begin(), sorted.end());
        const qsizetype weakest = std::min_element(margins.begin(), margins.end()) - margins.begin();
        if (margins[weakest] < 0.5f * sorted[sorted.size() / 2]) {
            const Choice& doubtful = weakest < chars.size() ? chars[weakest] : ecc;
            for (int other : doubtful.others) {
                QList<int> fixed = d.symbols;
                int fixedEcc = ecc.best;
                if (weakest < chars.size()) fixed[weakest] = other;
                else fixedEcc = other;
                const bool eosKept = weakest >= chars.size() || isEos(fixed[weakest]) == isEos(d.symbols[weakest]);
                if (eosKept && errorCheck(fixed) == fixedEcc && fromSymbols(fixed).ok()) {
                    d.symbols = fixed;
                    ecc.best = fixedEcc;
                    break;
                }
            }
        }
    }
    if (const int computed = errorCheck(d.symbols); computed != ecc.best) {
        // Name the first character that neither copy gives clearly.
        for (int j = 0; j < chars.size(); ++j) {
            const Choice& c = chars[j];
            if (c.dx < 0 && c.rx < 0) {
                d.error = QStringLiteral("character %1: check bits do not match in DX and RX copies").arg(j);
                return d;
            }
            if (c.dx >= 0 && c.rx >= 0 && c.dx != c.rx) {
                d.error = QStringLiteral("character %1: DX copy %2 and RX copy %3 differ").arg(j).arg(c.dx).arg(c.rx);
                return d;
            }
        }
        d.error = QStringLiteral("ECC mismatch: computed %1, received %2").arg(computed).arg(ecc.best);
        return d;
    }
    auto m = fromSymbols(d.symbols);
    if (!m.ok()) { d.error = m.error(); return d; }
    d.message = m.value();
    return d;
}

// Finds and reads the calls in a stream that may still be growing. `final`: nothing more comes,
// so a call cut short is read as it is. Returns where the next search starts; `pending` keeps the
// start of a call that goes on past the stream's end for now (-1: none).
qint64 scan(const SoftStream& s, qint64 from, qint64& pending, bool final, bool all,
            const std::function<void(const Decoded&)>& found) {
    // A place is looked at only once a bit more than the phasing after it has been received.
    const qint64 until = final ? s.length : s.length - qint64(kSyncBits + 1) * s.stride;
    while (true) {
        const qint64 start = pending >= 0 ? pending : findPhasing(s, from, until);
        if (start < 0) return std::max(from, until);
        qint64 end = start;
        bool needMore = false;
        const Decoded d = readFrame(s, start, end, needMore, final);
        if (needMore && !final) {
            pending = start;
            return from;
        }
        pending = -1;
        found(d);
        // Past a good call, or past the phasing of a damaged one, which may hide another.
        from = d.ok() ? end : start + qint64(kSyncBits) * s.stride;
        if (!all) return s.length;
    }
}

QList<Decoded> decodeStream(const SoftStream& s, bool all) {
    QList<Decoded> found;
    qint64 pending = -1;
    scan(s, 0, pending, true, all, [&found](const Decoded& d) { found << d; });
    if (found.isEmpty()) found << Decoded{{}, {}, QStringLiteral("no dot pattern / phasing found"), -1};
    return found;
}

// The bits as decisions, in `store`, which must outlive the stream.
SoftStream softBits(const Bits& bits, std::vector<float>& store) {
    qint64 size = 1;
    while (size < bits.size()) size *= 2;
    store.assign(size_t(size), -1.f);
    for (qsizetype i = 0; i < bits.size(); ++i) store[size_t(i)] = bits[i] == '1' ? 1.f : -1.f;
    return {store.data(), size - 1, bits.size(), 1};
}

// Per-window decisions for audio: energy at 1300 Hz against energy at 2100 Hz over the bit-long
// window starting at each sample, (E1 - E0) / (E1 + E0), so the level of the recording does not
// matter. Both tones repeat every 480 samples at 48 kHz, so one table serves. Samples come in
// pieces of any size; each decision is made once its window is complete.
class ToneFilter {
public:
    // Adds one sample; true with the decision for the window that it completes.
    bool add(float x, float& decision) {
        const qint64 i = n_++;
        history_[size_t(i % kSamplesPerBit)] = x;
        if (i < kSamplesPerBit - 1) {
            accumulate(x, i, 1);
            return false;
        }
        if ((i - (kSamplesPerBit - 1)) % 4096 == 0) {
            // Recomputed exactly now and then, so that rounding cannot build up.
            acc_ = {};
            for (qint64 j = i - kSamplesPerBit + 1; j <= i; ++j) accumulate(history_[size_t(j % kSamplesPerBit)], j, 1);
        } else {
            accumulate(x, i, 1);
        }
        const double e1 = acc_[0] * acc_[0] + acc_[1] * acc_[1];
        const double e0 = acc_[2] * acc_[2] + acc_[3] * acc_[3];
        decision = float((e1 - e0) / (e1 + e0 + kFloor));
        // The oldest sample leaves the window that the next decision covers.
        const qint64 oldest = i - kSamplesPerBit + 1;
        accumulate(history_[size_t(oldest % kSamplesPerBit)], oldest, -1);
        return true;
    }

private:
    static constexpr int kPeriod = 480;
    // Silence: a level far below any recording's noise, in full-scale units.
    static constexpr double kFloor = double(kSamplesPerBit) * kSamplesPerBit * (16.0 / 32768) * (16.0 / 32768);
    static const std::array<std::array<double, 4>, kPeriod>& table() {
        static const auto t = [] {
            std::array<std::array<double, 4>, kPeriod> t{};
            for (int n = 0; n < kPeriod; ++n) {
                const double w1 = 2 * std::numbers::pi * kOneHz * n / kSampleRate;
                const double w0 = 2 * std::numbers::pi * kZeroHz * n / kSampleRate;
                t[n] = {std::cos(w1), std::sin(w1), std::cos(w0), std::sin(w0)};
            }
            return t;
        }();
        return t;
    }
    void accumulate(double x, qint64 i, double sign) {
        const auto& t = table()[size_t(i % kPeriod)];
        x *= sign;
        for (int k = 0; k < 4; ++k) acc_[k] += x * t[k];
    }

    std::array<float, kSamplesPerBit> history_{};
    std::array<double, 4> acc_{};
    qint64 n_ = 0;
};

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
    std::vector<float> store;
    return decodeStream(softBits(bits, store), false).first();
}

Decoded decodeAudio(const Samples& audio) {
    return decodeAll(audio, false).first();
}

QList<Decoded> decodeAll(const Samples& audio, bool all) {
    QList<Decoded> found;
    StreamDecoder decoder([&found](const Decoded& d) { found << d; }, all);
    std::vector<float> block;
    constexpr qsizetype kBlock = 8192;
    for (qsizetype at = 0; at < audio.size(); at += kBlock) {
        const qsizetype n = std::min(kBlock, audio.size() - at);
        block.resize(size_t(n));
        for (qsizetype i = 0; i < n; ++i) block[size_t(i)] = float(audio[at + i]) / 32768.0f;
        decoder.feed(block.data(), n);
        if (!all && !found.isEmpty()) break;
    }
    decoder.finish();
    if (found.isEmpty()) found << Decoded{{}, {}, QStringLiteral("no dot pattern / phasing found"), -1};
    return found;
}

// ---- the stream decoder ------------------------------------------------------------------------

struct StreamDecoder::Impl {
    // Decisions kept: the longest call with its phasing and a block to spare.
    static constexpr qint64 kKeep = qint64(1) << 17;
    static constexpr qint64 kBlock = 4096;

    std::function<void(const Decoded&)> found;
    bool all = true;
    bool done = false;  // the first call found, when only the first is wanted
    ToneFilter filter;
    std::vector<float> ring = std::vector<float>(size_t(kKeep));
    qint64 decided = 0;  // decisions made so far: decision i is the window from sample i on
    qint64 from = 0;
    qint64 pending = -1;
    int calls = 0;

    SoftStream stream() const { return {ring.data(), kKeep - 1, decided, kSamplesPerBit}; }
    void run(bool final) {
        if (done || decided == 0) return;
        from = scan(stream(), from, pending, final, all, [this](const Decoded& d) {
            if (d.ok()) ++calls;
            if (!all) done = true;
            found(d);
        });
    }
};

StreamDecoder::StreamDecoder(std::function<void(const Decoded&)> found, bool all) : d(std::make_unique<Impl>()) {
    d->found = std::move(found);
    d->all = all;
}

StreamDecoder::~StreamDecoder() = default;

void StreamDecoder::feed(const float* samples, qint64 count) {
    for (qint64 i = 0; i < count; ++i) {
        float decision;
        if (!d->filter.add(samples[i], decision)) continue;
        d->ring[size_t(d->decided & (Impl::kKeep - 1))] = decision;
        if (++d->decided % Impl::kBlock == 0) d->run(false);
    }
}

void StreamDecoder::finish() {
    d->run(true);
    d->done = true;
}

int StreamDecoder::calls() const { return d->calls; }

} // namespace dscwire
