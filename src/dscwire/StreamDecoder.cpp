// Audio to calls: the tone filter's soft decisions fed to the frame reader, block by block.
#include "dscwire/FrameReader.h"

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace dscwire {
namespace {

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

    frame::SoftStream stream() const { return {ring.data(), kKeep - 1, decided, kSamplesPerBit}; }
    void run(bool final) {
        if (done || decided == 0) return;
        from = frame::scan(stream(), from, pending, final, all, [this](const Decoded& d) {
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

