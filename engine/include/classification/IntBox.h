#pragma once

#include "Colour.h"

#include <blitz/array.h>
#include <blitz/tinyvec2.h>

#include <climits>
#include <cstdint>
#include <ostream>

namespace classification {

/// An integer point of an engine array, (row, column).
using IntPoint = blitz::TinyVector<int, 2>;

/// The engine's inclusive integer box in (row, column) order. Empty when an upper value is
/// below its lower value on either axis. Arrays cut to a box keep their parent's indices, so
/// boxes of a session, a sub-session and the whole image compare without translation.
struct IntBox {
    IntPoint lower{0, 0};
    IntPoint upper{-1, -1};

    IntBox() = default;
    IntBox(int lowerRow, int lowerColumn, int upperRow, int upperColumn)
        : lower(lowerRow, lowerColumn), upper(upperRow, upperColumn) {}
    IntBox(const IntPoint& lowerCorner, const IntPoint& upperCorner)
        : lower(lowerCorner), upper(upperCorner) {}

    /// The box that stands for no area at all: lower at INT_MAX, upper at INT_MIN, so that
    /// growing it by any point or box gives exactly that point or box.
    static IntBox none() { return IntBox(INT_MAX, INT_MAX, INT_MIN, INT_MIN); }

    /// The box of an application rectangle (x, y, width, height).
    static IntBox fromRect(int x, int y, int width, int height) {
        return IntBox(y, x, y + height - 1, x + width - 1);
    }

    /// The domain of an array: its lower and upper index bounds.
    template <typename T>
    static IntBox domainOf(const blitz::Array<T, 2>& array) {
        return IntBox(array.lbound(0), array.lbound(1), array.ubound(0), array.ubound(1));
    }

    int rows() const { return upper[0] - lower[0] + 1; }
    int columns() const { return upper[1] - lower[1] + 1; }
    bool contains(int row, int column) const {
        return row >= lower[0] && row <= upper[0] && column >= lower[1] && column <= upper[1];
    }
    bool contains(const IntBox& other) const {
        return contains(other.lower[0], other.lower[1]) && contains(other.upper[0], other.upper[1]);
    }
};

/// The box from p to q with each axis ordered so that lower holds the minima.
IntBox makeBox(const IntPoint& p, const IntPoint& q);

/// a := the intersection of a and b; true when the result is not empty.
bool intersectBox(IntBox& a, const IntBox& b);

bool isBoxEmpty(const IntBox& box);
bool boxEquals(const IntBox& a, const IntBox& b);

/// Reflection through the origin: lower := -upper, upper := -lower.
IntBox negateBox(const IntBox& box);

/// The positions at which the element box e fits inside a.
IntBox erodeBox(const IntBox& a, const IntBox& element);

/// Scales a box to another resolution (lower * s, (upper + 1) * s - 1) and clips it to
/// `target`; the result may be empty.
IntBox scaleBox(const IntBox& box, int scale, const IntBox& target);

/// The part of `array` inside `box`, sharing storage and keeping the parent's indices (the
/// result's first index is the box's lower corner). The box must lie inside the array's
/// domain: a box outside it throws std::out_of_range instead of making a view that would read
/// outside the parent.
template <typename T>
blitz::Array<T, 2> cropArrayToBox(blitz::Array<T, 2> array, const IntBox& box);

blitz::Array<unsigned char, 2> cropToBox(blitz::Array<unsigned char, 2> array, const IntBox& box);

/// cropToBox over the box of the rectangle (x, y, width, height).
blitz::Array<unsigned char, 2> cropToRect(blitz::Array<unsigned char, 2> array, int x, int y,
                                          int width, int height);

/// cropToBox and cropToRect for arrays of 8-bit four-channel pixels.
blitz::Array<Corvel::utility::Colour<unsigned char>, 2> cropColourToBox(
    blitz::Array<Corvel::utility::Colour<unsigned char>, 2> array, const IntBox& box);
blitz::Array<Corvel::utility::Colour<unsigned char>, 2> cropColourToRect(
    blitz::Array<Corvel::utility::Colour<unsigned char>, 2> array, int x, int y, int width,
    int height);

/// Text forms used by diagnostics: a point as "[3,7]", a box as "[[0,0], [99,149]]".
std::ostream& operator<<(std::ostream& out, const IntBox& box);
std::ostream& printPoint(std::ostream& out, const IntPoint& point);

}  // namespace classification

#include "classification/IntBox.tpp"
