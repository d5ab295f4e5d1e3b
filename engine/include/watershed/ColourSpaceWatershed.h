#pragma once

#include "classification/ClassAllocator.h"
#include "classification/ColourTable.h"

#include <cstdint>

namespace classification {

/// The colour-space member of `WatershedFlood`: the nodes are the cells of one colour table,
/// a cell's level is its pixel count, and its neighbours are the existing cells whose key
/// differs by one in one channel. A cell spreads its class at half its own count, so a
/// neighbouring colour joins it unless that colour is more than half as frequent.
class ColourSpaceWatershed {
public:
    using Node = std::int32_t;
    using Level = std::uint32_t;

    ColourSpaceWatershed(ColourTable& table, ClassAllocator& allocator)
        : table_(table), allocator_(allocator) {}

    template <typename Visit>
    void forEachNode(Visit visit) const {
        const auto cells = static_cast<Node>(table_.size());
        for (Node cell = 0; cell < cells; ++cell)
            visit(cell);
    }

    Level nodeLevel(Node cell) const { return table_.cellAt(cell).count; }
    std::int32_t label(Node cell) const { return table_.cellAt(cell).colourClass; }
    void setLabel(Node cell, std::int32_t colourClass) { table_.cellAt(cell).colourClass = colourClass; }
    std::int32_t newLabel() { return allocator_.allocate(); }

    /// Channel by channel from 0: first the key one lower, then one higher; keys are looked
    /// up, never created.
    template <typename Visit>
    void forEachNeighbour(Node cell, Visit visit) const {
        const Level edgeLevel = table_.cellAt(cell).count >> 1;
        const ColourKey6 key = table_.keyAt(cell);
        ColourKey6 neighbours[12];
        int count = 0;
        for (int c = 0; c < 6; ++c) {
            if (key[c] > 0) {
                neighbours[count] = key;
                neighbours[count++][c] = static_cast<unsigned char>(key[c] - 1);
            }
            if (key[c] < 255) {
                neighbours[count] = key;
                neighbours[count++][c] = static_cast<unsigned char>(key[c] + 1);
            }
        }
        Node found[12];
        table_.indexOfEach(neighbours, count, found);
        for (int k = 0; k < count; ++k)
            if (found[k] >= 0)
                visit(found[k], edgeLevel);
    }

    void reachedLabelled(Node, Node) {}

private:
    ColourTable& table_;
    ClassAllocator& allocator_;
};

}  // namespace classification
