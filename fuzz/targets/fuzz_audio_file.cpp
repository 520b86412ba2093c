// A sound file of any kind, as --decode FILE reads it: libsndfile's header, then blocks of every
// channel resampled and decoded.
#include "Fuzz.h"

#include "dscwire/Message.h"
#include "dscwire/Receiver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::MemoryFile file(data, size);
    QString error;
    const bool read = dscwire::decodeFile(file.path(), [](const dscwire::Decoded& d) {
        if (d.ok()) fuzz::require(dscwire::toSymbols(*d.message).ok(), "a decoded call can be sent again");
        else fuzz::require(!d.error.isEmpty(), "a damaged call says what is wrong");
    }, &error);
    fuzz::require(read || !error.isEmpty(), "an unreadable file is named");
    return 0;
}
