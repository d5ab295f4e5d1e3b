#pragma once

#include "matting/ClusterSplitting.h"
#include "matting/ColourCluster.h"
#include "matting/PairScoring.h"

#include <blitz/array.h>

#include <algorithm>
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

    /// Frees the clusters and the digest; the cell then holds no colour.
    void release() {
        std::vector<ColourCluster<Types>>().swap(clusters);
        delete digest_.exchange(nullptr);
    }

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

/// The statistics of the first cluster of every cell of row `row`.
template <typename Types>
void recomputeFirstClusters(PyramidLevel<Types>& level, int row) {
    for (int v = level.lbound(1); v <= level.ubound(1); ++v) {
        Quadrant<Types>& cell = level(row, v);
        if (!cell.clusters.empty())
            cell.clusters.front().recomputeStatistics();
    }
}

}  // namespace detail

/// Runs a body for every row first .. last, in order, on the calling thread: how the levels
/// are built unless the caller passes a runner of its own. A level's rows can as well run in
/// parallel: the work of a row of cells touches only the cells of that row, and of the rows
/// of the level below that it covers.
struct RowsInOrder {
    template <typename Body>
    void operator()(int first, int last, const Body& body) const {
        for (int row = first; row <= last; ++row)
            body(row);
    }
};

/// Level 0: every cell gathers, in one cluster, the colours of its up to four admitted
/// pixels. `Pixel` is the image's four-channel pixel; its first three channels are read.
/// `rows` runs the rows of cells (RowsInOrder).
template <typename Types, typename Pixel, typename Rows>
PyramidLevel<Types> buildBaseLevel(const blitz::Array<Pixel, 2>& image, const StatusMask& mask,
                                   const Rows& rows) {
    using Channel = typename Types::Channel;
    using Triple = typename Types::Triple;
    PyramidLevel<Types> level = detail::allocateHalvedLevel<Types>(image);
    rows(level.lbound(0), level.ubound(0), [&](int u) {
        // The image rows whose cells are in row u, in the order of a scan of the image.
        const int firstRow = std::max(2 * u, image.lbound(0));
        const int lastRow = std::min(2 * u + 1, image.ubound(0));
        for (int i = firstRow; i <= lastRow; ++i) {
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
        detail::recomputeFirstClusters(level, u);
    });
    return level;
}

template <typename Types, typename Pixel>
PyramidLevel<Types> buildBaseLevel(const blitz::Array<Pixel, 2>& image, const StatusMask& mask) {
    return buildBaseLevel<Types>(image, mask, RowsInOrder());
}

namespace detail {

/// Row `row` of `parent`, the level above `child`: each cell gathers all colours of its
/// children into its first cluster; every child's parent link is set.
template <typename Types>
void gatherParentRow(PyramidLevel<Types>& child, PyramidLevel<Types>& parent, int row) {
    // The child rows under this row, in the order of a scan of the child level.
    const int firstChild = std::max(2 * row, child.lbound(0));
    const int lastChild = std::min(2 * row + 1, child.ubound(0));
    // Counted first, so that every parent's colour list is allocated once.
    std::vector<std::size_t> counts(static_cast<std::size_t>(parent.extent(1)), 0);
    for (int u = firstChild; u <= lastChild; ++u)
        for (int v = child.lbound(1); v <= child.ubound(1); ++v)
            counts[static_cast<std::size_t>(v / 2 - parent.lbound(1))] +=
                child(u, v).colourCount();
    for (int v = parent.lbound(1); v <= parent.ubound(1); ++v) {
        const std::size_t count = counts[static_cast<std::size_t>(v - parent.lbound(1))];
        if (count != 0) {
            ColourCluster<Types>& cluster = parent(row, v).firstCluster();
            cluster.colours.reserve(count);
            cluster.tags.reserve(count);
        }
    }
    for (int u = firstChild; u <= lastChild; ++u) {
        for (int v = child.lbound(1); v <= child.ubound(1); ++v) {
            Quadrant<Types>& cell = child(u, v);
            Quadrant<Types>& above = parent(row, v / 2);
            for (const ColourCluster<Types>& cluster : cell.clusters)
                for (const auto& colour : cluster.colours)
                    above.firstCluster().append(colour, 0);
            cell.parent = &above;
        }
    }
    recomputeFirstClusters(parent, row);
}

/// splitLevelClusters on row `row` of `level`.
template <typename Types>
void splitRowClusters(PyramidLevel<Types>& level, int row, double threshold) {
    constexpr unsigned maximumCount = 27;
    for (int v = level.lbound(1); v <= level.ubound(1); ++v) {
        Quadrant<Types>& cell = level(row, v);
        if (cell.colourCount() == 0)
            continue;
        splitClusters(cell.clusters, maximumCount, threshold);
        // The split loop leaves every cluster's statistics current.
        for (ColourCluster<Types>& cluster : cell.clusters)
            if (cluster.colours.size() > 1)
                refineCurrentCluster(cluster, maximumCount, threshold * 0.5);
    }
}

}  // namespace detail

/// The level above `child`: each parent cell gathers all colours of its children into its
/// first cluster; every child's parent link is set. `rows` runs the parent's rows.
template <typename Types, typename Rows>
PyramidLevel<Types> buildParentLevel(PyramidLevel<Types>& child, const Rows& rows) {
    PyramidLevel<Types> parent = detail::allocateHalvedLevel<Types>(child);
    rows(parent.lbound(0), parent.ubound(0),
         [&](int row) { detail::gatherParentRow(child, parent, row); });
    return parent;
}

template <typename Types>
PyramidLevel<Types> buildParentLevel(PyramidLevel<Types>& child) {
    return buildParentLevel<Types>(child, RowsInOrder());
}

/// Reduces every cell that holds colours to at most 27 clusters of at most 27
/// representatives; clusters are cut while their halves lie more than *threshold apart, the
/// palettes while they lie more than half of it apart. `rows` runs the level's rows.
template <typename Types, typename Rows>
void splitLevelClusters(PyramidLevel<Types>& level, const double* threshold, const Rows& rows) {
    rows(level.lbound(0), level.ubound(0),
         [&](int row) { detail::splitRowClusters(level, row, *threshold); });
}

template <typename Types>
void splitLevelClusters(PyramidLevel<Types>& level, const double* threshold) {
    splitLevelClusters(level, threshold, RowsInOrder());
}

/// Builds the whole pyramid over `image` (lower bounds not negative) into `pyramid`.
/// `Progress` is a progress range: its `ui` (may be null), `from` and `to` are used; it is
/// only reported on the calling thread, between levels. `rows` runs the rows of each level
/// (RowsInOrder, or a runner that spreads them over threads: the pyramid is the same); a
/// parent row is gathered and cut in one go.
template <typename Types, typename Pixel, typename Progress, typename Rows>
void buildPalettePyramid(QuadrantPyramid<Types>& pyramid, const blitz::Array<Pixel, 2>& image,
                         const StatusMask& mask, const double* threshold, Progress progress,
                         const Rows& rows) {
    if (image.size() == 0)   // the halving would never reach a single cell
        throw std::invalid_argument("palette pyramid: empty image");
    pyramid.push_back(buildBaseLevel<Types>(image, mask, rows));
    float done = 0.5f;
    float step = 0.25f;
    if (progress.ui)
        progress.ui->progress((progress.from + progress.to) * 0.5f, std::string());
    while (pyramid.back().size() != 1) {
        PyramidLevel<Types>& child = pyramid.back();
        PyramidLevel<Types> parent = detail::allocateHalvedLevel<Types>(child);
        rows(parent.lbound(0), parent.ubound(0), [&](int row) {
            detail::gatherParentRow(child, parent, row);
            detail::splitRowClusters(parent, row, *threshold);
        });
        pyramid.push_back(parent);
        done = done + step;
        step = step * 0.5f;
        if (progress.ui)
            progress.ui->progress((1.0f - done) * progress.from + done * progress.to,
                                  std::string());
    }
}

template <typename Types, typename Pixel, typename Progress>
void buildPalettePyramid(QuadrantPyramid<Types>& pyramid, const blitz::Array<Pixel, 2>& image,
                         const StatusMask& mask, const double* threshold, Progress progress) {
    buildPalettePyramid(pyramid, image, mask, threshold, progress, RowsInOrder());
}

/// Frees every cell of every level and then the levels, in one pass of `rows` over the finest
/// level's rows: the pass's row r frees row r of every level that has one (counted from the
/// level's first row). A large pyramid holds a great many small lists, and a runner that
/// spreads the rows over threads frees them in parallel.
template <typename Types, typename Rows>
void releasePyramid(QuadrantPyramid<Types>& pyramid, const Rows& rows) {
    if (!pyramid.empty())
        rows(0, pyramid.front().extent(0) - 1, [&pyramid](int r) {
            for (PyramidLevel<Types>& level : pyramid) {
                if (r >= level.extent(0))
                    break;   // the levels above are shorter still
                const int row = level.lbound(0) + r;
                for (int v = level.lbound(1); v <= level.ubound(1); ++v)
                    level(row, v).release();
            }
        });
    pyramid.clear();
}

}  // namespace matting
}  // namespace Corvel
