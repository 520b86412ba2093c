#pragma once
// The exam's own random numbers: splitmix64, so that one seed draws the same exam on every machine
// and with every standard library (whose distributions differ between them).
#include <cstdint>

namespace exam {

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A whole number from 0 to n - 1 (n above 0). The remainder's slight lean to small numbers
    // is of no account for lists of a few dozen.
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    // A whole number from `low` to `high`, both included.
    int between(int low, int high) { return low + below(high - low + 1); }

private:
    std::uint64_t state_;
};

} // namespace exam
