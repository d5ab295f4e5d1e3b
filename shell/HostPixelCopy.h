#pragma once

#include <cstdint>

// Pixel copies between a host's mappings and our own buffers. The host's order is red, green,
// blue, alpha; ours is blue, green, red, alpha (a 32-bit ARGB image's memory order on a
// little-endian machine). Each copy is its own inverse, so the same call serves the intake and
// the hand-back, and a pixel nobody changed comes back as it went in. The source is only read.

/// Four 8-bit channels a pixel; channels 0 and 2 exchanged.
void copyHostPixels8(const unsigned char* from, unsigned char* to, std::uint64_t pixelCount);

/// Four 16-bit words a pixel; words 0 and 2 exchanged, and the two bytes of every word
/// exchanged when `swapBytes` (the host's words are most significant byte first).
void copyHostPixels16(const unsigned char* from, unsigned char* to, std::uint64_t pixelCount,
                      bool swapBytes);
