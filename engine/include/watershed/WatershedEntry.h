#pragma once

#include <cstdint>

namespace classification {

/// A queued step of the watershed flood: the labelled node `source` offers its label to
/// `target` at `level`. `plateauSteps` counts the steps taken since the path's level last
/// dropped and `pathSteps` all steps since its seed; on equal levels the shorter plateau
/// walk goes first, which keeps the front of a flood compact on flat ground.
template <typename Node, typename Level>
struct WatershedEntry {
    Node source;
    Node target;
    Level level;
    std::int32_t plateauSteps;
    std::int32_t pathSteps;
};

/// The queue order of the flood: x ranks below y when it has the lower level or, on equal
/// levels, the larger (plateauSteps, pathSteps) pair.
template <typename Node, typename Level>
bool ranksBelow(const WatershedEntry<Node, Level>& x, const WatershedEntry<Node, Level>& y) {
    if (x.level != y.level)
        return x.level < y.level;
    if (x.plateauSteps != y.plateauSteps)
        return y.plateauSteps < x.plateauSteps;
    return y.pathSteps < x.pathSteps;
}

}  // namespace classification
