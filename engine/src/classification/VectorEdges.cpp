#include "classification/VectorEdges.h"

#include "classification/BoxOps.h"
#include "classification/ContourToPolyline.h"
#include "classification/ContourTracing.h"
#include "classification/PolylineSimplification.h"

#include <stdexcept>
#include <utility>

namespace classification {
namespace {

constexpr unsigned char rightSide = 1;
constexpr unsigned char upperSide = 2;
constexpr unsigned char leftSide = 4;
constexpr unsigned char lowerSide = 8;

/// The shared scan: calls `start(row, column, direction, otherRow, otherColumn)` for every
/// boundary to trace, with `flags` as the traces leave them.
template <typename Value, typename Start>
void scanBoundaries(const blitz::Array<Value, 2>& image, const IntBox& box,
                    blitz::Array<unsigned char, 2>& flags, Start start) {
    if (isBoxEmpty(box) || !IntBox::domainOf(image).contains(grownBox(box, 2)))
        throw std::invalid_argument("boundary scan needs the box grown by two pixels");
    for (int x = box.lower[1]; x <= box.upper[1] + 1; ++x)
        for (int y = box.lower[0]; y <= box.upper[0] + 1; ++y) {
            if (image(y, x) != image(y, x - 1) && !(flags(y, x) & leftSide) &&
                !(flags(y, x - 1) & rightSide))
                start(y, x, 2, y, x - 1);
            if (image(y, x) != image(y - 1, x) && !(flags(y, x) & upperSide) &&
                !(flags(y - 1, x) & lowerSide))
                start(y, x, 1, y - 1, x);
        }
}

blitz::Array<unsigned char, 2> emptyFlags(const IntBox& domain) {
    blitz::Array<unsigned char, 2> flags(blitz::Range(domain.lower[0], domain.upper[0]),
                                         blitz::Range(domain.lower[1], domain.upper[1]));
    flags = 0;
    return flags;
}

template <typename Convert>
void convertEach(EdgePolylineList& edges, ContourIterator first, ContourIterator last,
                 Convert convert) {
    for (; first != last; ++first) {
        if (first->labels[0] == -1 || first->labels[1] == -1)
            continue;
        edges.emplace_back();
        convert(edges.back(), first->points);
    }
}

}  // namespace

void traceRegionOutlines(std::vector<IntPolyline>& outlines,
                         const blitz::Array<unsigned char, 2>& image, const IntBox& box) {
    blitz::Array<unsigned char, 2> flags = emptyFlags(IntBox::domainOf(image));
    const ContourDirections directions = ContourDirections::standard();
    const ContourTransitions transitions = ContourTransitions::standard();
    scanBoundaries(image, box, flags, [&](int y, int x, int direction, int, int) {
        outlines.emplace_back();
        traceContourA(outlines.back(), flags, image, IntPoint(y, x), direction, directions,
                      transitions);
    });
}

void traceLabelBoundaries(std::vector<TracedContour>& contours,
                          const blitz::Array<std::int32_t, 2>& labels, const IntBox& box) {
    blitz::Array<unsigned char, 2> flags = emptyFlags(IntBox::domainOf(labels));
    const ContourDirections directions = ContourDirections::standard();
    const ContourTransitions transitions = ContourTransitions::standard();
    scanBoundaries(labels, box, flags, [&](int y, int x, int direction, int otherY, int otherX) {
        contours.emplace_back();
        TracedContour& contour = contours.back();
        contour.labels[0] = labels(y, x);
        contour.labels[1] = labels(otherY, otherX);
        if (traceContourB(contour.points, flags, labels, IntPoint(y, x), direction, directions,
                          transitions) == 1)
            std::swap(contour.labels[0], contour.labels[1]);
    });
}

void convertContoursMidpoints(EdgePolylineList& edges, ContourIterator first, ContourIterator last) {
    convertEach(edges, first, last, contourToPolylineMidpoints);
}
void convertContoursThirds(EdgePolylineList& edges, ContourIterator first, ContourIterator last) {
    convertEach(edges, first, last, contourToPolylineCutThirds);
}
void convertContoursQuarters(EdgePolylineList& edges, ContourIterator first, ContourIterator last) {
    convertEach(edges, first, last, contourToPolylineCutQuarters);
}
void convertContoursSmooth4(EdgePolylineList& edges, ContourIterator first, ContourIterator last) {
    convertEach(edges, first, last, contourToPolylineSmooth4);
}
void convertContoursSmooth5(EdgePolylineList& edges, ContourIterator first, ContourIterator last) {
    convertEach(edges, first, last, contourToPolylineSmooth5);
}
void convertContoursSmooth6(EdgePolylineList& edges, ContourIterator first, ContourIterator last) {
    convertEach(edges, first, last, contourToPolylineSmooth6);
}
void convertContoursUnchanged(EdgePolylineList& edges, ContourIterator first, ContourIterator last) {
    convertEach(edges, first, last, contourToPolyline);
}

void convertContours(EdgePolylineList& edges, const std::vector<TracedContour>& contours,
                     int variant) {
    const auto first = contours.begin();
    const auto last = contours.end();
    switch (static_cast<unsigned>(variant)) {
    case 0: convertContoursMidpoints(edges, first, last); break;
    case 1: convertContoursThirds(edges, first, last); break;
    case 2: convertContoursQuarters(edges, first, last); break;
    case 3: convertContoursSmooth4(edges, first, last); break;
    case 4: convertContoursSmooth5(edges, first, last); break;
    case 5: convertContoursSmooth6(edges, first, last); break;
    default: convertContoursUnchanged(edges, first, last); break;
    }
}

EdgePolylineList vectorEdges(const blitz::Array<std::int32_t, 2>& labels, const IntBox& box,
                             int variant, float simplify, float smooth) {
    EdgePolylineList edges;
    if (isBoxEmpty(box))
        return edges;
    const IntBox bordered = grownBox(box, 2);
    blitz::Array<std::int32_t, 2> copy(blitz::Range(bordered.lower[0], bordered.upper[0]),
                                       blitz::Range(bordered.lower[1], bordered.upper[1]));
    copy = -1;
    IntBox inside = box;
    if (intersectBox(inside, IntBox::domainOf(labels)))
        cropArrayToBox(copy, inside) = cropArrayToBox(blitz::Array<std::int32_t, 2>(labels), inside);

    std::vector<TracedContour> contours;
    traceLabelBoundaries(contours, copy, box);
    edges.reserve(contours.size());
    convertContours(edges, contours, variant);
    if (simplify != 0.0f)   // an undefined value simplifies too
        simplifyPolylines(edges, simplify);
    if (smooth != 0.0f) {
        roundPolylineCorners(edges.begin(), edges.end(), smooth);
        roundPolylineCorners(edges.begin(), edges.end(), smooth);
    }
    return edges;
}

void traceSelectionOutline(const blitz::Array<unsigned char, 2>& mask,
                           std::vector<IntPolyline>& outlines, ProgressRange) {
    const IntBox domain = IntBox::domainOf(mask);
    if (isBoxEmpty(domain))
        return;
    const IntBox bordered = grownBox(domain, 2);
    blitz::Array<unsigned char, 2> copy(blitz::Range(bordered.lower[0], bordered.upper[0]),
                                        blitz::Range(bordered.lower[1], bordered.upper[1]));
    copy = 0;
    cropArrayToBox(copy, domain) = mask;
    traceRegionOutlines(outlines, copy, domain);
    simplifyIntPolylines(outlines, 0.1f);
}

}  // namespace classification
