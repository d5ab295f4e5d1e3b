#pragma once

#include "classification/ProgressRange.h"

#include <blitz/array.h>
#include <blitz/tinyvec2.h>

namespace classification {

/// Per working cell: [0] the distance to the nearest keep mark, [1] to the nearest delete mark,
/// travelling through unmarked cells only.
using MarkDistance = blitz::TinyVector<float, 2>;
using MarkDistanceArray = blitz::Array<MarkDistance, 2>;

/// Chamfer weights of a step to a 4-neighbour and to a diagonal neighbour. The blend's smooth
/// share is a ratio of two such distances, so only their proportion matters; the exact float
/// values are kept because equal-distance ties depend on them.
constexpr float markAxialStep = 0x1.ec82bcp-1f;     // 0.9619349
constexpr float markDiagonalStep = 0x1.5c468p+0f;   // 1.3604507
/// The distance of a cell no mark of the class can reach. Twice it is still finite (it is half
/// the largest float), so a + b of two unreached distances never overflows.
constexpr float markUnreached = 0x1.fffffep+126f;   // 1.7014117e38

/// Fills `result` over the domain of `statusCrop` (indices kept) with the distances to the
/// nearest keep (status bit 2) and delete (bit 4) marks. Marked cells of either class read 0 in
/// both components and block the growth of the other class. Reports nothing, so it cannot be
/// cancelled; `progress` is accepted for the uniform pass signature. Returns `result`.
MarkDistanceArray& buildMarkDistances(MarkDistanceArray& result,
                                      const blitz::Array<unsigned char, 2>& statusCrop,
                                      ProgressRange progress);

}  // namespace classification
