#include "composition/scene/ImageEffects.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr float upper = 0.99f;
constexpr float lower = 0.01f;

bool hasFourBytes(QImage::Format format) {
    return format == QImage::Format_ARGB32 || format == QImage::Format_ARGB32_Premultiplied ||
           format == QImage::Format_RGB32;
}

QImage silhouette(const QImage& source, const QColor& tint) {
    // Premultiplied so that the cut-out's surroundings can become transparent: an opaque
    // format has nowhere to keep the alpha that DestinationIn computes.
    QImage result(source.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(tint);
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.drawImage(0, 0, source);
    return result;
}

/// Every byte, alpha included: s x source + (1 - s) x grey.
QImage desaturated(const QImage& source, const QImage& greyIn, float s) {
    QImage result(source.size(), source.format());
    const QImage grey = greyIn.format() == source.format()
                            ? greyIn
                            : greyIn.convertToFormat(source.format());
    const float r = 1.0f - s;
    for (int y = 0; y < source.height(); ++y) {
        const uchar* a = source.constScanLine(y);
        const uchar* g = grey.constScanLine(y);
        uchar* out = result.scanLine(y);
        for (int x = 0; x < source.width() * 4; ++x)
            out[x] = uchar(s * a[x] + r * g[x]);
    }
    return result;
}

/// B, G, R: (1 - t) x (s x source + (1 - s) x grey) + T; alpha from `alphaFrom`.
QImage tinted(const QImage& sourceIn, const QImage& greyIn, float t, float s, const QColor& tint,
              bool alphaFromGrey) {
    const QImage source = sourceIn.convertToFormat(QImage::Format_ARGB32);
    const QImage grey = greyIn.convertToFormat(QImage::Format_ARGB32);
    QImage result(source.size(), QImage::Format_ARGB32);
    const float tintBytes[3] = {float(int(tint.blue() * t)), float(int(tint.green() * t)),
                                float(int(tint.red() * t))};
    const float keep = 1.0f - t, r = 1.0f - s;
    for (int y = 0; y < source.height(); ++y) {
        const uchar* a = source.constScanLine(y);
        const uchar* g = grey.constScanLine(y);
        uchar* out = result.scanLine(y);
        for (int x = 0; x < source.width(); ++x) {
            const int p = x * 4;
            for (int c = 0; c < 3; ++c) {
                float base;
                if (s > upper)
                    base = a[p + c];
                else if (s < lower)
                    base = g[p + c];
                else
                    base = s * a[p + c] + r * g[p + c];
                out[p + c] = uchar(keep * base + tintBytes[c]);
            }
            out[p + 3] = alphaFromGrey ? g[p + 3] : a[p + 3];
        }
    }
    return result;
}

}  // namespace

QImage fourByteImage(const QImage& image) {
    return hasFourBytes(image.format()) ? image : image.convertToFormat(QImage::Format_ARGB32);
}

QImage greyImage(const QImage& sourceIn) {
    const QImage source = fourByteImage(sourceIn);
    QImage result(source.size(), source.format());
    // Byte order B, G, R, A in memory on the little-endian machines we build for.
    for (int y = 0; y < source.height(); ++y) {
        const uchar* in = source.constScanLine(y);
        uchar* out = result.scanLine(y);
        for (int x = 0; x < source.width(); ++x) {
            const uchar* px = in + x * 4;
            const uchar grey = uchar(int((0.3f * px[2] + 0.11f * px[0]) + 0.59f * px[1]));
            out[x * 4] = out[x * 4 + 1] = out[x * 4 + 2] = grey;
            out[x * 4 + 3] = px[3];
        }
    }
    return result;
}

QImage effectImage(const QImage& sourceIn, const QImage& greyIn, float t, float s,
                   const QColor& tint) {
    // Settings outside 0..1 would take bytes out of range, and a byte made from NaN is
    // undefined; such a setting counts as no effect.
    t = std::isfinite(t) ? std::clamp(t, 0.0f, 1.0f) : 0.0f;
    s = std::isfinite(s) ? std::clamp(s, 0.0f, 1.0f) : 1.0f;
    const QImage source = fourByteImage(sourceIn);
    if (t > upper)
        return silhouette(source, tint);
    if (t < lower) {
        if (s > upper)
            return source;
        if (s < lower)
            return greyIn;
        return desaturated(source, fourByteImage(greyIn), s);
    }
    return tinted(source, greyIn, t, s, tint, s < lower);
}
