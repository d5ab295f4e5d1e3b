#pragma once

#include "matting/PairScoring.h"
#include "matting/PalettePyramid.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
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
    while (!cell->hasColours()) {
        cell = cell->parent;
        ++level;
        if (!cell)
            return nullptr;
    }
    return cell;
}

/// What one searching thread keeps from pixel to pixel: the scoring's working memory and
/// the scores of recently scored palette pairs. A score depends on nothing but the two
/// palettes and the colour; neighbouring pixels climb through the same cells, and pixels of
/// one colour under the same cells ask for the same score, so a remembered score is exactly
/// the one the scoring would give again. The memory refers to palettes by address: it must
/// not outlive the pyramids it served.
class SearchMemory {
public:
    /// Remembers up to 2^`bits` scores (0: none).
    explicit SearchMemory(unsigned bits = 0)
        : entries_(bits == 0 ? 0 : std::size_t(1) << bits), shift_(64 - bits) {}

    /// scorePalettePair of the two digests and `observed`, into a fresh PairScore.
    PairScore score(const PaletteDigest& foreground, const PaletteDigest& background,
                    const FloatColour& observed) {
        if (entries_.empty()) {
            PairScore result;
            scorePalettePair(foreground, background, observed, result, scratch_);
            return result;
        }
        Entry& entry = entries_[slot(foreground, background, observed)];
        if (entry.foreground != &foreground || entry.background != &background
            || entry.observed != observed) {
            entry.foreground = &foreground;
            entry.background = &background;
            entry.observed = observed;
            entry.score = PairScore();
            scorePalettePair(foreground, background, observed, entry.score, scratch_);
        }
        return entry.score;
    }

private:
    struct Entry {
        const PaletteDigest* foreground = nullptr;
        const PaletteDigest* background = nullptr;
        FloatColour observed{};
        PairScore score;
    };

    std::size_t slot(const PaletteDigest& foreground, const PaletteDigest& background,
                     const FloatColour& observed) const {
        std::uint64_t key = reinterpret_cast<std::uintptr_t>(&foreground) * 0x9E3779B97F4A7C15ull;
        key ^= reinterpret_cast<std::uintptr_t>(&background) * 0xC2B2AE3D27D4EB4Full;
        for (float channel : observed) {
            std::uint32_t bits;
            std::memcpy(&bits, &channel, sizeof bits);
            key = (key ^ bits) * 0x165667B19E3779F9ull;
        }
        return static_cast<std::size_t>((key ^ (key >> 29)) * 0x9E3779B97F4A7C15ull >> shift_);
    }

    std::vector<Entry> entries_;
    unsigned shift_;
    ScoringScratch scratch_;
};

/// The foreground and background colours that best explain the pixel's colour `observed` as
/// a mix. Starts at the given levels of both pyramids and climbs together until a pair
/// scores above `threshold` or both pyramids are at their top. Colours of (-1, -1, -1) mean
/// that no pair scored at all. Throws when a pyramid holds no colour. `memory` is the
/// searching thread's, reused from call to call.
template <typename Types>
std::pair<FloatColour, FloatColour> searchPalettes(int i, int j,
                                                   const QuadrantPyramid<Types>& foreground,
                                                   const QuadrantPyramid<Types>& background,
                                                   const FloatColour& observed,
                                                   int foregroundStart, int backgroundStart,
                                                   float threshold, SearchMemory& memory) {
    PairScore best;
    const int foregroundTop = static_cast<int>(foreground.size()) - 1;
    const int backgroundTop = static_cast<int>(background.size()) - 1;
    int foregroundLevel = 0, backgroundLevel = 0;
    const auto* foregroundPalette = paletteAt(foreground, i, j, foregroundStart, foregroundLevel);
    const auto* backgroundPalette = paletteAt(background, i, j, backgroundStart, backgroundLevel);
    if (!foregroundPalette)
        throw std::runtime_error("Empty foreground palette");
    if (!backgroundPalette)
        throw std::runtime_error("Empty background palette");
    // The cell that covers the pixel one level up is the parent of the one that covers it
    // here, so the climb follows parent links: paletteAt from the next level, without
    // finding the cell again. A pyramid at its top is asked for its top cell again.
    const auto climb = [](const Quadrant<Types>*& cell, int& level, int top) {
        if (level == top)
            return;
        cell = cell->parent;
        ++level;
        while (!cell->hasColours()) {   // the top cell holds every colour
            cell = cell->parent;
            ++level;
        }
    };
    for (;;) {
        const PairScore current = memory.score(foregroundPalette->digest(),
                                               backgroundPalette->digest(), observed);
        if (current.score > best.score)
            best = current;
        if (current.score > threshold)
            break;
        if (foregroundLevel == foregroundTop && backgroundLevel == backgroundTop)
            break;
        climb(foregroundPalette, foregroundLevel, foregroundTop);
        climb(backgroundPalette, backgroundLevel, backgroundTop);
    }
    return {best.foreground, best.background};
}

template <typename Types>
std::pair<FloatColour, FloatColour> searchPalettes(int i, int j,
                                                   const QuadrantPyramid<Types>& foreground,
                                                   const QuadrantPyramid<Types>& background,
                                                   const FloatColour& observed,
                                                   int foregroundStart, int backgroundStart,
                                                   float threshold) {
    SearchMemory memory;
    return searchPalettes(i, j, foreground, background, observed, foregroundStart,
                          backgroundStart, threshold, memory);
}

}  // namespace matting
}  // namespace Corvel
