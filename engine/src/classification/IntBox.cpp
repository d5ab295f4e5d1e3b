#include "classification/IntBox.h"

#include <algorithm>

namespace classification {

IntBox makeBox(const IntPoint& p, const IntPoint& q) {
    IntBox box(p, q);
    for (int axis = 0; axis < 2; ++axis)
        if (box.upper[axis] < box.lower[axis])
            std::swap(box.upper[axis], box.lower[axis]);
    return box;
}

bool intersectBox(IntBox& a, const IntBox& b) {
    for (int axis = 0; axis < 2; ++axis) {
        a.lower[axis] = std::max(a.lower[axis], b.lower[axis]);
        a.upper[axis] = std::min(a.upper[axis], b.upper[axis]);
    }
    return !isBoxEmpty(a);
}

bool isBoxEmpty(const IntBox& box) {
    return box.upper[0] < box.lower[0] || box.upper[1] < box.lower[1];
}

bool boxEquals(const IntBox& a, const IntBox& b) {
    return a.lower[0] == b.lower[0] && a.lower[1] == b.lower[1] && a.upper[0] == b.upper[0] &&
           a.upper[1] == b.upper[1];
}

IntBox negateBox(const IntBox& box) {
    return IntBox(-box.upper[0], -box.upper[1], -box.lower[0], -box.lower[1]);
}

IntBox erodeBox(const IntBox& a, const IntBox& element) {
    return IntBox(a.lower[0] - element.lower[0], a.lower[1] - element.lower[1],
                  a.upper[0] - element.upper[0], a.upper[1] - element.upper[1]);
}

IntBox scaleBox(const IntBox& box, int scale, const IntBox& target) {
    // In 64 bits: a box near the int range must not wrap when scaled.
    auto clampToInt = [](long long value) {
        return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
    };
    IntPoint lower(clampToInt(static_cast<long long>(box.lower[0]) * scale),
                   clampToInt(static_cast<long long>(box.lower[1]) * scale));
    IntPoint upper(clampToInt((static_cast<long long>(box.upper[0]) + 1) * scale - 1),
                   clampToInt((static_cast<long long>(box.upper[1]) + 1) * scale - 1));
    IntBox scaled = makeBox(lower, upper);
    intersectBox(scaled, target);
    return scaled;
}

blitz::Array<unsigned char, 2> cropToBox(blitz::Array<unsigned char, 2> array, const IntBox& box) {
    return cropArrayToBox(array, box);
}

blitz::Array<unsigned char, 2> cropToRect(blitz::Array<unsigned char, 2> array, int x, int y,
                                          int width, int height) {
    return cropToBox(array, IntBox::fromRect(x, y, width, height));
}

blitz::Array<Corvel::utility::Colour<unsigned char>, 2> cropColourToBox(
    blitz::Array<Corvel::utility::Colour<unsigned char>, 2> array, const IntBox& box) {
    return cropArrayToBox(array, box);
}

blitz::Array<Corvel::utility::Colour<unsigned char>, 2> cropColourToRect(
    blitz::Array<Corvel::utility::Colour<unsigned char>, 2> array, int x, int y, int width,
    int height) {
    return cropColourToBox(array, IntBox::fromRect(x, y, width, height));
}

std::ostream& printPoint(std::ostream& out, const IntPoint& point) {
    return out << '[' << point[0] << ',' << point[1] << ']';
}

std::ostream& operator<<(std::ostream& out, const IntBox& box) {
    out << '[';
    printPoint(out, box.lower) << ", ";
    return printPoint(out, box.upper) << ']';
}

}  // namespace classification
