#pragma once

#include "matting/ColourCluster.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>
#include <vector>

namespace Corvel {
namespace matting {

/// Cuts `c` by the plane through its mean perpendicular to its axis. The colours beyond the
/// plane move to `d` only when the two halves' means lie more than `threshold` apart (a
/// distance in the colours' own channel units); otherwise `d` ends without colours and `c` is
/// unchanged. `c` must hold current statistics.
template <typename Types>
ColourCluster<Types>& splitCluster(ColourCluster<Types>& c, double threshold,
                                   ColourCluster<Types>& d) {
    using Triple = typename Types::Triple;
    d.colours.clear();
    d.tags.clear();

    const std::size_t n = c.colours.size();
    const Vector3 mean = c.clusterMean();
    const Vector3& axis = c.axis;
    const double offset = (axis[1] * mean[1] + axis[0] * mean[0]) + axis[2] * mean[2];

    std::vector<Triple> kept;
    std::vector<std::uint32_t> keptTags;
    for (std::size_t k = 0; k < n; ++k) {
        const Triple& colour = c.colours[k];
        const double p = (static_cast<double>(colour[1]) * axis[1]
                          + static_cast<double>(colour[2]) * axis[2])
                         + static_cast<double>(colour[0]) * axis[0];
        if (p > offset) {
            d.colours.push_back(colour);
            d.tags.push_back(c.tags[k]);
        } else {
            kept.push_back(colour);
            keptTags.push_back(c.tags[k]);
        }
    }
    if (d.colours.size() == n) {   // everything on one side: no cut
        d.colours.clear();
        d.tags.clear();
        return d;
    }
    if (d.colours.empty())
        return d;

    d.recomputeStatistics();
    const double restReciprocal = 1.0 / static_cast<double>(n - d.colours.size());
    const Vector3 cSums = c.clusterSums();
    const Vector3 dSums = d.clusterSums();
    const Vector3 dMean = d.clusterMean();
    Vector3 restMean;
    for (int k = 0; k < 3; ++k)
        restMean[k] = (cSums[k] - dSums[k]) * restReciprocal;
    const double distance = std::sqrt((dMean[1] - restMean[1]) * (dMean[1] - restMean[1])
                                      + (dMean[0] - restMean[0]) * (dMean[0] - restMean[0])
                                      + (dMean[2] - restMean[2]) * (dMean[2] - restMean[2]));
    if (distance > threshold) {
        c.colours.swap(kept);
        c.tags.swap(keptTags);
        const SymmetricMatrix3 dMoments = d.clusterMoments();
        for (int k = 0; k < 6; ++k)
            c.moments[k] -= dMoments[k];
        for (int k = 0; k < 3; ++k)
            c.sums[k] -= dSums[k];
        c.solvePrincipalAxis();
    } else {
        d.colours.clear();
        d.tags.clear();
    }
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
        splitCluster(clusters[static_cast<std::size_t>(widest)], threshold, half);
        if (half.colours.empty())
            return;
        clusters.push_back(std::move(half));
    }
}

/// Replaces the cluster's colours by at most `maximumCount` representatives: the truncated
/// means of its sub-clusters, each counted once in the recomputed statistics.
template <typename Types>
void refineToPalette(ColourCluster<Types>& cluster, unsigned maximumCount, double threshold) {
    if (cluster.colours.size() <= 1)
        return;
    std::vector<ColourCluster<Types>> parts(1);
    parts[0].colours = cluster.colours;
    parts[0].tags = cluster.tags;
    parts[0].recomputeStatistics();
    splitClusters(parts, maximumCount, threshold);

    cluster.colours.clear();
    cluster.tags.clear();
    for (const ColourCluster<Types>& part : parts)
        cluster.append(part.truncatedMean(), 0);
    cluster.recomputeStatistics();
}

template <typename Types>
void refineAllClusters(std::vector<ColourCluster<Types>>& clusters, unsigned maximumCount,
                       double threshold) {
    for (ColourCluster<Types>& cluster : clusters)
        refineToPalette(cluster, maximumCount, threshold);
}

}  // namespace matting
}  // namespace Corvel
