#pragma once

#include "classification/IntBox.h"

#include <array>

namespace classification {

/// The four walking directions of the contour tracer. Record d holds four offsets: stay,
/// forward, side (the pixel across the boundary being followed) and forward + side. Each
/// record is the previous one turned by a quarter.
struct ContourDirections {
    enum Offset { stay = 0, forward = 1, side = 2, diagonal = 3 };

    std::array<std::array<IntPoint, 4>, 4> offsets;

    const IntPoint& at(int direction, int offset) const {
        return offsets[static_cast<std::size_t>(direction)][static_cast<std::size_t>(offset)];
    }

    static ContourDirections standard() {
        ContourDirections table;
        table.offsets[0] = {IntPoint(0, 0), IntPoint(1, 0), IntPoint(0, 1), IntPoint(1, 1)};
        for (std::size_t d = 1; d < 4; ++d)
            for (std::size_t k = 0; k < 4; ++k) {
                const IntPoint& previous = table.offsets[d - 1][k];
                table.offsets[d][k] = IntPoint(-previous[1], previous[0]);
            }
        return table;
    }
};

/// One step of the tracer: move to an offset of the current direction record (or -1, a dead
/// end) and add a turn to the direction. Indexed by the diagonal case h (0 to 2) and the
/// forward case k (0 to 3).
struct ContourTransitions {
    struct Move {
        int move;
        int turn;
    };
    static constexpr int deadEnd = -1;
    /// A case that only arises on an edge already traced from the other side; the tracer
    /// stops there as at a dead end.
    static constexpr int unreachable = -2;

    std::array<std::array<Move, 4>, 3> moves;

    const Move& at(int diagonalCase, int forwardCase) const {
        return moves[static_cast<std::size_t>(diagonalCase)][static_cast<std::size_t>(forwardCase)];
    }

    static ContourTransitions standard() {
        constexpr Move turnInPlace{ContourDirections::stay, 3};
        constexpr Move ahead{ContourDirections::forward, 0};
        constexpr Move roundCorner{ContourDirections::diagonal, 1};
        constexpr Move stop{deadEnd, deadEnd};
        constexpr Move marker{unreachable, unreachable};
        ContourTransitions table;
        table.moves[0] = {turnInPlace, ahead, stop, marker};
        table.moves[1] = {turnInPlace, roundCorner, roundCorner, roundCorner};
        table.moves[2] = {turnInPlace, stop, stop, marker};
        return table;
    }
};

}  // namespace classification
