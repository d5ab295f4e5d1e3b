#pragma once

#include <QSize>
#include <QtGlobal>

/// What Qt's decoder of a PNG or a JPEG does with a picture that is to arrive at `wanted`
/// pixels (at most its `stored` size), as the picture's own header tells it: the reader says a
/// size and a pixel layout, but not whether the decoder honours a scaled size nor what it holds
/// besides the picture while it works.
struct DecoderWork {
    QSize decoded;            // the picture the decoder makes, before any scaling after it
    qint64 bufferBytes = 0;   // held besides that picture while decoding
};

/// A PNG. Qt scales while decoding only 8-bit colour pictures (truecolour or grey with alpha)
/// stored row after row; grey and palette pictures, 16-bit ones and interlaced ones are decoded
/// whole. Reads the signature and the IHDR chunk only, and only inside `bytes`; without them
/// (too short, not a PNG) the picture counts as decoded whole. Any thread.
DecoderWork pngDecoderWork(const uchar* bytes, qint64 size, const QSize& stored,
                           const QSize& wanted);

/// A JPEG. libjpeg decodes at a size Qt picks a little above `wanted` (an eighth of `stored` at
/// the least); a frame that is not sequential (progressive, lossless, hierarchical) or whose
/// first scan does not hold all its colour components keeps the coefficients of the whole
/// picture, two bytes a sample. Walks the markers up to the first scan header, only inside
/// `bytes`; without a frame header and a scan header (not a JPEG, cut short, stray bytes) the
/// coefficients count as kept for four full-size components. Any thread.
DecoderWork jpegDecoderWork(const uchar* bytes, qint64 size, const QSize& stored,
                            const QSize& wanted);
