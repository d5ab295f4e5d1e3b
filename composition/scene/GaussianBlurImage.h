#pragma once

#include <QImage>

/// Smooths `in` into `out` ahead of a reduction by `frequency` (below 1 means smaller), so
/// that the reduced picture does not alias. `out` is always a 32-bit ARGB copy of `in`,
/// filtered when 0 < `frequency` < 1; a null `in` leaves `out` untouched. The filter runs on
/// the calling thread, which has the result when the call returns. A picture that cannot be
/// converted leaves `out` null.
void gaussianBlurImage(const QImage& in, QImage& out, double frequency);
