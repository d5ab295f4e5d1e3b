#include "masking/JpegCompleteness.h"

namespace {

constexpr uchar markerPrefix = 0xFF;
constexpr uchar startOfImage = 0xD8;
constexpr uchar endOfImage = 0xD9;
constexpr uchar startOfScan = 0xDA;
constexpr uchar temporary = 0x01;

bool isRestart(uchar code) { return code >= 0xD0 && code <= 0xD7; }

// The position of the marker that ends the compressed data starting at `at`, or `size` when
// the data runs to the end. Inside the data a 0xFF is followed by a stuffed zero or a restart
// marker; 0xFF fill bytes may come before a marker.
qint64 endOfCompressedData(const uchar* bytes, qint64 size, qint64 at) {
    while (at + 1 < size) {
        if (bytes[at] != markerPrefix) {
            ++at;
            continue;
        }
        const uchar next = bytes[at + 1];
        if (next == 0x00 || isRestart(next))
            at += 2;
        else if (next == markerPrefix)
            ++at;
        else
            return at;
    }
    return size;
}

}  // namespace

JpegSegment nextJpegSegment(const uchar* bytes, qint64 size, qint64& at) {
    for (;;) {
        uchar code = 0x00;
        while (code == 0x00) {
            while (at < size && bytes[at] != markerPrefix)
                ++at;
            while (at < size && bytes[at] == markerPrefix)
                ++at;
            if (at >= size)
                return JpegSegment();
            code = bytes[at++];
        }
        if (code == startOfImage || code == endOfImage)
            return JpegSegment{code, nullptr, 0};
        if (code == temporary || isRestart(code))   // no length, no content
            continue;
        if (at + 2 > size)
            return JpegSegment();
        const int length = (bytes[at] << 8) | bytes[at + 1];
        if (length < 2 || at + length > size)
            return JpegSegment();
        const JpegSegment segment{code, bytes + at + 2, length - 2};
        at += length;
        return segment;
    }
}

bool jpegIsComplete(const uchar* bytes, qint64 size) {
    if (!bytes || size < 4 || bytes[0] != markerPrefix || bytes[1] != startOfImage)
        return false;
    qint64 at = 2;
    for (;;) {
        const uchar code = nextJpegSegment(bytes, size, at).code;
        if (code == endOfImage)
            return true;
        if (code == 0x00 || code == startOfImage)
            return false;
        if (code == startOfScan)
            at = endOfCompressedData(bytes, size, at);
    }
}
