#pragma once

#include "IiUI.h"

#include <blitz/array.h>

#include <array>
#include <string>
#include <vector>

namespace masktest {

/// Records every progress fraction it is given.
struct ProgressRecorder : Corvel::utility::IiUI {
    std::vector<float> fractions;
    void progress(float fraction, const std::string&) override { fractions.push_back(fraction); }
};

/// A rows x columns array whose first element has index (lowerRow, lowerColumn), every element
/// `value`.
template <typename T>
blitz::Array<T, 2> filled(int rows, int columns, const T& value, int lowerRow = 0,
                          int lowerColumn = 0) {
    blitz::Array<T, 2> a(blitz::TinyVector<int, 2>(lowerRow, lowerColumn),
                         blitz::TinyVector<int, 2>(rows, columns));
    for (auto it = a.begin(); it != a.end(); ++it)
        *it = value;
    return a;
}

/// The components of a small vector as ints, so that they compare and print as values.
template <typename T, int N>
std::array<int, N> values(const blitz::TinyVector<T, N>& v) {
    std::array<int, N> out{};
    for (int k = 0; k < N; ++k)
        out[k] = static_cast<int>(v[k]);
    return out;
}

/// Whether every element of `a` equals `value`.
template <typename T>
bool allEqual(const blitz::Array<T, 2>& a, const T& value) {
    for (auto it = a.begin(); it != a.end(); ++it)
        if (!(*it == value))
            return false;
    return true;
}

}  // namespace masktest
