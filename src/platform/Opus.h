#pragma once
// Speech in Opus frames of 20 ms, for voice that travels between trainers: libopus, loaded with
// the first encoder or decoder (dlopen), not with the program. Mono at 16 kHz, in the codec's
// low-delay mode (2.5 ms of look-ahead instead of 6.5 ms), at 24 kbit/s.
#include <QByteArray>
#include <QString>

#include <vector>

struct OpusEncoder;
struct OpusDecoder;

namespace platform::opus {

inline constexpr int kRate = 16000;
inline constexpr int kFrameSamples = kRate / 50;  // 20 ms
inline constexpr int kMaxPacket = 1275;           // the codec's own limit for one frame

// Why Opus cannot be used here (libopus.so.0 missing); empty once it is loaded (this loads it).
QString unavailable();

class Encoder {
public:
    Encoder();
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    // One frame of kFrameSamples samples -> one packet; empty when the library is missing.
    QByteArray encode(const qint16* frame);
    // Forgets the previous frames: the next one starts a new transmission.
    void reset();

private:
    ::OpusEncoder* state_ = nullptr;
};

class Decoder {
public:
    Decoder();
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // A packet of exactly one 20 ms frame -> kFrameSamples samples; false (and `out` untouched)
    // when the packet is not one, or does not decode.
    bool decode(const QByteArray& packet, std::vector<qint16>& out);
    // The samples the encoder's look-ahead delays a transmission by: dropped from the start of
    // the decoded sound so that it lines up with what was said.
    static int delaySamples();

private:
    ::OpusDecoder* state_ = nullptr;
};

} // namespace platform::opus
