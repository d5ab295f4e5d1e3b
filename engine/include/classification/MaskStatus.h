#pragma once

namespace classification {

/// The status bits mask generation reads: the user's marks...
constexpr unsigned char statusKeep = 2;
constexpr unsigned char statusDelete = 4;
/// ...and the two work bits that live only during one generation: a pixel produced by an
/// earlier pass of the generation (or excluded from it), and a pixel the current pass must
/// produce.
constexpr unsigned char statusDone = 64;
constexpr unsigned char statusPending = 128;

}  // namespace classification
