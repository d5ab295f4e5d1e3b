#include "classification/NeighbourList.h"

namespace classification {

void NeighbourList::collectAxial(const IntPoint& p) {
    points.clear();
    if (p[0] > box.lower[0])
        points.emplace_back(p[0] - 1, p[1]);
    if (p[1] > box.lower[1])
        points.emplace_back(p[0], p[1] - 1);
    if (p[0] < box.upper[0])
        points.emplace_back(p[0] + 1, p[1]);
    if (p[1] < box.upper[1])
        points.emplace_back(p[0], p[1] + 1);
}

void NeighbourList::collectDiagonal(const IntPoint& p) {
    points.clear();
    const bool left = p[1] > box.lower[1];
    const bool right = p[1] < box.upper[1];
    if (p[0] > box.lower[0]) {
        if (left)
            points.emplace_back(p[0] - 1, p[1] - 1);
        if (right)
            points.emplace_back(p[0] - 1, p[1] + 1);
    }
    if (p[0] < box.upper[0]) {
        if (left)
            points.emplace_back(p[0] + 1, p[1] - 1);
        if (right)
            points.emplace_back(p[0] + 1, p[1] + 1);
    }
}

}  // namespace classification
