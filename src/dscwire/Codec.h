#pragma once
// From message characters to what goes on the air and back (ITU-R M.493, VHF channel 70):
// the 10-bit characters, the frame with its phasing, time diversity and error-check character,
// the bit stream behind the dot pattern, and the 1200-baud FSK audio (1 = 1300 Hz, 0 = 2100 Hz).
#include "dscwire/Message.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <memory>

namespace dscwire {

// Bits travel as text, one '0' or '1' per bit in transmission order.
using Bits = QByteArray;
using Samples = QList<qint16>;

inline constexpr int kSampleRate = 48000;
inline constexpr int kBaud = 1200;
inline constexpr int kSamplesPerBit = kSampleRate / kBaud;
inline constexpr int kDotBits = 20;
inline constexpr double kOneHz = 1300.0, kZeroHz = 2100.0;

// One character: 7 information bits, least significant first, then the number of 0 bits among
// them in 3 bits, most significant first.
Bits characterBits(int symbol);
// The symbol, or -1 when the check bits do not match the information bits.
int characterFromBits(const char* tenBits);

// Error-check character: XOR of one format specifier, every character after it, and the EOS.
// `message` is the output of toSymbols (format twice, fields, EOS).
int errorCheck(const QList<int>& message);

// The full character sequence on the air, DX and RX interleaved: phasing, the message in time
// diversity (the RX copy five slots after the DX copy), EOS ECC EOS EOS in DX, EOS ECC in RX.
QList<int> onAir(const QList<int>& message);
// The bits of a call: 20 dot bits, then 10 bits per on-air character.
Bits frameBits(const QList<int>& message);
// Phase-continuous FSK, 48 kHz, 16-bit, 40 samples per bit.
Samples modulate(const Bits& bits);
// Message -> audio in one step. Measured by hand (RelWithDebInfo, g++ 12): about 0.5 ms for an
// individual call (640 bits, 25 600 samples), 0.4 ms for a distress alert.
Result<Samples> encodeAudio(const Message& m);

// One call found in a recording: the message, or the text naming what was wrong with it.
struct Decoded {
    std::optional<Message> message;
    QList<int> symbols;   // the message characters as received (format twice .. EOS), if read
    QString error;
    qint64 atSample = -1; // where its phasing starts; -1 when nothing was found
    bool ok() const { return message.has_value(); }
};

// Each character is read from its DX and RX copies together (the character whose bits agree best
// with both), and the error-check character may set right one doubtful character.

// The bits of a call (from its phasing on, any dot pattern in front is skipped) -> the message.
Decoded decodeBits(const Bits& bits);
// The first call in a recording.
Decoded decodeAudio(const Samples& audio);
// Every call in a recording (or only the first), in order; damaged ones carry their error. When
// nothing at all is found the one entry says so.
QList<Decoded> decodeAll(const Samples& audio, bool all = true);

// The decoder for audio that comes in pieces, for as long as it lasts (a receiver, a pipe, a file
// read in blocks), in constant memory. Samples are at kSampleRate, full scale -1 to 1. Each call
// is handed to `found` as soon as the audio after its end has arrived, with atSample counted from
// the stream's first sample; damaged calls carry their error. Nothing is said when nothing is found.
class StreamDecoder {
public:
    // `all` false: only the first call is read.
    explicit StreamDecoder(std::function<void(const Decoded&)> found, bool all = true);
    ~StreamDecoder();
    StreamDecoder(const StreamDecoder&) = delete;
    StreamDecoder& operator=(const StreamDecoder&) = delete;

    void feed(const float* samples, qint64 count);
    // The stream has ended: a call still open is read as far as it goes.
    void finish();
    int calls() const; // good calls found so far

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace dscwire
