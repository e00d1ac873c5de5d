#pragma once

#include <cstdint>

namespace engine {

// The splitmix64 finaliser: every bit of the result depends on every bit of x.
inline uint64_t mixBits(uint64_t x) {
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

}  // namespace engine
