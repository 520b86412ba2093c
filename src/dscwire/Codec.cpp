// The sending side: characters, the frame on the air and its FSK audio.
#include "dscwire/Codec.h"

#include "dscwire/FrameReader.h"

#include <cmath>
#include <numbers>

namespace dscwire {
namespace {

constexpr double kAmplitude = 16000.0;

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
    QList<int> dx(frame::kDxPhasingCount, code::kDxPhasing), rx;
    for (int i = 0; i < frame::kRxPhasingCount; ++i) rx << code::kRxPhasingFirst - i;
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

} // namespace dscwire
