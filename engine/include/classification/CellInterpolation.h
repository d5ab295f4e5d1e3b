#pragma once

#include <algorithm>
#include <cmath>

namespace classification {

/// The two grid cells between which pixel x lies along one axis, and the weight of the first.
/// Cell k of `resolution` pixels has its centre at pixel position (k + 0.5) * resolution; the
/// pair is the two cells whose centres enclose the centre of pixel x, clamped to the grid, so
/// at the grid's ends both may be the same cell.
struct CellPair {
    int first = 0;
    int second = 0;
    float firstWeight = 1.0f;   // of `first`, between 0 and 1 before clamping
};

/// Single precision throughout, so that the gradient and edge-width stages agree on every
/// pixel's cells and weights.
inline CellPair cellPairAt(int x, float inverseResolution, int gridLower, int gridUpper) {
    const float centre = (static_cast<float>(x) + 0.5f) * inverseResolution;
    const int first = static_cast<int>(std::floor(centre - 0.5f));
    CellPair pair;
    pair.firstWeight = (static_cast<float>(first + 1) + 0.5f) - centre;
    // A grid whose lower corner was truncated toward zero (a negative box corner) can start
    // right of the cell pair of its first pixels, so both cells are clamped at both ends.
    pair.first = std::clamp(first, gridLower, gridUpper);
    pair.second = std::clamp(first + 1, gridLower, gridUpper);
    return pair;
}

}  // namespace classification
