#include "dscwire/Receiver.h"

#include "platform/AudioFile.h"

#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace dscwire {
namespace {

// Two finds of one call lie within a bit of each other; a damaged find within its phasing.
constexpr qint64 kSamePlace = qint64(12) * 10 * kSamplesPerBit;
constexpr size_t kRemembered = 16;

} // namespace

// Raised to the decoder's rate by linear interpolation, six times as fast as the band-limited
// converter: the tones lie far below the input's half rate, and what the interpolation mirrors
// lands above them. Lowered from a higher rate by the band-limited converter, which keeps the noise
// above 24 kHz from folding down onto the tones.
struct ChannelDecoder::Channel {
    Channel(int rate, Found found)
        : resampler(rate, kSampleRate, rate < kSampleRate ? platform::Resampling::Linear : platform::Resampling::Sinc),
          decoder(std::move(found)) {}
    platform::Resampler resampler;
    StreamDecoder decoder;
    std::vector<float> out;

    void take(const float* in, qint64 count, bool last) {
        out.clear();
        resampler.process(in, count, last, out);
        decoder.feed(out.data(), qint64(out.size()));
    }
};

ChannelDecoder::ChannelDecoder(int channels, int rate, Found found)
    : channels_(std::max(1, channels)), found_(std::move(found)) {
    for (int ch = 0; ch < channels_; ++ch)
        each_.push_back(std::make_unique<Channel>(rate, [this](const Decoded& d) { heard_.push_back(d); }));
}

ChannelDecoder::~ChannelDecoder() = default;

void ChannelDecoder::feed(const float* interleaved, qint64 frames) {
    if (frames <= 0) return;
    if (channels_ == 1) {
        each_[0]->take(interleaved, frames, false);
    } else {
        one_.resize(size_t(frames));
        for (int ch = 0; ch < channels_; ++ch) {
            for (qint64 i = 0; i < frames; ++i) one_[size_t(i)] = interleaved[i * channels_ + ch];
            each_[size_t(ch)]->take(one_.data(), frames, false);
        }
    }
    tell();
}

void ChannelDecoder::finish() {
    for (auto& ch : each_) {
        ch->take(nullptr, 0, true);
        ch->decoder.finish();
    }
    tell();
}

void ChannelDecoder::tell() {
    if (heard_.empty()) return;
    // Good finds first, so that a damaged copy of one is known as such.
    std::stable_sort(heard_.begin(), heard_.end(), [](const Decoded& a, const Decoded& b) {
        return a.ok() != b.ok() ? a.ok() : a.atSample < b.atSample;
    });
    std::vector<Decoded> now;
    for (const Decoded& d : heard_) {
        const auto copy = [&d](const Decoded& t) {
            return std::abs(t.atSample - d.atSample) < kSamePlace && (t.ok() || !d.ok()) &&
                   (!d.ok() || t.message == d.message);
        };
        if (std::any_of(told_.begin(), told_.end(), copy) || std::any_of(now.begin(), now.end(), copy)) continue;
        now.push_back(d);
    }
    heard_.clear();
    std::sort(now.begin(), now.end(), [](const Decoded& a, const Decoded& b) { return a.atSample < b.atSample; });
    for (const Decoded& d : now) {
        told_.push_back(d);
        if (told_.size() > kRemembered) told_.pop_front();
        if (d.ok()) ++calls_;
        found_(d);
    }
}

RawDecoder::RawDecoder(int rate, Found found) : decoder_(1, rate, std::move(found)) {}

void RawDecoder::feed(const char* bytes, qint64 count) {
    samples_.clear();
    qint64 i = 0;
    if (odd_ >= 0 && count > 0) {
        const char pair[2] = {char(odd_), bytes[0]};
        samples_.push_back(float(qFromLittleEndian<qint16>(pair)) / 32768.0f);
        odd_ = -1;
        i = 1;
    }
    for (; i + 1 < count; i += 2) samples_.push_back(float(qFromLittleEndian<qint16>(bytes + i)) / 32768.0f);
    if (i < count) odd_ = static_cast<unsigned char>(bytes[i]);
    decoder_.feed(samples_.data(), qint64(samples_.size()));
}

void RawDecoder::finish() { decoder_.finish(); }

bool decodeFile(const QString& path, const Found& found, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    platform::AudioReader reader;
    if (!reader.open(path)) return fail(reader.error());
    if (reader.sampleRate() < kMinInputRate)
        return fail(QStringLiteral("the sample rate is %1 Hz; at least %2 Hz is needed")
                        .arg(reader.sampleRate())
                        .arg(kMinInputRate));
    ChannelDecoder decoder(reader.channels(), reader.sampleRate(), found);
    constexpr qint64 kFrames = 8192;
    std::vector<float> block(size_t(kFrames * reader.channels()));
    while (const qint64 got = reader.read(block.data(), kFrames)) decoder.feed(block.data(), got);
    decoder.finish();
    if (!reader.error().isEmpty()) return fail(reader.error());
    return true;
}

bool decodeRaw(int fd, int rate, const Found& found, QString* error) {
    RawDecoder decoder(rate, found);
    // A receiver gives a little at a time: each piece is decoded as soon as it has come.
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
            decoder.finish();
            return false;
        }
        if (n == 0) break;
        decoder.feed(buffer, n);
    }
    decoder.finish();
    return true;
}

} // namespace dscwire
