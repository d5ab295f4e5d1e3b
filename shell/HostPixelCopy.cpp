#include "shell/HostPixelCopy.h"

#include <QtGlobal>

#include <cstring>

// Our buffers hold native words, and the shifts below read a pixel as a native integer.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the host hand-off assumes a little-endian machine");

void copyHostPixels8(const unsigned char* from, unsigned char* to, std::uint64_t pixelCount) {
    for (std::uint64_t i = 0; i < pixelCount; ++i) {
        std::uint32_t pixel;
        std::memcpy(&pixel, from + i * 4, 4);   // memcpy: the host's mapping has no alignment promise
        pixel = (pixel & 0xFF00FF00u) | ((pixel >> 16) & 0xFFu) | ((pixel & 0xFFu) << 16);
        std::memcpy(to + i * 4, &pixel, 4);
    }
}

void copyHostPixels16(const unsigned char* from, unsigned char* to, std::uint64_t pixelCount,
                      bool swapBytes) {
    constexpr std::uint64_t lowBytes = 0x00FF00FF00FF00FFull;
    constexpr std::uint64_t wordsOneAndThree = 0xFFFF0000FFFF0000ull;
    for (std::uint64_t i = 0; i < pixelCount; ++i) {
        std::uint64_t pixel;
        std::memcpy(&pixel, from + i * 8, 8);
        if (swapBytes)
            pixel = ((pixel & lowBytes) << 8) | ((pixel >> 8) & lowBytes);
        pixel = (pixel & wordsOneAndThree) | ((pixel >> 32) & 0xFFFFu) | ((pixel & 0xFFFFu) << 32);
        std::memcpy(to + i * 8, &pixel, 8);
    }
}
