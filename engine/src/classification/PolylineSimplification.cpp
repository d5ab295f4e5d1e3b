#include "classification/PolylineSimplification.h"

#include "classification/PolylineRounder.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace classification {

namespace {

/// a - b on one axis, in single precision (integer points subtract exactly first).
inline float difference(const IntPoint& a, const IntPoint& b, int axis) {
    return static_cast<float>(a[axis] - b[axis]);
}
inline float difference(const FloatPoint& a, const FloatPoint& b, int axis) {
    return a[axis] - b[axis];
}

inline float squaredDistance(const IntPoint& a, const IntPoint& b) {
    const std::int64_t d0 = a[0] - b[0];
    const std::int64_t d1 = a[1] - b[1];
    return static_cast<float>(d0 * d0 + d1 * d1);
}
inline float squaredDistance(const FloatPoint& a, const FloatPoint& b) {
    const double d0 = static_cast<double>(a[0]) - b[0];
    const double d1 = static_cast<double>(a[1]) - b[1];
    return static_cast<float>(d0 * d0 + d1 * d1);
}

/// Simplifies polylines in place. Kept points are written from the polyline's start; the
/// write position never passes the positions still to be read, so the polyline is cut to
/// its new length only at the end.
template <typename Point>
class Simplifier {
public:
    using Polyline = std::vector<Point>;

    explicit Simplifier(float tolerance) : tolerance_(tolerance) {}

    void simplify(Polyline& polyline) {
        const std::size_t n = polyline.size();
        if (n < 3)
            return;
        std::size_t write = 0;
        if (samePoint(polyline.front(), polyline.back()))
            splitClosedPolyline(polyline, write);
        else
            douglasPeuckerRange(polyline, 0, n - 1, write);
        polyline[write++] = polyline[n - 1];
        polyline.resize(write);
    }

private:
    void splitClosedPolyline(Polyline& polyline, std::size_t& write) {
        const std::size_t n = polyline.size();
        std::size_t farthest = 1;
        float farthestDistance = squaredDistance(polyline[0], polyline[1]);
        for (std::size_t k = 2; k + 1 < n; ++k) {
            const float distance = squaredDistance(polyline[0], polyline[k]);
            if (distance > farthestDistance) {
                farthestDistance = distance;
                farthest = k;
            }
        }
        douglasPeuckerRange(polyline, 0, farthest, write);
        douglasPeuckerRange(polyline, farthest, n - 1, write);
    }

    /// Writes the kept points from `start` up to, not including, `end`.
    void douglasPeuckerRange(Polyline& polyline, std::size_t start, std::size_t end,
                             std::size_t& write) {
        stack_.push_back(end);
        while (!stack_.empty()) {
            const std::size_t top = stack_.back();
            const std::size_t farthest = farthestBeyondTolerance(polyline, start, top);
            if (farthest == start) {
                polyline[write++] = polyline[start];
                start = top;
                stack_.pop_back();
            } else {
                stack_.push_back(farthest);
            }
        }
    }

    /// The point between s and t farthest from their chord and beyond the tolerance (the
    /// first on ties), or s when there is none. Distances are compared times the chord's
    /// length, which spares a division per point.
    std::size_t farthestBeyondTolerance(const Polyline& polyline, std::size_t s, std::size_t t) const {
        if (t == s + 1)
            return s;
        const Point& from = polyline[s];
        const Point& to = polyline[t];
        const float normal0 = difference(from, to, 1);
        const float normal1 = difference(to, from, 0);
        float threshold = static_cast<float>(
            std::sqrt(static_cast<double>(normal0) * normal0 + static_cast<double>(normal1) * normal1) *
            tolerance_);
        std::size_t candidate = s;
        for (std::size_t q = s + 1; q < t; ++q) {
            const float c = std::fabs(difference(polyline[q], from, 1) * normal1 +
                                      difference(polyline[q], from, 0) * normal0);
            if (c > threshold) {
                threshold = c;
                candidate = q;
            }
        }
        return candidate;
    }

    float tolerance_;
    std::vector<std::size_t> stack_;   // reused for every polyline of one call
};

template <typename Point>
void simplifyAll(std::vector<std::vector<Point>>& polylines, float tolerance) {
    Simplifier<Point> simplifier(tolerance);
    for (std::vector<Point>& polyline : polylines)
        simplifier.simplify(polyline);
}

}  // namespace

void simplifyPolylines(EdgePolylineList& polylines, float tolerance) {
    simplifyAll(polylines, tolerance);
}

void simplifyIntPolylines(std::vector<IntPolyline>& polylines, float tolerance) {
    simplifyAll(polylines, tolerance);
}

void roundPolylineCorners(EdgePolylineList::iterator first, EdgePolylineList::iterator last,
                          float radius) {
    const PolylineRounder rounder(radius);
    FloatPolyline rounded;
    for (; first != last; ++first) {
        FloatPolyline& polyline = *first;
        const std::size_t n = polyline.size();
        if (n < 3)
            continue;
        rounded.clear();
        rounded.reserve(2 * n + 1);
        if (samePoint(polyline.front(), polyline.back())) {
            rounder.roundCorners(rounded, polyline);
            const FloatPoint incoming = polyline[n - 2] - polyline[0];
            const FloatPoint outgoing = polyline[0] - polyline[1];
            rounder.roundCorner(rounded, incoming, lengthOf(incoming), outgoing,
                                lengthOf(outgoing), polyline[0]);
            const FloatPoint start = rounded.front();
            rounded.push_back(start);
        } else {
            rounded.push_back(polyline.front());
            rounder.roundCorners(rounded, polyline);
            rounded.push_back(polyline.back());
        }
        rounded.erase(std::unique(rounded.begin(), rounded.end(),
                                  [](const FloatPoint& a, const FloatPoint& b) { return samePoint(a, b); }),
                      rounded.end());
        polyline.swap(rounded);
    }
}

}  // namespace classification
