// Raw 16-bit samples as --decode - reads them from a pipe. The first byte picks the rate, the
// second how the bytes come in pieces (a pipe hands them over in any sizes, odd ones too).
#include "Fuzz.h"

#include "dscwire/Message.h"
#include "dscwire/Receiver.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static constexpr int kRates[] = {8000, 11025, 16000, 22050, 44100, 48000, 96000, 192000};
    const int rate = kRates[data[0] % std::size(kRates)];
    const size_t piece = 1 + size_t(data[1]) * 7;
    dscwire::RawDecoder decoder(rate, [](const dscwire::Decoded& d) {
        if (d.ok()) fuzz::require(dscwire::toSymbols(*d.message).ok(), "a decoded call can be sent again");
        else fuzz::require(!d.error.isEmpty(), "a damaged call says what is wrong");
    });
    for (size_t at = 2; at < size; at += piece)
        decoder.feed(reinterpret_cast<const char*>(data) + at, qint64(std::min(piece, size - at)));
    decoder.finish();
    return 0;
}
