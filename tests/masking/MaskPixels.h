#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <set>
#include <utility>

namespace masktest {

using PixelSet = std::set<std::pair<int, int>>;

/// A dark left half and a light right half: one clear edge for the analysis.
inline QImage twoHalves(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, x < width / 2 ? qRgb(30, 40, 50) : qRgb(220, 210, 200));
    return image;
}

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

/// The pixels a one-bit stroke image sets (index 1).
inline PixelSet strokePixels(const QImage& stroke)
{
    PixelSet pixels;
    for (int y = 0; y < stroke.height(); ++y)
        for (int x = 0; x < stroke.width(); ++x)
            if (stroke.pixelIndex(x, y) == 1)
                pixels.insert({x, y});
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

/// Whether every pixel of a grey trimap within `radius` of (x, y) has `value`: a brush dab
/// there marks only pixels the trimap is sure of.
inline bool sureAround(const QImage& trimap, int x, int y, int radius, int value)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const int px = x + dx, py = y + dy;
            if (!trimap.valid(px, py) || qGray(trimap.pixel(px, py)) != value)
                return false;
        }
    return true;
}

}  // namespace masktest
