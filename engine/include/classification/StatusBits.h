#pragma once

namespace classification {

/// The class bits of a pixel status (1 unassigned, 2 keep, 4 delete, 8 blend).
constexpr unsigned char classBits = 0x0F;
/// A pixel the user forced to be an edge.
constexpr unsigned char forcedEdgeBit = 0x10;
/// A pixel the user protected from selection.
constexpr unsigned char protectedBit = 0x20;

/// Whether the status `a` is one of the wanted statuses `w` under the mask `m`: when the mask
/// names classes, `a` must share one with `w`; a forced-edge or protected flag that `a` carries
/// under the mask must be wanted too. A mask of 0 lets every status pass.
inline bool statusMatches(unsigned char a, unsigned char w, unsigned char m) {
    if ((m & classBits) != 0 && (a & w & m & classBits) == 0)
        return false;
    if ((a & m & forcedEdgeBit) != 0 && (w & m & forcedEdgeBit) == 0)
        return false;
    if ((a & m & protectedBit) != 0 && (w & m & protectedBit) == 0)
        return false;
    return true;
}

/// byte := the bits of `value` under `mask`, the bits of `byte` elsewhere.
inline void setMaskedBits(unsigned char& byte, unsigned char value, unsigned char mask) {
    byte = static_cast<unsigned char>((byte & ~mask) | (value & mask));
}

}  // namespace classification
