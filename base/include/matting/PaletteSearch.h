#pragma once

#include "matting/PairScoring.h"
#include "matting/PalettePyramid.h"

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

namespace Corvel {
namespace matting {

/// The cell whose cluster list is the palette of a pixel at a pyramid level: the covering
/// cell, or its nearest ancestor that holds colours. Null when the pyramid holds no colour at
/// all; `level` is then one past the top.
template <typename Types>
const Quadrant<Types>* paletteAt(const QuadrantPyramid<Types>& pyramid, int i, int j, int start,
                                 int& level) {
    const PyramidLevel<Types>& cells = pyramid.at(static_cast<std::size_t>(start));
    const blitz::TinyVector<int, 2> index = levelCellIndex({i, j}, 0, start + 1);
    if (index[0] < cells.lbound(0) || index[0] > cells.ubound(0) || index[1] < cells.lbound(1)
        || index[1] > cells.ubound(1))
        throw std::out_of_range("palette search: pixel outside the pyramid");
    const Quadrant<Types>* cell = &cells(index[0], index[1]);
    level = start;
    while (cell->colourCount() == 0) {
        cell = cell->parent;
        ++level;
        if (!cell)
            return nullptr;
    }
    return cell;
}

/// The foreground and background colours that best explain the pixel's colour `observed` as
/// a mix. Starts at the given levels of both pyramids and climbs together until a pair
/// scores above `threshold` or both pyramids are at their top. Colours of (-1, -1, -1) mean
/// that no pair scored at all. Throws when a pyramid holds no colour.
template <typename Types>
std::pair<FloatColour, FloatColour> searchPalettes(int i, int j,
                                                   const QuadrantPyramid<Types>& foreground,
                                                   const QuadrantPyramid<Types>& background,
                                                   const FloatColour& observed,
                                                   int foregroundStart, int backgroundStart,
                                                   float threshold) {
    PairScore best;
    const int foregroundTop = static_cast<int>(foreground.size()) - 1;
    const int backgroundTop = static_cast<int>(background.size()) - 1;
    for (;;) {
        int foregroundLevel = 0, backgroundLevel = 0;
        const auto* foregroundPalette = paletteAt(foreground, i, j, foregroundStart,
                                                  foregroundLevel);
        const auto* backgroundPalette = paletteAt(background, i, j, backgroundStart,
                                                  backgroundLevel);
        if (!foregroundPalette)
            throw std::runtime_error("Empty foreground palette");
        if (!backgroundPalette)
            throw std::runtime_error("Empty background palette");

        PairScore current;
        scorePalettePair(foregroundPalette->digest(), backgroundPalette->digest(), observed,
                         current);
        if (current.score > best.score)
            best = current;
        if (current.score > threshold)
            break;
        if (foregroundLevel == foregroundTop && backgroundLevel == backgroundTop)
            break;
        foregroundStart = std::min(foregroundLevel + 1, foregroundTop);
        backgroundStart = std::min(backgroundLevel + 1, backgroundTop);
    }
    return {best.foreground, best.background};
}

}  // namespace matting
}  // namespace Corvel
