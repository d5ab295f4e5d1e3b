#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <set>
#include <utility>

namespace masktest {

using PixelSet = std::set<std::pair<int, int>>;

/// The working-image pixels a mask sets (index 1), its offset applied.
inline PixelSet setPixels(const QImage& mask)
{
    PixelSet pixels;
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            if (mask.pixelIndex(x, y) == 1)
                pixels.insert({mask.offset().x() + x, mask.offset().y() + y});
    return pixels;
}

/// Every pixel of the given rectangles.
inline PixelSet pixelsOf(std::initializer_list<QRect> rects)
{
    PixelSet pixels;
    for (const QRect& r : rects)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                pixels.insert({x, y});
    return pixels;
}

}  // namespace masktest
