#pragma once

#include <QByteArray>
#include <QImage>
#include <QVariant>

#include <vector>

class QDataStream;

/// Writes one `QVariant` in exactly the byte layout `QDataStream << QVariant` gives at the
/// stream's version, except that the pictures it holds (`QImage` values inside maps and
/// lists, at any depth) are PNG files encoded at the given quality, several at a time on
/// worker threads that have all finished before anything is written. Any PNG reads back
/// through `QDataStream >> QImage`, so the reader needs no change; only the PNG bytes differ.
///
/// The layout is Qt 5's: the one Qt 5.15 writes at the session stream's version
/// (`SessionStream::currentVersion`, QDataStream::Qt_4_5), maps last key first. A later Qt
/// spells variants and maps its own way, so moving to one needs this writer checked against
/// Qt's own bytes again (QuickVariantWriterTest compares them).
///
/// Qt's own writer compresses each picture at zlib's default level, one after the other, which
/// is slow for a photograph; a private temporary copy, read back on this machine only, is
/// better served by light compression. Files the user keeps should go through Qt's own writer.
class QuickVariantWriter {
public:
    /// QImageWriter's quality for zlib level 1: about three times faster than the default,
    /// a third larger for a photograph. Level 0 would store photographs uncompressed, which
    /// for the largest pictures would pass the session stream's size limit.
    static constexpr int quickQuality = 85;

    /// Writes `value` into `out`; false when a picture could not be encoded or the stream's
    /// device refused bytes (nothing more is written after the first refusal). `quality` is
    /// QImageWriter's: -1 gives the bytes of Qt's own writer. May throw `std::bad_alloc`.
    static bool write(QDataStream& out, const QVariant& value, int quality = quickQuality);

    /// The PNG bytes of each picture in `images`, in their order (null for one that failed),
    /// encoded on up to `workers` threads at a time (at least one; the calling thread is one
    /// of them, and works through what no other thread takes, so fewer are used when the
    /// system gives no more). Rethrows the first exception of an encoding after all begun have
    /// finished.
    static std::vector<QByteArray> encodeAll(const std::vector<QImage>& images, int quality,
                                             unsigned workers);
};
