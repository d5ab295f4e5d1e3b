#pragma once

#include "classification/ClassAllocator.h"
#include "classification/IntBox.h"

#include <blitz/array.h>
#include <blitz/tinyvec2.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace classification {

/// The segmentation member of `WatershedFlood`: the nodes are the pixels of the analysis box,
/// a pixel's level is its shoulder rating (edge map channel 0), and the way between two
/// neighbours costs the higher of their valley ratings (channel 1) plus a penalty that makes
/// edges harder to cross. Levels are bytes, so the flood runs on a bucket queue.
///
/// A node is the element offset of its pixel in the edge map; the label array must have the
/// same domain and layout, so the same offset addresses the pixel's label. Both arrays cover
/// the box grown by 2, so the eight neighbours of every box pixel exist.
class SegmentationWatershed {
public:
    using Node = std::int32_t;   // keeps queue entries small; images stay below 2^31 pixels
    using Level = int;

    SegmentationWatershed(const blitz::Array<blitz::TinyVector<unsigned char, 3>, 2>& edgeMap,
                          blitz::Array<std::int32_t, 2>& labels, const IntBox& box, int penalty,
                          ClassAllocator& allocator)
        : box_(box), penalty_(std::clamp(penalty, 0, 255)), allocator_(allocator) {
        if (!boxEquals(IntBox::domainOf(edgeMap), IntBox::domainOf(labels)) ||
            edgeMap.stride(0) != labels.stride(0) || edgeMap.stride(1) != labels.stride(1) ||
            !IntBox::domainOf(edgeMap).contains(IntBox(box.lower[0] - 1, box.lower[1] - 1,
                                                       box.upper[0] + 1, box.upper[1] + 1)))
            throw std::invalid_argument("watershed label array does not match the edge map");
        if (edgeMap.numElements() > INT32_MAX)
            throw std::length_error("edge map too large for the watershed");
        origin_ = IntPoint(edgeMap.lbound(0), edgeMap.lbound(1));
        levels_ = &edgeMap(origin_);
        labels_ = &labels(origin_);
        rowStep_ = edgeMap.stride(0);
        columnStep_ = edgeMap.stride(1);
        // (row, column) offsets in the order neighbours are offered.
        const int offsets[8][2] = {{0, -1}, {0, 1},  {-1, 0}, {1, 0},
                                   {1, -1}, {1, 1}, {-1, -1}, {-1, 1}};
        for (int k = 0; k < 8; ++k)
            neighbourSteps_[k] = offsets[k][0] * rowStep_ + offsets[k][1] * columnStep_;
    }

    /// The pixels of the box in storage order.
    template <typename Visit>
    void forEachNode(Visit visit) const {
        for (int x = box_.lower[0]; x <= box_.upper[0]; ++x)
            for (int y = box_.lower[1]; y <= box_.upper[1]; ++y)
                visit(nodeAt(x, y));
    }

    Node nodeAt(int x, int y) const {
        return static_cast<Node>((x - origin_[0]) * rowStep_ + (y - origin_[1]) * columnStep_);
    }

    Level nodeLevel(Node node) const { return levels_[node][0]; }
    std::int32_t label(Node node) const { return labels_[node]; }
    void setLabel(Node node, std::int32_t label) { labels_[node] = label; }
    std::int32_t newLabel() { return allocator_.allocate(); }

    template <typename Visit>
    void forEachNeighbour(Node node, Visit visit) const {
        const int own = levels_[node][1];
        for (const std::ptrdiff_t step : neighbourSteps_) {
            const Node neighbour = static_cast<Node>(node + step);
            // An entry whose target is labelled already (another segment, the frame) changes
            // nothing when it leaves the queue and records no adjacency here, and leaving it
            // out changes no other entry's turn: it is never queued.
            if (labels_[neighbour] != -1)
                continue;
            // Capped at the top level: a flood entry takes the lower of its path's level and
            // this, and path levels never exceed 255.
            visit(neighbour, std::min(std::max(own, static_cast<int>(levels_[neighbour][1])) + penalty_, 255));
        }
    }

    void reachedLabelled(Node, Node) {}

private:
    IntBox box_;
    int penalty_;
    ClassAllocator& allocator_;
    IntPoint origin_;
    const blitz::TinyVector<unsigned char, 3>* levels_ = nullptr;
    std::int32_t* labels_ = nullptr;
    std::ptrdiff_t rowStep_ = 0;
    std::ptrdiff_t columnStep_ = 0;
    std::array<std::ptrdiff_t, 8> neighbourSteps_{};
};

}  // namespace classification
