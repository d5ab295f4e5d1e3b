#pragma once

#include "matting/ColourCluster.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>
#include <vector>

namespace Corvel {
namespace matting {

namespace detail {

/// splitCluster, with a choice for a refused cut: `d` keeps the statistics of the colours it
/// would have taken when `keepRefusedStatistics` is set, else its statistics are left alone,
/// which spares the split loop an eigen solution it never reads.
template <typename Types>
void cutCluster(ColourCluster<Types>& c, double threshold, ColourCluster<Types>& d,
                bool keepRefusedStatistics) {
    using Triple = typename Types::Triple;
    d.colours.clear();
    d.tags.clear();

    const std::size_t n = c.colours.size();
    const Vector3 mean = c.clusterMean();
    const Vector3& axis = c.axis;
    const double offset = (axis[1] * mean[1] + axis[0] * mean[0]) + axis[2] * mean[2];
    const auto beyond = [&axis, offset](const Triple& colour) {
        const double p = (static_cast<double>(colour[1]) * axis[1]
                          + static_cast<double>(colour[2]) * axis[2])
                         + static_cast<double>(colour[0]) * axis[0];
        return p > offset;   // false for a projection that is not a number
    };

    // Most cuts are refused, so the far side's sums are formed before anything is copied.
    // The sums and moments of integer colours are exact integers in any order of addition
    // (far below 2^53), so they equal those that recomputeStatistics would form from a copy.
    ColourCluster<Types> far;
    std::size_t moved = 0;
    for (const Triple& colour : c.colours) {
        if (!beyond(colour))
            continue;
        ++moved;
        const double c0 = colour[0], c1 = colour[1], c2 = colour[2];
        far.sums[0] += c0;
        far.sums[1] += c1;
        far.sums[2] += c2;
        far.moments[0] += c0 * c0;
        far.moments[1] += c1 * c1;
        far.moments[2] += c2 * c2;
        far.moments[3] += c0 * c1;
        far.moments[4] += c1 * c2;
        far.moments[5] += c2 * c0;
    }
    if (moved == 0 || moved == n)   // everything on one side: no cut
        return;

    const double farReciprocal = 1.0 / static_cast<double>(moved);
    const double restReciprocal = 1.0 / static_cast<double>(n - moved);
    Vector3 farMean, restMean;
    for (int k = 0; k < 3; ++k) {
        farMean[k] = far.sums[k] * farReciprocal;
        restMean[k] = (c.sums[k] - far.sums[k]) * restReciprocal;
    }
    const double distance = std::sqrt((farMean[1] - restMean[1]) * (farMean[1] - restMean[1])
                                      + (farMean[0] - restMean[0]) * (farMean[0] - restMean[0])
                                      + (farMean[2] - restMean[2]) * (farMean[2] - restMean[2]));
    const bool accepted = distance > threshold;
    if (!accepted && !keepRefusedStatistics)
        return;

    d.colours.reserve(moved);
    d.tags.reserve(moved);
    for (std::size_t k = 0; k < n; ++k) {
        if (beyond(c.colours[k])) {
            d.colours.push_back(c.colours[k]);
            d.tags.push_back(c.tags[k]);
        }
    }
    d.sums = far.sums;
    d.moments = far.moments;
    d.solvePrincipalAxis();
    if (!accepted) {
        d.colours.clear();
        d.tags.clear();
        return;
    }

    // The kept colours close up in place, in their order.
    std::size_t kept = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (!beyond(c.colours[k])) {
            c.colours[kept] = c.colours[k];
            c.tags[kept] = c.tags[k];
            ++kept;
        }
    }
    c.colours.resize(kept);
    c.tags.resize(kept);
    for (int k = 0; k < 6; ++k)
        c.moments[k] -= far.moments[k];
    for (int k = 0; k < 3; ++k)
        c.sums[k] -= far.sums[k];
    c.solvePrincipalAxis();
}

}  // namespace detail

/// Cuts `c` by the plane through its mean perpendicular to its axis. The colours beyond the
/// plane move to `d` only when the two halves' means lie more than `threshold` apart (a
/// distance in the colours' own channel units); otherwise `d` ends without colours and `c` is
/// unchanged. `c` must hold current statistics.
template <typename Types>
ColourCluster<Types>& splitCluster(ColourCluster<Types>& c, double threshold,
                                   ColourCluster<Types>& d) {
    detail::cutCluster(c, threshold, d, true);
    return d;
}

/// Index of the first cluster with the largest spread, or -1 when no spread is a number.
template <typename Types>
std::ptrdiff_t largestSpreadCluster(const std::vector<ColourCluster<Types>>& clusters) {
    std::ptrdiff_t found = -1;
    double largest = std::numeric_limits<double>::lowest();
    for (std::size_t k = 0; k < clusters.size(); ++k) {
        if (clusters[k].spread > largest) {   // false for a spread that is not a number
            largest = clusters[k].spread;
            found = static_cast<std::ptrdiff_t>(k);
        }
    }
    return found;
}

/// Divisive clustering: cuts the widest cluster until `maximumCount` clusters exist or the
/// first cut is refused. Accepted halves are appended to the list.
template <typename Types>
void splitClusters(std::vector<ColourCluster<Types>>& clusters, unsigned maximumCount,
                   double threshold) {
    for (unsigned i = 1; i < maximumCount; ++i) {
        const std::ptrdiff_t widest = largestSpreadCluster(clusters);
        if (widest < 0)
            return;
        ColourCluster<Types> half;
        // The list may reallocate on the append below, so the cut cluster is addressed by
        // index and never held across it.
        detail::cutCluster(clusters[static_cast<std::size_t>(widest)], threshold, half, false);
        if (half.colours.empty())
            return;
        clusters.push_back(std::move(half));
    }
}

namespace detail {

/// refineToPalette of a cluster with more than one colour whose statistics are current, as
/// the split loop leaves every cluster of its list: the first part takes them over instead
/// of forming them again (they are exact, so they are the same).
template <typename Types>
void refineCurrentCluster(ColourCluster<Types>& cluster, unsigned maximumCount,
                          double threshold) {
    std::vector<ColourCluster<Types>> parts(1);
    // The cluster's own colours are not read again: they move to the part, and the part's
    // storage comes back to hold the representatives.
    ColourCluster<Types>& whole = parts[0];
    whole.colours.swap(cluster.colours);
    whole.tags.swap(cluster.tags);
    whole.moments = cluster.moments;
    whole.sums = cluster.sums;
    whole.spread = cluster.spread;
    whole.axis = cluster.axis;
    splitClusters(parts, maximumCount, threshold);

    const typename Types::Triple first = parts[0].truncatedMean();
    cluster.colours.swap(parts[0].colours);
    cluster.tags.swap(parts[0].tags);
    cluster.colours.clear();
    cluster.tags.clear();
    cluster.append(first, 0);
    for (std::size_t k = 1; k < parts.size(); ++k)
        cluster.append(parts[k].truncatedMean(), 0);
    cluster.recomputeStatistics();
}

}  // namespace detail

/// Replaces the cluster's colours by at most `maximumCount` representatives: the truncated
/// means of its sub-clusters, each counted once in the recomputed statistics.
template <typename Types>
void refineToPalette(ColourCluster<Types>& cluster, unsigned maximumCount, double threshold) {
    if (cluster.colours.size() <= 1)
        return;
    cluster.recomputeStatistics();
    detail::refineCurrentCluster(cluster, maximumCount, threshold);
}

template <typename Types>
void refineAllClusters(std::vector<ColourCluster<Types>>& clusters, unsigned maximumCount,
                       double threshold) {
    for (ColourCluster<Types>& cluster : clusters)
        refineToPalette(cluster, maximumCount, threshold);
}

}  // namespace matting
}  // namespace Corvel
