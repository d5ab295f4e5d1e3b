#include "classification/ContourToPolyline.h"

#include <cstddef>

namespace classification {

namespace {

FloatPoint toFloat(const IntPoint& p) {
    return FloatPoint(static_cast<float>(p[0]), static_cast<float>(p[1]));
}

/// wa * a + wb * b summed in integers, then scaled.
FloatPoint weighted(int wa, const IntPoint& a, int wb, const IntPoint& b, float scale) {
    return FloatPoint(static_cast<float>(wa * a[0] + wb * b[0]) * scale,
                      static_cast<float>(wa * a[1] + wb * b[1]) * scale);
}

/// a + w * b + c summed in integers, then scaled.
FloatPoint smoothed(const IntPoint& a, const IntPoint& b, const IntPoint& c, int w, float scale) {
    return FloatPoint(static_cast<float>(a[0] + w * b[0] + c[0]) * scale,
                      static_cast<float>(a[1] + w * b[1] + c[1]) * scale);
}

/// The frame every variant shares: an open contour keeps its end points, a closed one ends
/// on the first point the conversion produced. `inner` appends the points between.
template <typename Inner>
void convertContour(FloatPolyline& polyline, const IntPolyline& contour, Inner inner) {
    if (contour.size() < 2)
        return;
    const bool closed = samePoint(contour.front(), contour.back());
    const std::size_t start = polyline.size();
    if (!closed)
        polyline.push_back(toFloat(contour.front()));
    inner(closed);
    const FloatPoint last = closed ? FloatPoint(polyline[start]) : toFloat(contour.back());
    polyline.push_back(last);
}

/// The segment variants: `cut` appends the new points of one segment.
template <typename Cut>
void convertSegments(FloatPolyline& polyline, const IntPolyline& contour, Cut cut) {
    convertContour(polyline, contour, [&](bool) {
        for (std::size_t k = 0; k + 1 < contour.size(); ++k)
            cut(contour[k], contour[k + 1]);
    });
}

/// The smoothing variants; a closed contour also smooths its closing vertex p0 between
/// p(n-2) and p1.
void convertSmoothed(FloatPolyline& polyline, const IntPolyline& contour, int weight, float scale) {
    const std::size_t n = contour.size();
    convertContour(polyline, contour, [&](bool closed) {
        for (std::size_t k = 1; k + 1 < n; ++k)
            polyline.push_back(smoothed(contour[k - 1], contour[k], contour[k + 1], weight, scale));
        if (closed)
            polyline.push_back(smoothed(contour[n - 2], contour[0], contour[1], weight, scale));
    });
}

}  // namespace

void contourToPolylineMidpoints(FloatPolyline& polyline, const IntPolyline& contour) {
    convertSegments(polyline, contour, [&](const IntPoint& a, const IntPoint& b) {
        polyline.push_back(weighted(1, a, 1, b, 0.5f));
    });
}

void contourToPolylineCutThirds(FloatPolyline& polyline, const IntPolyline& contour) {
    convertSegments(polyline, contour, [&](const IntPoint& a, const IntPoint& b) {
        polyline.push_back(weighted(2, a, 1, b, 0.33333334f));
        polyline.push_back(weighted(1, a, 2, b, 0.33333334f));
    });
}

void contourToPolylineCutQuarters(FloatPolyline& polyline, const IntPolyline& contour) {
    convertSegments(polyline, contour, [&](const IntPoint& a, const IntPoint& b) {
        polyline.push_back(weighted(3, a, 1, b, 0.25f));
        polyline.push_back(weighted(1, a, 3, b, 0.25f));
    });
}

void contourToPolylineSmooth4(FloatPolyline& polyline, const IntPolyline& contour) {
    convertSmoothed(polyline, contour, 2, 0.25f);
}

void contourToPolylineSmooth5(FloatPolyline& polyline, const IntPolyline& contour) {
    convertSmoothed(polyline, contour, 3, 0.2f);
}

void contourToPolylineSmooth6(FloatPolyline& polyline, const IntPolyline& contour) {
    convertSmoothed(polyline, contour, 4, 0.16666667f);
}

void contourToPolyline(FloatPolyline& polyline, const IntPolyline& contour) {
    // A closed contour's first point comes from the loop, its last is the first again.
    convertContour(polyline, contour, [&](bool closed) {
        for (std::size_t k = closed ? 0 : 1; k + 1 < contour.size(); ++k)
            polyline.push_back(toFloat(contour[k]));
    });
}

}  // namespace classification
