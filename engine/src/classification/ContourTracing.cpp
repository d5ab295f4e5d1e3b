#include "classification/ContourTracing.h"

#include <algorithm>
#include <stdexcept>

namespace classification {

namespace {

inline int opposite(int direction) { return (direction + 2) & 3; }
inline unsigned char bit(int direction) { return static_cast<unsigned char>(1u << direction); }

/// A trace reads and writes the images around its pixel in its direction's offsets, so the
/// images must match, the direction must be one of the four and the pixel must lie off the
/// images' edge.
template <typename Label>
void requireTraceArguments(const blitz::Array<unsigned char, 2>& visited,
                           const blitz::Array<Label, 2>& labels, const IntPoint& pixel,
                           int direction) {
    const IntBox domain = IntBox::domainOf(labels);
    if (!boxEquals(IntBox::domainOf(visited), domain))
        throw std::invalid_argument("Visited and label images differ in size");
    if (direction < 0 || direction > 3)
        throw std::invalid_argument("Contour direction outside 0 to 3");
    if (pixel[0] <= domain.lower[0] || pixel[0] >= domain.upper[0] ||
        pixel[1] <= domain.lower[1] || pixel[1] >= domain.upper[1])
        throw std::out_of_range("Contour trace reached the edge of the label image");
}

template <typename Label>
int traceContour(std::vector<IntPoint>& points, blitz::Array<unsigned char, 2> visited,
                 const blitz::Array<Label, 2>& labels, const IntPoint& start, int direction,
                 const ContourDirections& directions, const ContourTransitions& transitions) {
    const std::size_t first = points.size();
    if (followContour(points, visited, labels, start, direction, directions, transitions)) {
        points.push_back(points[first]);
        return 0;
    }
    std::reverse(points.begin() + static_cast<std::ptrdiff_t>(first), points.end());
    followContour(points, visited, labels, IntPoint(start + directions.at(direction, ContourDirections::side)),
                  opposite(direction), directions, transitions);
    return 1;
}

}  // namespace

template <typename Label>
bool contourStep(IntPoint& pixel, int& direction, const blitz::Array<Label, 2>& labels,
                 const blitz::Array<unsigned char, 2>& visited,
                 const ContourDirections& directions, const ContourTransitions& transitions) {
    requireTraceArguments(visited, labels, pixel, direction);

    const Label own = labels(pixel);
    const IntPoint forward = pixel + directions.at(direction, ContourDirections::forward);
    const Label across = labels(IntPoint(pixel + directions.at(direction, ContourDirections::side)));
    const Label diagonal = labels(IntPoint(pixel + directions.at(direction, ContourDirections::diagonal)));
    const Label ahead = labels(forward);

    const int diagonalCase = diagonal == own ? 1 : diagonal == across ? 0 : 2;
    int forwardCase;
    if (ahead == own)
        forwardCase = 1;
    else if (ahead != across)
        forwardCase = 2;
    else
        forwardCase = (visited(forward) & bit((direction + 1) & 3)) ? 3 : 0;

    const ContourTransitions::Move& move = transitions.at(diagonalCase, forwardCase);
    if (move.move < 0 || move.move > 3)
        return true;
    pixel += directions.at(direction, move.move);
    direction = (direction + move.turn) & 3;
    return false;
}

template <typename Label>
bool followContour(std::vector<IntPoint>& points, blitz::Array<unsigned char, 2>& visited,
                   const blitz::Array<Label, 2>& labels, IntPoint pixel, int direction,
                   const ContourDirections& directions, const ContourTransitions& transitions) {
    // The start pixel's visited bit is written before the first step tests its arguments.
    requireTraceArguments(visited, labels, pixel, direction);
    for (;;) {
        const IntPoint& diagonal = directions.at(direction, ContourDirections::diagonal);
        points.emplace_back(pixel[0] + (diagonal[0] + 1) / 2, pixel[1] + (diagonal[1] + 1) / 2);
        visited(pixel) |= bit(direction);
        if (contourStep(pixel, direction, labels, visited, directions, transitions))
            return false;
        // The same edge already traced from the other side, in the opposite direction.
        const IntPoint across = pixel + directions.at(direction, ContourDirections::side);
        if (visited(across) & bit(opposite(direction)))
            return false;
        if (visited(pixel) & bit(direction))
            return true;
    }
}

int traceContourA(std::vector<IntPoint>& points, blitz::Array<unsigned char, 2> visited,
                  const blitz::Array<unsigned char, 2>& labels, const IntPoint& start,
                  int direction, const ContourDirections& directions,
                  const ContourTransitions& transitions) {
    return traceContour(points, visited, labels, start, direction, directions, transitions);
}

int traceContourB(std::vector<IntPoint>& points, blitz::Array<unsigned char, 2> visited,
                  const blitz::Array<std::int32_t, 2>& labels, const IntPoint& start,
                  int direction, const ContourDirections& directions,
                  const ContourTransitions& transitions) {
    return traceContour(points, visited, labels, start, direction, directions, transitions);
}

template bool contourStep(IntPoint&, int&, const blitz::Array<unsigned char, 2>&,
                          const blitz::Array<unsigned char, 2>&, const ContourDirections&,
                          const ContourTransitions&);
template bool contourStep(IntPoint&, int&, const blitz::Array<std::int32_t, 2>&,
                          const blitz::Array<unsigned char, 2>&, const ContourDirections&,
                          const ContourTransitions&);
template bool followContour(std::vector<IntPoint>&, blitz::Array<unsigned char, 2>&,
                            const blitz::Array<unsigned char, 2>&, IntPoint, int,
                            const ContourDirections&, const ContourTransitions&);
template bool followContour(std::vector<IntPoint>&, blitz::Array<unsigned char, 2>&,
                            const blitz::Array<std::int32_t, 2>&, IntPoint, int,
                            const ContourDirections&, const ContourTransitions&);

}  // namespace classification
