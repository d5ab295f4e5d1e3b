#pragma once

#include <QVariant>

#include <functional>

class ArrowTarget;

/// Makes the arrow target one entry of a saved model's "arrowTargetList" describes: its "type"
/// (0 rectangle region, 1 polygon region, 2 brush region, 3 forced edge) chooses the class,
/// which is built from the whole entry: `RectRegion`, `PolyRegion`, `BrushRegion` and
/// `ForcedEdge` unless another constructor was handed in for the type.
class ArrowTargetFactory {
public:
    using Creator = std::function<ArrowTarget*(const QVariant& entry)>;

    /// Null for a type outside 0 to 3, for a type whose class is not known here, and when
    /// the class makes nothing of the entry.
    static ArrowTarget* create(const QVariant& entry);
    /// Replaces the constructor of `type` (0 to 3; others are ignored). An empty one forgets it.
    static void setCreator(int type, Creator creator);
    /// Every type is made by its own class again.
    static void restoreBuiltInCreators();
};
