#pragma once

#include "matting/ColourCluster.h"

#include <array>
#include <initializer_list>

namespace zqtest {

/// The three channels as plain integers, for comparisons (Blitz compares vectors elementwise).
template <typename Triple>
std::array<int, 3> channels(const Triple& colour) {
    return {colour[0], colour[1], colour[2]};
}

/// A cluster of the given colours with current statistics.
template <typename Types>
Corvel::matting::ColourCluster<Types> makeCluster(
    std::initializer_list<typename Types::Triple> colours) {
    Corvel::matting::ColourCluster<Types> cluster;
    for (const auto& c : colours)
        cluster.append(c);
    cluster.recomputeStatistics();
    return cluster;
}

inline Corvel::matting::ColourCluster<Corvel::matting::cbbTypes8> cluster8(
    std::initializer_list<Corvel::matting::cbbTypes8::Triple> colours) {
    return makeCluster<Corvel::matting::cbbTypes8>(colours);
}

}  // namespace zqtest
