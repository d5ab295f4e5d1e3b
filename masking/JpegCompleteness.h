#pragma once

#include <QtGlobal>

/// Whether `bytes` hold a JPEG that reaches its end-of-image marker through its own structure:
/// every marker segment whole, every scan's compressed data followed by a marker, and the
/// frame closed by an end-of-image marker; bytes after it are allowed. A JPEG cut short still
/// decodes (the decoder fills the missing rows with grey and only warns), so this is how a
/// damaged file is told from a good one. False for anything that does not start as a JPEG.
/// Reads only inside `bytes`; any thread.
bool jpegIsComplete(const uchar* bytes, qint64 size);

/// A marker of a JPEG and the content of its segment (after the two-byte length).
struct JpegSegment {
    uchar code = 0x00;               // 0x00: the bytes ended, or the segment does not fit in them
    const uchar* content = nullptr;  // null for the start- and end-of-image markers
    int length = 0;
};

/// The next marker from `at` on, found as the decoder finds it: stray bytes (some cameras pad
/// between segments), 0xFF fill bytes, a 0xFF followed by zero and the markers without a
/// length (restart, TEM) are passed over. `at` ends past the segment, which is where a scan's
/// compressed data begins. Reads only inside `bytes`.
JpegSegment nextJpegSegment(const uchar* bytes, qint64 size, qint64& at);
