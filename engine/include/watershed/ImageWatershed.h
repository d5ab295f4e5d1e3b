#pragma once

#include "classification/ProgressRange.h"
#include "watershed/PointListTable.h"

#include <blitz/array.h>
#include <blitz/tinyvec2.h>

#include <cstdint>
#include <vector>

namespace classification {

/// The image member of `WatershedFlood`: floods the unlabelled pixels (-1) of a
/// `PointListTable` from the labelled ones, in order of a per-pixel level (the middle byte of
/// a three-byte level image), and records in the list of the reaching label every place where
/// two different labels meet.
///
/// Pixels labelled before the flood stop it and are never relabelled; those entered with
/// `enqueueSeed` also spread their label like pixels the flood labelled itself. An unlabelled
/// pixel whose level is above everything still queued starts a new class (`newList`).
class ImageWatershed {
public:
    using Node = std::int32_t;
    using Level = std::int32_t;
    using LevelPixel = blitz::TinyVector<unsigned char, 3>;

    /// The penalty is added to a neighbour's level when it is queued; it is clamped to
    /// +-2^24 so that level arithmetic cannot overflow. Pixels of the table's box outside the
    /// level image take the level of the nearest pixel inside it. Throws
    /// std::invalid_argument for an empty level image.
    ImageWatershed(const blitz::Array<LevelPixel, 2>& levelImage, PointListTable& table,
                   std::int32_t penalty);

    /// Enters a labelled pixel into the flood queue at its own level. Throws
    /// std::invalid_argument for an unlabelled pixel or one on the table's outer frame.
    void enqueueSeed(int row, int column);

    /// Floods every unlabelled pixel ("Watershed inner"). Neighbours are reached without bounds
    /// tests, so every pixel on the table's outer frame must be labelled: otherwise
    /// std::invalid_argument is thrown before anything changes. A reporter's cancel exception
    /// propagates and leaves the labels written so far.
    void floodInner(ProgressRange range);

    // The member interface of WatershedFlood.
    template <typename Visit>
    void forEachNode(Visit visit) const {
        for (Node node = 0; node < table_.pixelCount(); ++node)
            visit(node);
    }
    Level nodeLevel(Node node) const { return levels_[static_cast<std::size_t>(node)]; }
    std::int32_t label(Node node) const { return table_.label(node); }
    void setLabel(Node node, std::int32_t label) { table_.label(node) = label; }
    std::int32_t newLabel() { return table_.newList(); }
    template <typename Visit>
    void forEachNeighbour(Node node, Visit visit) const {
        for (const Node offset : offsets_) {
            visit(node - offset, nodeLevel(node - offset) + penalty_);
            visit(node + offset, nodeLevel(node + offset) + penalty_);
        }
    }
    void reachedLabelled(Node source, Node target);

private:
    PointListTable& table_;
    std::vector<unsigned char> levels_;   // the level of every pixel of the table's box
    Node offsets_[2];                     // one row, one column
    std::int32_t penalty_;
    std::vector<Node> seeds_;
};

}  // namespace classification
