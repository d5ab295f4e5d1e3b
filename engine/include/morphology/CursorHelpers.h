#pragma once

#include <blitz/tinyvec2.h>

#include <cmath>
#include <cstdint>

namespace morphology {

// The rank cursor of the sliding-histogram filters. A histogram is a run of counts indexed
// from 0 (its lowest bin); the cursor is a bin index and the cumulative count of the window
// values in bins up to and including it. The two-axis forms move two cursors over one
// histogram independently, one per component of a point.

using CursorPoint = blitz::TinyVector<int, 2>;
using CountPoint = blitz::TinyVector<std::uint32_t, 2>;
using RankPoint = blitz::TinyVector<float, 2>;

/// floor(v + c) as an unsigned rank. A negative or undefined sum gives 0 instead of the
/// undefined conversion of a negative float.
inline std::uint32_t floorOffset1(float v, float c) {
    const float sum = std::floor(v + c);
    if (!(sum > 0.0f))
        return 0;
    if (sum >= 4294967040.0f)   // the largest float below 2^32
        return 4294967040u;
    return static_cast<std::uint32_t>(sum);
}

/// ceil(v - c) as an integer rank.
inline int ceilOffset1(float v, float c) { return static_cast<int>(std::ceil(v - c)); }

/// v - n: the fraction of a rank above its whole part.
inline float subtractInt1(float v, std::uint32_t n) { return v - static_cast<float>(n); }

/// Moves the cursor until the `target`-th smallest window value (counting from 1) lies in
/// `bin`: forward, adding counts, while the cumulative count is below the target; otherwise
/// backward, subtracting, while the bins below still hold at least the target. The cursor
/// never leaves bins 0 to `lastBin`, whatever the target.
inline void advanceCumulativeCursor1(std::uint32_t target, int& bin, std::uint32_t& cumulative,
                                     const std::uint32_t* counts, int lastBin) {
    if (cumulative < target) {
        while (cumulative < target && bin < lastBin) {
            ++bin;
            cumulative += counts[bin];
        }
    } else {
        while (bin > 0 && cumulative - counts[bin] >= target) {
            cumulative -= counts[bin];
            --bin;
        }
    }
}

/// The cumulative count after a value in bin `value` left the window.
inline std::uint32_t decrementWhereAtLeast1(int value, int bin, std::uint32_t cumulative) {
    return bin >= value ? cumulative - 1 : cumulative;
}

/// The cumulative count after a value in bin `value` entered the window.
inline std::uint32_t incrementWhereAtLeast1(int value, int bin, std::uint32_t cumulative) {
    return bin >= value ? cumulative + 1 : cumulative;
}

inline CountPoint floorOffset2(const RankPoint& v, float c) {
    return CountPoint(floorOffset1(v[0], c), floorOffset1(v[1], c));
}

inline CursorPoint ceilOffset2(const RankPoint& v, float c) {
    return CursorPoint(ceilOffset1(v[0], c), ceilOffset1(v[1], c));
}

inline RankPoint subtractIntPoint2(const RankPoint& v, const CountPoint& n) {
    return RankPoint(subtractInt1(v[0], n[0]), subtractInt1(v[1], n[1]));
}

inline void advanceCumulativeCursor2(const CountPoint& target, CursorPoint& bin,
                                     CountPoint& cumulative, const std::uint32_t* counts,
                                     int lastBin) {
    advanceCumulativeCursor1(target[0], bin[0], cumulative[0], counts, lastBin);
    advanceCumulativeCursor1(target[1], bin[1], cumulative[1], counts, lastBin);
}

inline void decrementWhereAtLeast2(int value, const CursorPoint& bin, CountPoint& cumulative) {
    cumulative[0] = decrementWhereAtLeast1(value, bin[0], cumulative[0]);
    cumulative[1] = decrementWhereAtLeast1(value, bin[1], cumulative[1]);
}

inline void incrementWhereAtLeast2(int value, const CursorPoint& bin, CountPoint& cumulative) {
    cumulative[0] = incrementWhereAtLeast1(value, bin[0], cumulative[0]);
    cumulative[1] = incrementWhereAtLeast1(value, bin[1], cumulative[1]);
}

/// The value at a rank between two neighbouring order statistics: when the `upperRank`-th
/// smallest value lies above `bin` (the cumulative count is below it), the next non-empty bin
/// at distance g gives bin + trunc(g * fraction + 0.5); otherwise `bin` itself. The search
/// never passes `lastBin`.
inline int interpolatedBin(int bin, std::uint32_t cumulative, std::uint32_t upperRank,
                           float fraction, const std::uint32_t* counts, int lastBin) {
    if (cumulative >= upperRank || bin >= lastBin)
        return bin;
    int next = bin + 1;
    while (next < lastBin && counts[next] == 0)
        ++next;
    return bin + static_cast<int>(static_cast<float>(next - bin) * fraction + 0.5f);
}

}  // namespace morphology
