#pragma once

#include "matting/ColourCluster.h"

#include <algorithm>
#include <array>
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

/// The squared distance from C to the segment from B to F, given C as seen from B
/// (`fromB` = C - B and its squared length), the squared distance from C to F, and
/// along = dF . (C - B) and length = dF . dF with dF = F - B. Not a number when F equals B.
inline double segmentFromTerms(const Vector3& f, const Vector3& b, const Vector3& fromB,
                               double fromBSquared, double along, double length,
                               double toFSquared) {
    const float t = static_cast<float>(along / length);
    if (t < 0.0f)
        return fromBSquared;
    if (t > 1.0f)
        return toFSquared;
    const double td = t;
    const Vector3 off = {fromB[0] - td * (f[0] - b[0]), fromB[1] - td * (f[1] - b[1]),
                         fromB[2] - td * (f[2] - b[2])};
    return dot3(off, off);
}

inline float scoreOfSquaredDistance(double squared) {
    return static_cast<float>(-std::sqrt(squared));
}

}  // namespace detail

/// Minus the distance from C to the segment from B to F. Not a number when F equals B, which
/// no comparison of the scoring accepts.
inline float segmentScore(const Vector3& f, const Vector3& b, const Vector3& c) {
    const detail::EndView fromB(c, b);
    const Vector3 dF = detail::difference(f, b);
    return detail::scoreOfSquaredDistance(detail::segmentFromTerms(
        f, b, fromB.offset, fromB.squared, detail::dot3(dF, fromB.offset), detail::dot3(dF, dF),
        detail::EndView(c, f).squared));
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
/// the cell, so the search keeps its digest with the cell. Colours are held channel by
/// channel, so that the pair loops read consecutive values.
struct PaletteDigest {
    /// Channel k of cluster p's representative is representatives[k][p].
    std::array<std::vector<double>, 3> representatives;
    /// Cluster p owns colours firstColour[p] .. firstColour[p + 1] - 1.
    std::vector<std::size_t> firstColour{0};
    /// Channel k of colour m is colours[k][m].
    std::array<std::vector<double>, 3> colours;
    std::vector<double> fitTerms;

    std::size_t clusterCount() const { return firstColour.size() - 1; }
};

/// The digest of a palette whose clusters all hold colours.
template <typename Types>
PaletteDigest digestPalette(const std::vector<ColourCluster<Types>>& palette) {
    PaletteDigest digest;
    std::size_t total = 0;
    for (const ColourCluster<Types>& cluster : palette)
        total += cluster.colours.size();
    for (int k = 0; k < 3; ++k) {
        digest.representatives[k].reserve(palette.size());
        digest.colours[k].reserve(total);
    }
    digest.firstColour.reserve(palette.size() + 1);
    digest.fitTerms.reserve(total);
    for (const ColourCluster<Types>& cluster : palette) {
        const Vector3 representative = detail::widen(nearestToMean(cluster));
        for (int k = 0; k < 3; ++k)
            digest.representatives[k].push_back(representative[k]);
        const detail::FitModel fit = detail::fitModel(cluster);
        for (const auto& colour : cluster.colours) {
            const Vector3 wide = detail::widen(colour);
            for (int k = 0; k < 3; ++k)
                digest.colours[k].push_back(wide[k]);
            digest.fitTerms.push_back(fit.term(wide));
        }
        digest.firstColour.push_back(digest.fitTerms.size());
    }
    return digest;
}

/// Working memory of the pair scoring, kept by a caller that scores many pairs so that the
/// scoring allocates nothing once it has grown to the largest palette.
class ScoringScratch {
public:
    /// Room for `count` doubles in each of the scratch rows.
    void reserve(std::size_t count) {
        if (count > capacity_) {
            values_.assign(count * rowCount, 0.0);
            capacity_ = count;
        }
    }
    double* row(int k) { return values_.data() + static_cast<std::size_t>(k) * capacity_; }

    static constexpr int rowCount = 7;

private:
    std::vector<double> values_;
    std::size_t capacity_ = 0;
};

namespace detail {

/// C seen from each of `n` colours (channels x, y, z): the offsets C - E and their squared
/// lengths, with the arithmetic of EndView.
inline void endViews(const Vector3& c, const double* x, const double* y, const double* z,
                     std::size_t n, double* ox, double* oy, double* oz, double* squared) {
    for (std::size_t k = 0; k < n; ++k) {
        ox[k] = c[0] - x[k];
        oy[k] = c[1] - y[k];
        oz[k] = c[2] - z[k];
        squared[k] = ox[k] * ox[k] + oy[k] * oy[k] + oz[k] * oz[k];
    }
}

/// For one F and each of `n` colours B: along = dF . (C - B) and length = dF . dF with
/// dF = F - B, and excess = |C - B|^2 length - along^2, which is length times the squared
/// distance from C to the line through B and F.
inline void lineTerms(const Vector3& f, const double* x, const double* y, const double* z,
                      const double* ox, const double* oy, const double* oz,
                      const double* squared, std::size_t n, double* along, double* length,
                      double* excess) {
    for (std::size_t k = 0; k < n; ++k) {
        const double d0 = f[0] - x[k], d1 = f[1] - y[k], d2 = f[2] - z[k];
        const double a = d0 * ox[k] + d1 * oy[k] + d2 * oz[k];
        const double l = d0 * d0 + d1 * d1 + d2 * d2;
        along[k] = a;
        length[k] = l;
        excess[k] = squared[k] * l - a * a;
    }
}

/// True when C lies so far from the line through B and F that its squared distance to the
/// segment is surely not below `bound`: the distance to the line is a lower bound of every
/// branch of segmentFromTerms. Compared multiplied through by the length (no
/// division), with a margin far above the rounding of either side.
inline bool excessBeyond(double excess, double length, double squared, double bound) {
    return excess > bound * length * (1.0 + 1e-9) + squared * length * 1e-9;
}

inline double squaredDistance(const Vector3& c, const Vector3& e) {
    return dot3(difference(c, e), difference(c, e));
}

}  // namespace detail

/// Picks the cluster pair whose representatives best explain C as a mix, then the colour
/// pair inside those two clusters with the best segment score plus fit terms (the first of
/// equals, foreground-major). `result`'s colours are overwritten only when a pair is chosen.
inline void scorePalettePair(const PaletteDigest& foreground, const PaletteDigest& background,
                             const FloatColour& observed, PairScore& result,
                             ScoringScratch& scratch) {
    const Vector3 c = {observed[0], observed[1], observed[2]};
    const std::size_t backgroundClusters = background.clusterCount();
    scratch.reserve(std::max(backgroundClusters, background.fitTerms.size()));
    double* const ox = scratch.row(0);
    double* const oy = scratch.row(1);
    double* const oz = scratch.row(2);
    double* const fromB = scratch.row(3);
    double* const along = scratch.row(4);
    double* const length = scratch.row(5);
    double* const excess = scratch.row(6);

    // Terms that depend on one end only are formed once per end, with the same arithmetic
    // as segmentScore, so every score is the same to the bit. A pair is only scored when its
    // squared distance is below the best one's: the score, -sqrt rounded to float, can then
    // not be greater either, so the first of equal scores still wins. The line terms of a
    // whole row of pairs are formed in one loop the compiler can vectorise; the pruning
    // bound carries margins far above every rounding.
    const auto& reps = background.representatives;
    detail::endViews(c, reps[0].data(), reps[1].data(), reps[2].data(), backgroundClusters, ox,
                     oy, oz, fromB);
    float score = noScore;
    double bestSquared = std::numeric_limits<double>::infinity();
    std::size_t bestForeground = 0, bestBackground = 0;
    bool chosen = false;
    for (std::size_t p = 0; p < foreground.clusterCount(); ++p) {
        const Vector3 f = {foreground.representatives[0][p], foreground.representatives[1][p],
                           foreground.representatives[2][p]};
        const double toFSquared = detail::squaredDistance(c, f);
        detail::lineTerms(f, reps[0].data(), reps[1].data(), reps[2].data(), ox, oy, oz, fromB,
                          backgroundClusters, along, length, excess);
        for (std::size_t q = 0; q < backgroundClusters; ++q) {
            if (detail::excessBeyond(excess[q], length[q], fromB[q], bestSquared))
                continue;
            const double squared = detail::segmentFromTerms(
                f, {reps[0][q], reps[1][q], reps[2][q]}, {ox[q], oy[q], oz[q]}, fromB[q],
                along[q], length[q], toFSquared);
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
    const std::size_t countB = background.firstColour[bestBackground + 1] - firstB;
    const double* const bx = background.colours[0].data() + firstB;
    const double* const by = background.colours[1].data() + firstB;
    const double* const bz = background.colours[2].data() + firstB;
    const double* const fitB = background.fitTerms.data() + firstB;
    detail::endViews(c, bx, by, bz, countB, ox, oy, oz, fromB);
    for (std::size_t m = foreground.firstColour[bestForeground];
         m < foreground.firstColour[bestForeground + 1]; ++m) {
        const Vector3 f = {foreground.colours[0][m], foreground.colours[1][m],
                           foreground.colours[2][m]};
        const double fitF = foreground.fitTerms[m];
        const double toFSquared = detail::squaredDistance(c, f);
        detail::lineTerms(f, bx, by, bz, ox, oy, oz, fromB, countB, along, length, excess);
        for (std::size_t k = 0; k < countB; ++k) {
            // The total can only beat the score when the segment's distance stays below the
            // fit terms' headroom.
            const double fit = fitB[k] + fitF;
            const double headroom = fit - static_cast<double>(result.score)
                                    + 1e-9 * (std::fabs(fit) + std::fabs(result.score) + 1.0);
            if (headroom < 0.0
                || detail::excessBeyond(excess[k], length[k], fromB[k],
                                        headroom * headroom * (1.0 + 1e-6)))
                continue;
            const Vector3 b = {bx[k], by[k], bz[k]};
            const float segment = detail::scoreOfSquaredDistance(detail::segmentFromTerms(
                f, b, {ox[k], oy[k], oz[k]}, fromB[k], along[k], length[k], toFSquared));
            const float total = static_cast<float>(fitB[k] + (fitF + static_cast<double>(segment)));
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

inline void scorePalettePair(const PaletteDigest& foreground, const PaletteDigest& background,
                             const FloatColour& observed, PairScore& result) {
    ScoringScratch scratch;
    scorePalettePair(foreground, background, observed, result, scratch);
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
