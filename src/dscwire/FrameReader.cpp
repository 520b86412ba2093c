// Calls read from soft bit decisions: the phasing found, each character chosen from its DX and RX
// copies, a doubtful one set right by the error-check character; and the decoder of bits.
#include "dscwire/FrameReader.h"

#include <array>
#include <vector>

namespace dscwire::frame {
namespace {

constexpr int kSyncChars = 12;      // 125 111 125 110 ... 125 106: the phasing before the format
constexpr int kSyncBits = kSyncChars * 10;
constexpr int kMaxMessageChars = 64;  // the longest VHF call has 27; beyond this there is no EOS

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


} // namespace

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

} // namespace dscwire::frame

namespace dscwire {
namespace {

using frame::SoftStream;

QList<Decoded> decodeStream(const SoftStream& s, bool all) {
    QList<Decoded> found;
    qint64 pending = -1;
    frame::scan(s, 0, pending, true, all, [&found](const Decoded& d) { found << d; });
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

} // namespace

Decoded decodeBits(const Bits& bits) {
    std::vector<float> store;
    return decodeStream(softBits(bits, store), false).first();
}

} // namespace dscwire
