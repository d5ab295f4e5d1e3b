#pragma once

#include <QByteArray>
#include <QString>

/// Walks one `QVariant` as a `QDataStream` of version 11 reads it, byte for byte as far as Qt's
/// reader goes, without building it, and tells whether reading it back is safe: every count
/// and length fits in the bytes left, the nesting stays shallow, only the value types a masking
/// session holds appear, and every embedded picture is a PNG whose declared size the picture
/// intake would accept (no side over 32767, at most 2^27 pixels). Qt reserves what a count
/// claims before it reads the elements, so a hostile count must be caught here, before Qt sees
/// it.
class SessionStreamCheck {
public:
    /// True when the value starting at `offset` is safe to read; else false with the reason
    /// in `problem`. `end` receives the offset just past the value.
    static bool checkVariant(const QByteArray& bytes, qint64 offset, qint64* end, QString* problem);

    static constexpr int largestSide = 32767;
    static constexpr qint64 largestPixelCount = qint64(1) << 27;
};
