#include "masking/DecoderWork.h"

#include "masking/JpegCompleteness.h"

#include <QtMath>

#include <cstring>

namespace {

constexpr uchar pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Offsets in a PNG file whose first chunk is IHDR, as the format demands.
constexpr qint64 pngHeaderType = 12;
constexpr qint64 pngBitDepth = 24;
constexpr qint64 pngColourType = 25;
constexpr qint64 pngInterlace = 28;
constexpr qint64 pngHeaderEnd = 29;

constexpr uchar markerPrefix = 0xFF;
constexpr uchar startOfImage = 0xD8;
constexpr uchar startOfScan = 0xDA;
constexpr int maxComponents = 10;     // libjpeg refuses a frame of more
constexpr qint64 coefficientBlockBytes = 64 * 2;

// SOF0 to SOF15 but for the three codes of that range that are tables or reserved.
bool isFrameHeader(uchar code) {
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

// Baseline, extended sequential and sequential arithmetic: libjpeg keeps a band of rows only.
bool isSequential(uchar code) { return code == 0xC0 || code == 0xC1 || code == 0xC9; }

struct JpegFrame {
    uchar code = 0;
    qint64 width = 0;
    qint64 height = 0;
    int components = 0;
    int horizontal[maxComponents] = {};
    int vertical[maxComponents] = {};
    int firstScanComponents = 0;
};

// The content of a frame header (after its length), checked as libjpeg checks it.
bool readFrameHeader(uchar code, const uchar* content, int length, JpegFrame& frame) {
    if (length < 6)
        return false;
    frame.code = code;
    frame.height = (content[1] << 8) | content[2];
    frame.width = (content[3] << 8) | content[4];
    frame.components = content[5];
    if (frame.width == 0 || frame.height == 0 || frame.components < 1 ||
        frame.components > maxComponents || length != 6 + 3 * frame.components)
        return false;
    for (int c = 0; c < frame.components; ++c) {
        const uchar sampling = content[6 + 3 * c + 1];
        frame.horizontal[c] = sampling >> 4;
        frame.vertical[c] = sampling & 0x0F;
        if (frame.horizontal[c] < 1 || frame.horizontal[c] > 4 || frame.vertical[c] < 1 ||
            frame.vertical[c] > 4)
            return false;
    }
    return true;
}

// The frame header and the component count of the first scan header, found by walking the
// markers as libjpeg reads them, every segment jumped by its length. Each step moves on, so
// the walk ends within `size` steps.
bool readJpegFrame(const uchar* bytes, qint64 size, JpegFrame& frame) {
    if (!bytes || size < 4 || bytes[0] != markerPrefix || bytes[1] != startOfImage)
        return false;
    bool haveFrame = false;
    qint64 at = 2;
    for (;;) {
        const JpegSegment segment = nextJpegSegment(bytes, size, at);
        if (!segment.content)   // an end, a second start, or a segment cut short
            return false;
        if (isFrameHeader(segment.code)) {
            // libjpeg refuses a second frame header; so does this walk.
            if (haveFrame || !readFrameHeader(segment.code, segment.content, segment.length, frame))
                return false;
            haveFrame = true;
        } else if (segment.code == startOfScan) {
            if (!haveFrame || segment.length < 1)
                return false;
            frame.firstScanComponents = segment.content[0];
            return true;
        }
    }
}

qint64 divideRoundingUp(qint64 value, qint64 divisor) { return (value + divisor - 1) / divisor; }

// libjpeg's whole-picture coefficient buffer: each component's 8 x 8 blocks at its own
// sampling, rounded up to whole groups of its sampling factors.
qint64 coefficientBytes(const JpegFrame& frame) {
    int widest = 1;
    int tallest = 1;
    for (int c = 0; c < frame.components; ++c) {
        widest = qMax(widest, frame.horizontal[c]);
        tallest = qMax(tallest, frame.vertical[c]);
    }
    qint64 blocks = 0;
    for (int c = 0; c < frame.components; ++c) {
        const int h = frame.horizontal[c];
        const int v = frame.vertical[c];
        const qint64 across = divideRoundingUp(frame.width * h, widest * 8);
        const qint64 down = divideRoundingUp(frame.height * v, tallest * 8);
        blocks += divideRoundingUp(across, h) * h * divideRoundingUp(down, v) * v;
    }
    return blocks * coefficientBlockBytes;
}

// Qt asks libjpeg for the scale n/8 (n from 1 to 8) that keeps both sides at least the wanted
// ones, and scales the rest of the way itself.
QSize jpegOutputSize(const QSize& stored, const QSize& wanted) {
    if (wanted == stored || wanted.isEmpty())
        return stored;
    const double factor = qMin(double(stored.width()) / wanted.width(),
                               double(stored.height()) / wanted.height());
    const int eighths = qBound(1, qCeil(8 / factor), 8);
    return QSize(int(divideRoundingUp(qint64(stored.width()) * eighths, 8)),
                 int(divideRoundingUp(qint64(stored.height()) * eighths, 8)));
}

}  // namespace

DecoderWork pngDecoderWork(const uchar* bytes, qint64 size, const QSize& stored,
                           const QSize& wanted) {
    DecoderWork whole{stored, 0};
    if (!bytes || size < pngHeaderEnd || std::memcmp(bytes, pngSignature, 8) != 0 ||
        std::memcmp(bytes + pngHeaderType, "IHDR", 4) != 0)
        return whole;
    const int colourType = bytes[pngColourType];
    const bool colour = colourType == 2 || colourType == 4 || colourType == 6;
    if (bytes[pngBitDepth] == 8 && colour && bytes[pngInterlace] == 0)
        return DecoderWork{wanted, 0};
    return whole;
}

DecoderWork jpegDecoderWork(const uchar* bytes, qint64 size, const QSize& stored,
                            const QSize& wanted) {
    DecoderWork work{jpegOutputSize(stored, wanted), 0};
    JpegFrame frame;
    if (!readJpegFrame(bytes, size, frame))
        work.bufferBytes = qint64(stored.width()) * stored.height() * 4 * 2;
    else if (!isSequential(frame.code) || frame.firstScanComponents < frame.components)
        work.bufferBytes = coefficientBytes(frame);
    return work;
}
