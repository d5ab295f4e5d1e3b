#pragma once

#include <QColor>
#include <QImage>

/// The black-and-white version of `source`: grey = (0.3 R + 0.11 B) + 0.59 G in single
/// precision, truncated, in R, G and B; alpha kept. Works on the picture's own 32-bit format
/// (other formats are converted to ARGB32 first).
QImage greyImage(const QImage& source);

/// The picture shown for tint strength `t` and saturation `s` (both 0..1) with `tint`, from
/// the picture and its black-and-white version. Every byte is computed in single precision
/// and truncated. Above a strength of 0.99 the result is the picture's silhouette in the
/// tint colour, on a transparent ground. Settings are clamped to 0..1; a NaN counts as none.
QImage effectImage(const QImage& source, const QImage& grey, float t, float s,
                   const QColor& tint);

/// `image` unchanged when it already has four bytes per pixel, else converted to ARGB32.
QImage fourByteImage(const QImage& image);
