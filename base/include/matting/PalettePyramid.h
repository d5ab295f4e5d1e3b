#pragma once

#include "matting/ClusterSplitting.h"
#include "matting/ColourCluster.h"
#include "matting/PairScoring.h"

#include <blitz/array.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace Corvel {
namespace matting {

/// One cell of a palette pyramid level: a short list of colour clusters and the cell of the
/// next coarser level that covers it.
template <typename Types>
struct Quadrant {
    /// Empty until the cell gathers its first colour, which goes to the first cluster. Most
    /// cells of a large pyramid never hold a colour, so they hold no cluster either.
    std::vector<ColourCluster<Types>> clusters;
    /// Points into the parent level's storage, which never moves; null at the top.
    Quadrant* parent = nullptr;

    Quadrant() = default;
    /// A copy has the clusters and the parent link; its digest is made afresh when read.
    Quadrant(const Quadrant& other) : clusters(other.clusters), parent(other.parent) {}
    Quadrant& operator=(const Quadrant& other) {
        if (this != &other) {
            clusters = other.clusters;
            parent = other.parent;
            delete digest_.exchange(nullptr);
        }
        return *this;
    }
    ~Quadrant() { delete digest_.load(); }

    /// The cluster that gathers the cell's colours, made on first use.
    ColourCluster<Types>& firstCluster() {
        if (clusters.empty())
            clusters.emplace_back();
        return clusters.front();
    }

    std::size_t colourCount() const {
        std::size_t count = 0;
        for (const ColourCluster<Types>& cluster : clusters)
            count += cluster.colours.size();
        return count;
    }

    /// colourCount() != 0, found without counting: a cell's first cluster holds colours
    /// whenever the cell does.
    bool hasColours() const {
        for (const ColourCluster<Types>& cluster : clusters)
            if (!cluster.colours.empty())
                return true;
        return false;
    }

    /// The scoring digest of the clusters, made when the palette search first reads this
    /// cell. Every pixel under the cell reads the same palette, and the clusters no longer
    /// change once the pyramid is built. Searches on several threads may read one cell: the
    /// first digest published wins, and a thread that lost the race drops its own.
    const PaletteDigest& digest() const {
        const PaletteDigest* digest = digest_.load(std::memory_order_acquire);
        if (digest)
            return *digest;
        std::unique_ptr<const PaletteDigest> made(new PaletteDigest(digestPalette(clusters)));
        if (digest_.compare_exchange_strong(digest, made.get(), std::memory_order_acq_rel,
                                            std::memory_order_acquire))
            return *made.release();
        return *digest;
    }

private:
    mutable std::atomic<const PaletteDigest*> digest_{nullptr};
};

/// Level k has one cell per 2^(k+1) x 2^(k+1) image pixels; the last level has one cell.
template <typename Types>
using PyramidLevel = blitz::Array<Quadrant<Types>, 2>;

template <typename Types>
using QuadrantPyramid = std::vector<PyramidLevel<Types>>;

/// Which image pixels enter a pyramid: those whose status byte (image index times the
/// multipliers, truncated) carries statusPending and shares a bit with `bits`.
struct StatusMask {
    blitz::Array<unsigned char, 2> status;
    float scale0 = 1.0f;
    float scale1 = 1.0f;
    unsigned char bits = 0;
};

/// True when the pixel's status byte has 0x80 and one of the mask's bits. A pixel that maps
/// outside the status array (an image that is not an exact multiple of the status
/// resolution) has no status and is not admitted.
inline bool statusMaskTest(const StatusMask& mask, int i, int j) {
    const int si = static_cast<int>(static_cast<float>(i) * mask.scale0);
    const int sj = static_cast<int>(static_cast<float>(j) * mask.scale1);
    if (si < mask.status.lbound(0) || si > mask.status.ubound(0) || sj < mask.status.lbound(1)
        || sj > mask.status.ubound(1))
        return false;
    const unsigned char s = mask.status(si, sj);
    return (s & 0x80) != 0 && (s & mask.bits) != 0;
}

/// The cell of level `to` that covers the cell (x, y) of level `from` (level 0 of this
/// function is the image itself when called with from 0 and to k + 1).
inline blitz::TinyVector<int, 2> levelCellIndex(const blitz::TinyVector<int, 2>& point, int from,
                                                int to) {
    const int divisor = 1 << (to - from);
    return blitz::TinyVector<int, 2>(point[0] / divisor, point[1] / divisor);
}

namespace detail {

/// Lower bound and length of the level above an axis with lower bound `lower` and length
/// `length`: the number of distinct halves of the indices lower .. lower + length - 1.
inline void halveAxis(int lower, int length, int& newLower, int& newLength) {
    if (lower < 0)   // halving rounds toward zero, which is wrong below zero
        throw std::invalid_argument("palette pyramid: negative lower bound");
    newLower = lower / 2;
    newLength = length / 2 + 1 - ((lower + 1) % 2) * ((length + 1) % 2);
}

template <typename Types, typename Source>
PyramidLevel<Types> allocateHalvedLevel(const blitz::Array<Source, 2>& source) {
    int lower0, length0, lower1, length1;
    halveAxis(source.lbound(0), source.extent(0), lower0, length0);
    halveAxis(source.lbound(1), source.extent(1), lower1, length1);
    return PyramidLevel<Types>(blitz::TinyVector<int, 2>(lower0, lower1),
                               blitz::TinyVector<int, 2>(length0, length1));
}

template <typename Types>
void recomputeFirstClusters(PyramidLevel<Types>& level) {
    for (auto it = level.begin(); it != level.end(); ++it)
        if (!it->clusters.empty())
            it->clusters.front().recomputeStatistics();
}

}  // namespace detail

/// Level 0: every cell gathers, in one cluster, the colours of its up to four admitted
/// pixels. `Pixel` is the image's four-channel pixel; its first three channels are read.
template <typename Types, typename Pixel>
PyramidLevel<Types> buildBaseLevel(const blitz::Array<Pixel, 2>& image, const StatusMask& mask) {
    using Channel = typename Types::Channel;
    using Triple = typename Types::Triple;
    PyramidLevel<Types> level = detail::allocateHalvedLevel<Types>(image);
    for (int i = image.lbound(0); i <= image.ubound(0); ++i) {
        for (int j = image.lbound(1); j <= image.ubound(1); ++j) {
            if (!statusMaskTest(mask, i, j))
                continue;
            const Pixel& pixel = image(i, j);
            const blitz::TinyVector<int, 2> cell = levelCellIndex({i, j}, 0, 1);
            ColourCluster<Types>& cluster = level(cell[0], cell[1]).firstCluster();
            if (cluster.colours.empty()) {   // a cell covers at most 2 x 2 pixels
                cluster.colours.reserve(4);
                cluster.tags.reserve(4);
            }
            cluster.append(
                Triple(static_cast<Channel>(pixel[0]), static_cast<Channel>(pixel[1]),
                       static_cast<Channel>(pixel[2])),
                0);
        }
    }
    detail::recomputeFirstClusters(level);
    return level;
}

/// The level above `child`: each parent cell gathers all colours of its children into its
/// first cluster; every child's parent link is set.
template <typename Types>
PyramidLevel<Types> buildParentLevel(PyramidLevel<Types>& child) {
    PyramidLevel<Types> parent = detail::allocateHalvedLevel<Types>(child);
    // Counted first, so that every parent's colour list is allocated once.
    blitz::Array<std::size_t, 2> counts(parent.lbound(), parent.extent());
    counts = 0;
    for (int u = child.lbound(0); u <= child.ubound(0); ++u)
        for (int v = child.lbound(1); v <= child.ubound(1); ++v)
            counts(u / 2, v / 2) += child(u, v).colourCount();
    for (int u = parent.lbound(0); u <= parent.ubound(0); ++u)
        for (int v = parent.lbound(1); v <= parent.ubound(1); ++v)
            if (counts(u, v) != 0) {
                ColourCluster<Types>& cluster = parent(u, v).firstCluster();
                cluster.colours.reserve(counts(u, v));
                cluster.tags.reserve(counts(u, v));
            }
    for (int u = child.lbound(0); u <= child.ubound(0); ++u) {
        for (int v = child.lbound(1); v <= child.ubound(1); ++v) {
            Quadrant<Types>& cell = child(u, v);
            Quadrant<Types>& above = parent(u / 2, v / 2);
            for (const ColourCluster<Types>& cluster : cell.clusters)
                for (const auto& colour : cluster.colours)
                    above.firstCluster().append(colour, 0);
            cell.parent = &above;
        }
    }
    detail::recomputeFirstClusters(parent);
    return parent;
}

/// Reduces every cell that holds colours to at most 27 clusters of at most 27
/// representatives; clusters are cut while their halves lie more than *threshold apart, the
/// palettes while they lie more than half of it apart.
template <typename Types>
void splitLevelClusters(PyramidLevel<Types>& level, const double* threshold) {
    constexpr unsigned maximumCount = 27;
    for (auto it = level.begin(); it != level.end(); ++it) {
        if (it->colourCount() == 0)
            continue;
        splitClusters(it->clusters, maximumCount, *threshold);
        // The split loop leaves every cluster's statistics current.
        for (ColourCluster<Types>& cluster : it->clusters)
            if (cluster.colours.size() > 1)
                detail::refineCurrentCluster(cluster, maximumCount, *threshold * 0.5);
    }
}

/// Builds the whole pyramid over `image` (lower bounds not negative) into `pyramid`.
/// `Progress` is a progress range: its `ui` (may be null), `from` and `to` are used.
template <typename Types, typename Pixel, typename Progress>
void buildPalettePyramid(QuadrantPyramid<Types>& pyramid, const blitz::Array<Pixel, 2>& image,
                         const StatusMask& mask, const double* threshold, Progress progress) {
    if (image.size() == 0)   // the halving would never reach a single cell
        throw std::invalid_argument("palette pyramid: empty image");
    pyramid.push_back(buildBaseLevel<Types>(image, mask));
    float done = 0.5f;
    float step = 0.25f;
    if (progress.ui)
        progress.ui->progress((progress.from + progress.to) * 0.5f, std::string());
    while (pyramid.back().size() != 1) {
        PyramidLevel<Types> parent = buildParentLevel<Types>(pyramid.back());
        splitLevelClusters(parent, threshold);
        pyramid.push_back(parent);
        done = done + step;
        step = step * 0.5f;
        if (progress.ui)
            progress.ui->progress((1.0f - done) * progress.from + done * progress.to,
                                  std::string());
    }
}

}  // namespace matting
}  // namespace Corvel
