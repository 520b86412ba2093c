#pragma once
// Inside the codec: the frame's layout, which Codec.cpp writes and FrameReader.cpp reads, and the
// reading of calls from soft bit decisions, which the bit decoder and the stream decoder share.
#include "dscwire/Codec.h"

#include <algorithm>
#include <functional>

namespace dscwire::frame {

inline constexpr int kDxPhasingCount = 6;  // DX sends 125 six times
inline constexpr int kRxPhasingCount = 8;  // RX sends 111 down to 104

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

// Finds and reads the calls in a stream that may still be growing. `final`: nothing more comes,
// so a call cut short is read as it is. Returns where the next search starts; `pending` keeps the
// start of a call that goes on past the stream's end for now (-1: none).
qint64 scan(const SoftStream& s, qint64 from, qint64& pending, bool final, bool all,
            const std::function<void(const Decoded&)>& found);

} // namespace dscwire::frame
