#pragma once

#include <ostream>

namespace Corvel {
namespace utility {

/// The engine's pixel: four channels of T (unsigned char or unsigned short), channels 0 to 2
/// colour and channel 3 alpha, laid out exactly like the caller's buffers so that engine
/// arrays of it can view those buffers in place. Default construction leaves the channels
/// uninitialised, as large image buffers need.
template <typename T>
struct Colour {
    T channel[4];

    Colour() = default;
    constexpr Colour(T c0, T c1, T c2, T alpha) : channel{c0, c1, c2, alpha} {}

    T& operator[](int index) { return channel[index]; }
    constexpr const T& operator[](int index) const { return channel[index]; }
    constexpr T alpha() const { return channel[3]; }

    friend constexpr bool operator==(const Colour& a, const Colour& b) {
        return a.channel[0] == b.channel[0] && a.channel[1] == b.channel[1] &&
               a.channel[2] == b.channel[2] && a.channel[3] == b.channel[3];
    }
    friend constexpr bool operator!=(const Colour& a, const Colour& b) { return !(a == b); }
};

static_assert(sizeof(Colour<unsigned char>) == 4, "an 8-bit pixel is four bytes");
static_assert(sizeof(Colour<unsigned short>) == 8, "a 16-bit pixel is eight bytes");

/// "(c0,c1,c2,alpha)", channels as numbers.
template <typename T>
std::ostream& operator<<(std::ostream& out, const Colour<T>& colour) {
    return out << '(' << +colour.channel[0] << ',' << +colour.channel[1] << ','
               << +colour.channel[2] << ',' << +colour.channel[3] << ')';
}

}  // namespace utility
}  // namespace Corvel
