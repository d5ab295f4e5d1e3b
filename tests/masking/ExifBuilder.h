#pragma once

// Builds EXIF blocks byte by byte and puts them into JPEG files, for the orientation tests and
// benchmarks. Header-only so that the benchmarks can use it too.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include <cstdint>
#include <vector>

namespace zqtest {

/// Values in the byte order of one EXIF block.
struct ExifOrder {
    bool motorola = false;

    QByteArray u16(std::uint32_t value) const {
        QByteArray bytes(2, 0);
        const int hi = motorola ? 0 : 1, lo = 1 - hi;
        bytes[hi] = char((value >> 8) & 0xFF);
        bytes[lo] = char(value & 0xFF);
        return bytes;
    }
    QByteArray u32(std::uint32_t value) const {
        return motorola ? u16(value >> 16) + u16(value & 0xFFFF)
                        : u16(value & 0xFFFF) + u16(value >> 16);
    }
    QByteArray u64(std::uint64_t value) const {
        return motorola ? u32(std::uint32_t(value >> 32)) + u32(std::uint32_t(value))
                        : u32(std::uint32_t(value)) + u32(std::uint32_t(value >> 32));
    }
    /// The TIFF header: byte order mark, 42, offset of the first directory.
    QByteArray header(std::uint32_t firstDirectory = 8) const {
        return QByteArray(motorola ? "MM" : "II") + u16(42) + u32(firstDirectory);
    }
};

/// One directory entry; `value` holds the value bytes (already in block order). Up to four
/// bytes stand in the entry, longer values are put after the directory.
struct ExifEntry {
    std::uint32_t tag;
    std::uint32_t format;
    std::uint32_t count;
    QByteArray value;
};

/// A TIFF block with one directory at offset 8 holding `entries`, then `next` as its link.
inline QByteArray exifTiff(const ExifOrder& order, const std::vector<ExifEntry>& entries,
                           std::uint32_t next = 0) {
    const std::uint32_t directoryEnd = 8 + 2 + 12 * std::uint32_t(entries.size()) + 4;
    QByteArray directory = order.u16(std::uint32_t(entries.size()));
    QByteArray data;
    for (const ExifEntry& entry : entries) {
        directory += order.u16(entry.tag) + order.u16(entry.format) + order.u32(entry.count);
        if (entry.value.size() <= 4) {
            directory += entry.value + QByteArray(4 - entry.value.size(), 0);
        } else {
            directory += order.u32(directoryEnd + std::uint32_t(data.size()));
            data += entry.value;
        }
    }
    directory += order.u32(next);
    return order.header() + directory + data;
}

/// An APP1 section "Exif\0\0" followed by `tiff`.
inline QByteArray exifSection(const QByteArray& tiff) {
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = payload.size() + 2;
    QByteArray section("\xFF\xE1", 2);
    section += char((length >> 8) & 0xFF);
    section += char(length & 0xFF);
    return section + payload;
}

/// `jpeg` with `section` put right after its start-of-image marker.
inline QByteArray withSection(const QByteArray& jpeg, const QByteArray& section) {
    return jpeg.left(2) + section + jpeg.mid(2);
}

/// `image` encoded as a JPEG of quality `quality`.
inline QByteArray jpegBytes(const QImage& image, int quality = 100) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return bytes;
}

/// `image` encoded as a progressive JPEG; empty when the writer fails.
inline QByteArray progressiveJpegBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    return writer.write(image) ? bytes : QByteArray();
}

/// A JPEG of `image` whose EXIF block has one orientation tag, a short in Intel order.
inline QByteArray orientedJpeg(const QImage& image, int orientation, int quality = 100) {
    const ExifOrder intel;
    return withSection(jpegBytes(image, quality),
                       exifSection(exifTiff(intel, {{0x0112, 3, 1, intel.u16(orientation)}})));
}

}  // namespace zqtest
