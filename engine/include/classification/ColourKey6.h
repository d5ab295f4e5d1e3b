#pragma once

#include "classification/AnalysisImage.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace classification {

/// The colour of an analysis pixel as a hash key, one byte per channel, channel 0 first.
/// At level L each byte is shifted right by L bits.
struct ColourKey6 {
    std::array<unsigned char, 6> bytes{};

    static ColourKey6 of(const AnalysisPixel& pixel) {
        ColourKey6 key;
        std::memcpy(key.bytes.data(), pixel.data(), 6);
        return key;
    }

    unsigned char& operator[](int channel) { return bytes[channel]; }
    unsigned char operator[](int channel) const { return bytes[channel]; }
};

inline bool operator==(const ColourKey6& a, const ColourKey6& b) {
    return std::memcmp(a.bytes.data(), b.bytes.data(), 6) == 0;
}
inline bool operator!=(const ColourKey6& a, const ColourKey6& b) { return !(a == b); }

/// Byte by byte from channel 0, unsigned.
inline bool operator<(const ColourKey6& a, const ColourKey6& b) { return a.bytes < b.bytes; }

/// The key with every byte shifted right by `bits` (taken modulo 32).
inline ColourKey6 quantiseColourKey(const ColourKey6& key, int bits) {
    const unsigned shift = static_cast<unsigned>(bits) & 31u;
    ColourKey6 result;
    for (int c = 0; c < 6; ++c)
        result.bytes[c] = static_cast<unsigned char>(static_cast<unsigned>(key.bytes[c]) >> shift);
    return result;
}

/// ((k5 << 16) ^ k4) << 4, XOR the first four bytes as a little-endian word.
inline std::uint32_t colourKeyHash(const ColourKey6& key) {
    const auto k = [&](int c) { return static_cast<std::uint32_t>(key.bytes[c]); };
    const std::uint32_t high = ((k(5) << 16) ^ k(4)) << 4;
    const std::uint32_t low = k(0) | (k(1) << 8) | (k(2) << 16) | (k(3) << 24);
    return high ^ low;
}

}  // namespace classification
