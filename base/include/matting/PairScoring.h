#pragma once

#include "matting/ColourCluster.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace Corvel {
namespace matting {

using FloatColour = std::array<float, 3>;

/// The score of a pair that explains nothing: the lowest finite float.
constexpr float noScore = -3.4028235e38f;

namespace detail {

inline double dot3(const Vector3& p, const Vector3& q) {
    return p[0] * q[0] + p[1] * q[1] + p[2] * q[2];
}

inline Vector3 difference(const Vector3& p, const Vector3& q) {
    return {p[0] - q[0], p[1] - q[1], p[2] - q[2]};
}

/// C seen from one end of a segment: C - E and its squared length.
struct EndView {
    Vector3 offset{};
    double squared = 0.0;

    EndView() = default;
    EndView(const Vector3& c, const Vector3& end)
        : offset(difference(c, end)), squared(dot3(offset, offset)) {}
};

/// The squared distance from C to the segment from B to F, given C as seen from B and the
/// squared distance from C to F. Not a number when F equals B.
inline double segmentSquaredDistance(const Vector3& f, const Vector3& b, const EndView& fromB,
                                     double toFSquared) {
    const Vector3 dF = difference(f, b);
    const float t = static_cast<float>(dot3(dF, fromB.offset) / dot3(dF, dF));
    if (t < 0.0f)
        return fromB.squared;
    if (t > 1.0f)
        return toFSquared;
    const double td = t;
    const Vector3 off = {fromB.offset[0] - td * dF[0], fromB.offset[1] - td * dF[1],
                         fromB.offset[2] - td * dF[2]};
    return dot3(off, off);
}

/// True when C lies so far from the line through B and F that its squared distance to the
/// segment is surely not below `bound`: the distance to the line, |C - B|^2 - (dF.dC)^2 / dF^2,
/// is a lower bound of every branch of segmentSquaredDistance. Compared multiplied through by
/// dF^2 (no division), with a margin far above the rounding of either side.
inline bool fartherThan(const Vector3& f, const Vector3& b, const EndView& fromB, double bound) {
    const Vector3 dF = difference(f, b);
    const double along = dot3(dF, fromB.offset);
    const double length = dot3(dF, dF);
    const double scaled = fromB.squared * length;
    return scaled - along * along > bound * length * (1.0 + 1e-9) + scaled * 1e-9;
}

inline float scoreOfSquaredDistance(double squared) {
    return static_cast<float>(-std::sqrt(squared));
}

}  // namespace detail

/// Minus the distance from C to the segment from B to F. Not a number when F equals B, which
/// no comparison of the scoring accepts.
inline float segmentScore(const Vector3& f, const Vector3& b, const Vector3& c) {
    return detail::scoreOfSquaredDistance(detail::segmentSquaredDistance(
        f, b, detail::EndView(c, b), detail::EndView(c, f).squared));
}

/// The cluster's colour nearest to its mean (the first of equals). The cluster holds colours.
template <typename Types>
typename Types::Triple nearestToMean(const ColourCluster<Types>& cluster) {
    const Vector3 m = cluster.clusterMean();
    double best = std::numeric_limits<double>::max();
    std::size_t found = 0;
    for (std::size_t k = 0; k < cluster.colours.size(); ++k) {
        const auto& x = cluster.colours[k];
        const double d0 = x[0] - m[0], d1 = x[1] - m[1], d2 = x[2] - m[2];
        const double distance = d0 * d0 + d1 * d1 + d2 * d2;
        if (distance < best) {
            best = distance;
            found = k;
        }
    }
    return cluster.colours[found];
}

/// The inverse of a symmetric matrix, or zeros when it is (nearly) singular.
inline SymmetricMatrix3 invertSymmetric3(const SymmetricMatrix3& m) {
    const SymmetricMatrix3 k = cofactorMatrix(m);
    const double det = m[0] * k[0] + m[3] * k[3] + m[5] * k[5];
    if (std::fabs(det) < 1e-5)
        return {};
    const double r = 1.0 / det;
    return {r * k[0], r * k[1], r * k[2], r * k[3], r * k[4], r * k[5]};
}

namespace detail {

/// What the fit term needs of a cluster, worked out once per cluster instead of once per
/// colour pair.
struct FitModel {
    bool flat = true;   // fewer than two colours: every fit term is 0
    Vector3 mean{};
    SymmetricMatrix3 inverse{};

    double term(const Vector3& x) const {
        if (flat)
            return 0.0;
        const double d0 = x[0] - mean[0], d1 = x[1] - mean[1], d2 = x[2] - mean[2];
        const SymmetricMatrix3& n = inverse;
        return -(d0 * d0 * n[0] + d1 * d1 * n[1] + d2 * d2 * n[2]
                 + 2.0 * (d0 * d1 * n[3] + d0 * d2 * n[5]) + 2.0 * d1 * d2 * n[4]);
    }
};

template <typename Types>
FitModel fitModel(const ColourCluster<Types>& cluster) {
    FitModel model;
    if (cluster.colours.size() < 2)
        return model;
    model.flat = false;
    model.mean = cluster.clusterMean();
    model.inverse = invertSymmetric3(cluster.scatterMatrix());
    return model;
}

template <typename Triple>
Vector3 widen(const Triple& colour) {
    return {static_cast<double>(colour[0]), static_cast<double>(colour[1]),
            static_cast<double>(colour[2])};
}

}  // namespace detail

/// How typical `colour` is of the cluster: 0 with fewer than two colours, else minus its
/// Mahalanobis form d^T M^-1 d against the scatter matrix M.
template <typename Types>
double clusterFitTerm(const ColourCluster<Types>& cluster, const Vector3& colour) {
    return detail::fitModel(cluster).term(colour);
}

/// The result of scoring a pair of palettes. `foreground` and `background` are set only when
/// a colour pair was chosen (score above noScore).
struct PairScore {
    float score = noScore;
    FloatColour foreground{-1.0f, -1.0f, -1.0f};
    FloatColour background{-1.0f, -1.0f, -1.0f};
};

/// What the scoring reads of a palette, worked out once per palette rather than once per
/// scored pixel: each cluster's representative colour (nearest to its mean), its colours and
/// their fit terms, all widened to doubles. A palette of a pyramid cell serves every pixel of
/// the cell, so the search keeps its digest with the cell.
struct PaletteDigest {
    std::vector<Vector3> representatives;
    /// Cluster k owns colours firstColour[k] .. firstColour[k + 1] - 1.
    std::vector<std::size_t> firstColour;
    std::vector<Vector3> colours;
    std::vector<double> fitTerms;

    std::size_t clusterCount() const { return representatives.size(); }
};

/// The digest of a palette whose clusters all hold colours.
template <typename Types>
PaletteDigest digestPalette(const std::vector<ColourCluster<Types>>& palette) {
    PaletteDigest digest;
    digest.representatives.reserve(palette.size());
    digest.firstColour.reserve(palette.size() + 1);
    for (const ColourCluster<Types>& cluster : palette) {
        digest.representatives.push_back(detail::widen(nearestToMean(cluster)));
        digest.firstColour.push_back(digest.colours.size());
        const detail::FitModel fit = detail::fitModel(cluster);
        for (const auto& colour : cluster.colours) {
            digest.colours.push_back(detail::widen(colour));
            digest.fitTerms.push_back(fit.term(digest.colours.back()));
        }
    }
    digest.firstColour.push_back(digest.colours.size());
    return digest;
}

/// Picks the cluster pair whose representatives best explain C as a mix, then the colour
/// pair inside those two clusters with the best segment score plus fit terms (the first of
/// equals, foreground-major). `result`'s colours are overwritten only when a pair is chosen.
inline void scorePalettePair(const PaletteDigest& foreground, const PaletteDigest& background,
                             const FloatColour& observed, PairScore& result) {
    const Vector3 c = {observed[0], observed[1], observed[2]};

    // Terms that depend on one end only are formed once per end, with the same arithmetic
    // as segmentScore, so every score is the same to the bit. A pair is only scored when its
    // squared distance is below the best one's: the score, -sqrt rounded to float, can then
    // not be greater either, so the first of equal scores still wins.
    std::vector<detail::EndView> fromBackground;
    fromBackground.reserve(background.clusterCount());
    for (const Vector3& b : background.representatives)
        fromBackground.emplace_back(c, b);

    float score = noScore;
    double bestSquared = std::numeric_limits<double>::infinity();
    std::size_t bestForeground = 0, bestBackground = 0;
    bool chosen = false;
    for (std::size_t p = 0; p < foreground.clusterCount(); ++p) {
        const Vector3& f = foreground.representatives[p];
        const double toFSquared = detail::EndView(c, f).squared;
        for (std::size_t q = 0; q < background.clusterCount(); ++q) {
            if (detail::fartherThan(f, background.representatives[q], fromBackground[q],
                                    bestSquared))
                continue;
            const double squared = detail::segmentSquaredDistance(
                f, background.representatives[q], fromBackground[q], toFSquared);
            if (!(squared < bestSquared))   // also passes over a pair that is not a number
                continue;
            const float s = detail::scoreOfSquaredDistance(squared);
            if (s > score) {
                score = s;
                bestSquared = squared;
                bestForeground = p;
                bestBackground = q;
                chosen = true;
            }
        }
    }

    result.score = noScore;
    if (!chosen)
        return;
    const std::size_t firstB = background.firstColour[bestBackground];
    const std::size_t endB = background.firstColour[bestBackground + 1];
    fromBackground.clear();
    for (std::size_t k = firstB; k < endB; ++k)
        fromBackground.emplace_back(c, background.colours[k]);
    for (std::size_t m = foreground.firstColour[bestForeground];
         m < foreground.firstColour[bestForeground + 1]; ++m) {
        const Vector3& f = foreground.colours[m];
        const double toFSquared = detail::EndView(c, f).squared;
        for (std::size_t k = firstB; k < endB; ++k) {
            const Vector3& b = background.colours[k];
            // The total can only beat the score when the segment's distance stays below the
            // fit terms' headroom; the bound carries margins far above every rounding.
            const double fit = background.fitTerms[k] + foreground.fitTerms[m];
            const double headroom = fit - static_cast<double>(result.score)
                                    + 1e-9 * (std::fabs(fit) + std::fabs(result.score) + 1.0);
            if (headroom < 0.0
                || detail::fartherThan(f, b, fromBackground[k - firstB],
                                       headroom * headroom * (1.0 + 1e-6)))
                continue;
            const float segment = detail::scoreOfSquaredDistance(
                detail::segmentSquaredDistance(f, b, fromBackground[k - firstB], toFSquared));
            const float total = static_cast<float>(
                background.fitTerms[k] + (foreground.fitTerms[m] + static_cast<double>(segment)));
            if (total > result.score) {
                result.score = total;
                result.foreground = {static_cast<float>(f[0]), static_cast<float>(f[1]),
                                     static_cast<float>(f[2])};
                result.background = {static_cast<float>(b[0]), static_cast<float>(b[1]),
                                     static_cast<float>(b[2])};
            }
        }
    }
}

/// The same for two palettes of clusters that all hold colours.
template <typename Types>
void scorePalettePair(const std::vector<ColourCluster<Types>>& foregroundPalette,
                      const std::vector<ColourCluster<Types>>& backgroundPalette,
                      const FloatColour& observed, PairScore& result) {
    scorePalettePair(digestPalette(foregroundPalette), digestPalette(backgroundPalette),
                     observed, result);
}

}  // namespace matting
}  // namespace Corvel
