#pragma once
// Calls heard in sound from outside the trainer: a recording of any format libsndfile reads, at any
// rate from 8 kHz up, each of its channels tried; or a raw stream of 16-bit samples (a receiver,
// an SDR program). Read in blocks and resampled to the decoder's rate by libsamplerate, so that an
// hour takes no more memory than a minute.
#include "dscwire/Codec.h"

#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace dscwire {

inline constexpr int kMinInputRate = 8000;
inline constexpr int kMaxInputRate = 768000;

using Found = std::function<void(const Decoded&)>;

// Sound of one or more channels at one rate: each channel resampled and decoded on its own. A call
// that several channels carry is told once, and a damaged copy of a call that another channel
// reads whole is not told at all.
class ChannelDecoder {
public:
    ChannelDecoder(int channels, int rate, Found found);
    ~ChannelDecoder();
    ChannelDecoder(const ChannelDecoder&) = delete;
    ChannelDecoder& operator=(const ChannelDecoder&) = delete;

    // Frames of `channels` interleaved samples, full scale -1 to 1.
    void feed(const float* interleaved, qint64 frames);
    void finish();
    int calls() const { return calls_; }

private:
    struct Channel;
    void tell();

    int channels_;
    Found found_;
    std::vector<std::unique_ptr<Channel>> each_;
    std::vector<Decoded> heard_;   // found by the channels in this block
    std::deque<Decoded> told_;     // the latest told, to know a copy
    std::vector<float> one_;
    int calls_ = 0;
};

// Raw signed 16-bit little-endian mono samples at `rate`, in pieces of any size (an odd byte
// waits for its partner).
class RawDecoder {
public:
    RawDecoder(int rate, Found found);
    void feed(const char* bytes, qint64 count);
    void finish();
    int calls() const { return decoder_.calls(); }

private:
    ChannelDecoder decoder_;
    std::vector<float> samples_;
    int odd_ = -1; // a byte left over from the last piece
};

// Reads the file to its end; false with `error` when it cannot be read (missing, not a sound
// file, a rate below 8 kHz, damaged on the way).
bool decodeFile(const QString& path, const Found& found, QString* error = nullptr);
// Reads raw samples from the descriptor until it ends; false with `error` on a read error.
bool decodeRaw(int fd, int rate, const Found& found, QString* error = nullptr);

} // namespace dscwire
