#pragma once

#include "classification/AnalysisImage.h"
#include "classification/ColourKey6.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace zqtest {

inline classification::ColourKey6 key(int c0, int c1 = 0, int c2 = 0, int c3 = 0, int c4 = 0,
                                      int c5 = 0) {
    classification::ColourKey6 k;
    const int bytes[6] = {c0, c1, c2, c3, c4, c5};
    for (int c = 0; c < 6; ++c)
        k[c] = static_cast<unsigned char>(bytes[c]);
    return k;
}

inline classification::AnalysisPixel pixel(const classification::ColourKey6& k) {
    return classification::AnalysisPixel(k[0], k[1], k[2], k[3], k[4], k[5]);
}

/// An analysis image of `rows` x `columns` whose pixels, in storage order, take the colours
/// of `runs` (a colour and how many pixels of it) one after the other.
struct ColourRun {
    classification::ColourKey6 colour;
    int pixels;
};
inline classification::AnalysisImage imageOfRuns(int rows, int columns,
                                                 std::initializer_list<ColourRun> runs) {
    classification::AnalysisImage image(rows, columns);
    image = classification::AnalysisPixel(0, 0, 0, 0, 0, 0);
    auto* out = image.data();
    for (const ColourRun& run : runs)
        for (int n = 0; n < run.pixels; ++n)
            *out++ = pixel(run.colour);
    return image;
}

/// Deterministic pseudo-random colours of a few levels per channel (a linear congruential
/// generator), so that every level of the tables holds several cells.
inline classification::AnalysisImage noiseImage(int rows, int columns, std::uint32_t seed) {
    classification::AnalysisImage image(rows, columns);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < columns; ++j) {
            classification::AnalysisPixel& p = image(i, j);
            for (int c = 0; c < 6; ++c) {
                seed = seed * 1664525u + 1013904223u;
                // skewed towards low values so counts differ from colour to colour
                const std::uint32_t r = (seed >> 24) & 255u;
                p[c] = static_cast<unsigned char>((r * r) >> 8);
            }
        }
    return image;
}

}  // namespace zqtest
