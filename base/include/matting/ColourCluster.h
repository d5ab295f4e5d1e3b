#pragma once

#include <blitz/array.h>   // with the TinyVector members compiled in

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace Corvel {
namespace matting {

/// The number types of the matting: single and double precision, and the channel type of
/// the colours (unsigned char for 8-bit images, unsigned short for both 16-bit formats).
template <typename FloatType, typename DoubleType, typename ChannelType>
struct cbbTypes {
    using Float = FloatType;
    using Double = DoubleType;
    using Channel = ChannelType;
    /// The first three channels of a pixel, in the pixel's own channel order.
    using Triple = blitz::TinyVector<ChannelType, 3>;
};

using cbbTypes8 = cbbTypes<float, double, unsigned char>;
using cbbTypes16 = cbbTypes<float, double, unsigned short>;

/// A symmetric 3 x 3 matrix in the slot order m00, m11, m22, m01, m12, m20.
using SymmetricMatrix3 = std::array<double, 6>;
using Vector3 = std::array<double, 3>;

/// The cofactors of a symmetric matrix, in the same slot order. For a symmetric matrix the
/// cofactor matrix is the adjugate, so slots (0, 3, 5), (3, 1, 4) and (5, 4, 2) are its columns.
inline SymmetricMatrix3 cofactorMatrix(const SymmetricMatrix3& m) {
    return {m[1] * m[2] - m[4] * m[4],
            m[0] * m[2] - m[5] * m[5],
            m[1] * m[0] - m[3] * m[3],
            m[4] * m[5] - m[3] * m[2],
            m[5] * m[3] - m[4] * m[0],
            m[4] * m[3] - m[1] * m[5]};
}

/// The largest real root of x^3 + a x^2 + b x + c = 0 (closed form; all roots of a
/// characteristic polynomial of a scatter matrix are real).
inline double largestCubicRoot(double a, double b, double c) {
    constexpr double oneNinth = 0.1111111111111111;
    constexpr double oneFiftyFourth = 0.018518518518518517;
    constexpr double oneThird = 0.3333333333333333;
    constexpr double twoPi = 6.283185307179586;
    constexpr double twoPiThirds = 2.0943951023931953;

    const double q = (a * a - 3.0 * b) * oneNinth;
    const double r = (2.0 * std::pow(a, 3.0) - 9.0 * a * b) * oneFiftyFourth + 0.5 * c;
    const double qCubed = std::pow(q, 3.0);
    const double d = r * r - qCubed;
    if (d >= 0.0) {
        const auto realCubeRoot = [](double v) {
            return v >= 0.0 ? std::pow(v, oneThird) : -std::pow(-v, oneThird);
        };
        const double s = std::sqrt(d);
        const double u = realCubeRoot(-r - s) + realCubeRoot(s - r);
        if (d > 0.0)
            return u - a * oneThird;
        return std::max(u - a * oneThird, -0.5 * u - a * oneThird);
    }
    // Three real roots. Rounding can push the ratio just past +-1, where the arccosine
    // would give a spread that is not a number; the clamp keeps such a cluster splittable.
    const double ratio = std::clamp(r / std::sqrt(qCubed), -1.0, 1.0);
    const double theta = std::acos(ratio);
    const double k1 = std::cos(theta * oneThird);
    const double k2 = std::cos((theta - twoPi) * oneThird);
    const double k3 = std::cos(theta * oneThird + twoPiThirds);
    return -2.0 * std::sqrt(q) * std::min({k1, k2, k3}) - a * oneThird;
}

/// A list of colours with its running first and second moments, its largest spread and the
/// direction of that spread. Appending colours does not update the statistics; call
/// recomputeStatistics() (or let a split update them).
template <typename Types>
struct ColourCluster {
    using Channel = typename Types::Channel;
    using Triple = typename Types::Triple;

    /// Sums of c0^2, c1^2, c2^2, c0 c1, c1 c2, c2 c0 over the colours.
    SymmetricMatrix3 moments{};
    Vector3 sums{};
    std::vector<Triple> colours;
    /// The largest eigenvalue of the scatter matrix: the split priority.
    double spread = 0.0;
    /// An eigenvector for `spread`, not normalised.
    Vector3 axis{};
    /// One tag per colour, in step with `colours`.
    std::vector<std::uint32_t> tags;

    void append(const Triple& colour, std::uint32_t tag = 0) {
        colours.push_back(colour);
        tags.push_back(tag);
    }

    void recomputeStatistics() {
        if (colours.empty())
            return;
        accumulateSums();
        accumulateMoments();
        solvePrincipalAxis();
    }

    void accumulateSums() {
        sums = {0.0, 0.0, 0.0};
        for (const Triple& c : colours)
            for (int k = 0; k < 3; ++k)
                sums[k] += static_cast<double>(c[k]);
    }

    void accumulateMoments() {
        moments = {};
        for (const Triple& c : colours) {
            // 16-bit products exceed the range of int: widen before multiplying. Every
            // product of two 16-bit values is exact in a double.
            const double c0 = c[0], c1 = c[1], c2 = c[2];
            moments[0] += c0 * c0;
            moments[1] += c1 * c1;
            moments[2] += c2 * c2;
            moments[3] += c0 * c1;
            moments[4] += c1 * c2;
            moments[5] += c2 * c0;
        }
    }

    Vector3 clusterMean() const {
        const double reciprocal = 1.0 / static_cast<double>(colours.size());
        return {sums[0] * reciprocal, sums[1] * reciprocal, sums[2] * reciprocal};
    }

    /// n times the covariance matrix of the colours.
    SymmetricMatrix3 scatterMatrix() const {
        const Vector3 mean = clusterMean();
        return {moments[0] - sums[0] * mean[0],
                moments[1] - sums[1] * mean[1],
                moments[2] - sums[2] * mean[2],
                moments[3] - sums[1] * mean[0],
                moments[4] - sums[2] * mean[1],
                moments[5] - sums[0] * mean[2]};
    }

    /// Spread and axis from the current sums and moments.
    void solvePrincipalAxis() {
        const SymmetricMatrix3 m = scatterMatrix();
        if (m == SymmetricMatrix3{}) {
            // Colours all alike (one colour, or a power of two of equal ones): the solution
            // below gives exactly these values for a zero matrix, and such clusters are
            // common enough to cut short.
            spread = 0.0;
            axis = {0.0, 0.0, 0.0};
            return;
        }
        const SymmetricMatrix3 cof = cofactorMatrix(m);
        const double a = -m[0] - m[1] - m[2];
        const double b = cof[0] + cof[1] + cof[2];
        const double c = -(m[0] * cof[0] + m[3] * cof[3] + m[5] * cof[5]);
        spread = largestCubicRoot(a, b, c);

        // Every non-zero column of adj(M - spread I) is an eigenvector for the spread. The
        // first column alone vanishes whenever the spread has no first-channel component
        // (for example green against blue at equal red), and such clusters must still be
        // cut; so the column of largest norm is taken, turned to the first column's sense.
        const SymmetricMatrix3 shifted = {m[0] - spread, m[1] - spread, m[2] - spread,
                                          m[3], m[4], m[5]};
        const SymmetricMatrix3 adj = cofactorMatrix(shifted);
        const Vector3 columns[3] = {{adj[0], adj[3], adj[5]},
                                    {adj[3], adj[1], adj[4]},
                                    {adj[5], adj[4], adj[2]}};
        const auto squaredNorm = [](const Vector3& v) {
            return v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
        };
        int best = 0;
        for (int k = 1; k < 3; ++k)
            if (squaredNorm(columns[k]) > squaredNorm(columns[best]))
                best = k;
        axis = columns[best];
        const double sense = axis[0] * columns[0][0] + axis[1] * columns[0][1]
                             + axis[2] * columns[0][2];
        if (sense < 0.0)
            axis = {-axis[0], -axis[1], -axis[2]};
    }

    /// The mean, each component truncated toward zero into the channel type, with tag 0.
    Triple truncatedMean() const {
        const Vector3 mean = clusterMean();
        return Triple(static_cast<Channel>(static_cast<long>(mean[0])),
                      static_cast<Channel>(static_cast<long>(mean[1])),
                      static_cast<Channel>(static_cast<long>(mean[2])));
    }

    Vector3 clusterSums() const { return sums; }
    SymmetricMatrix3 clusterMoments() const { return moments; }
};

}  // namespace matting
}  // namespace Corvel
