#include "masking/JpegMetadataReader.h"

#include <QFile>
#include <QIODevice>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr int markerStartOfScan = 0xDA;
constexpr int markerEndOfImage = 0xD9;
constexpr int markerExif = 0xE1;
constexpr int markerJfif = 0xE0;
constexpr int markerComment = 0xFE;

constexpr int tagOrientation = 0x0112;
constexpr int tagExifDirectory = 0x8769;
constexpr int tagInteropDirectory = 0xA005;
constexpr int tagGpsDirectory = 0x8825;

constexpr int maxNestingLevel = 4;
constexpr std::uint32_t maxComponents = 65536;
// Directory links may point back at each other; each directory is parsed once, and a block
// with more directories than any camera writes is not followed further.
constexpr int maxDirectoriesPerBlock = 64;

// Bytes per component of the TIFF 6.0 field types 0 to 12.
constexpr int formatSizes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

enum Format {
    FormatByte = 1, FormatAscii = 2, FormatShort = 3, FormatLong = 4, FormatRational = 5,
    FormatSignedByte = 6, FormatUndefined = 7, FormatSignedShort = 8, FormatSignedLong = 9,
    FormatSignedRational = 10, FormatFloat = 11, FormatDouble = 12,
};

QByteArray local8(const QString& name) { return name.toLocal8Bit(); }

int readByte(QIODevice& device) {
    char byte;
    return device.getChar(&byte) ? static_cast<unsigned char>(byte) : -1;
}

}  // namespace

void exifWarning(const char* format, ...) {
    std::fputs("Nonfatal Error : ", stderr);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputs("\n", stderr);
}

bool JpegMetadataReader::readFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        sections_.clear();
        info_ = JpegInfo();
        std::fprintf(stderr, "can't open '%s'\n", local8(fileName).constData());
        return false;
    }
    return read(file, fileName);
}

bool JpegMetadataReader::read(QIODevice& device, const QString& name) {
    sections_.clear();
    info_ = JpegInfo();
    commentSeen_ = false;
    bool ok = false;
    try {
        ok = readSections(device, name);
    } catch (const std::bad_alloc&) {
        exifWarning("Could not allocate memory");
        ok = false;
    }
    if (!ok) {
        sections_.clear();
        info_ = JpegInfo();
    }
    return ok;
}

bool JpegMetadataReader::readSections(QIODevice& device, const QString& name) {
    if (readByte(device) != 0xFF || readByte(device) != 0xD8) {
        std::fprintf(stderr, "Not JPEG: %s\n", local8(name).constData());
        return false;
    }
    for (;;) {
        int marker = 0;
        for (int fill = 0;; ++fill) {
            marker = readByte(device);
            if (marker != 0xFF)
                break;
            if (fill >= 6) {
                std::fputs("too many padding bytes\n", stderr);
                return false;
            }
        }
        if (marker < 0) {
            exifWarning("Premature end of file?");
            return false;
        }
        const int high = readByte(device);
        const int low = readByte(device);
        if (high < 0 || low < 0) {
            exifWarning("Premature end of file?");
            return false;
        }
        const int length = (high << 8) | low;   // counts its own two bytes
        if (length < 2) {
            exifWarning("invalid marker");
            return false;
        }
        Section section;
        section.marker = marker;
        section.bytes.resize(length);
        section.bytes[0] = char(high);
        section.bytes[1] = char(low);
        if (device.read(section.bytes.data() + 2, length - 2) != length - 2) {
            exifWarning("Premature end of file?");
            return false;
        }
        switch (marker) {
        case markerStartOfScan:
            return true;   // the compressed data is never read
        case markerEndOfImage:
            std::fputs("No image in jpeg!\n", stderr);
            return false;
        case markerExif:
            if (section.bytes.mid(2, 4) == "Exif") {
                parseExifBlock(section.bytes);
                sections_.push_back(std::move(section));
            }
            break;
        case markerJfif:
            break;
        case markerComment:
            if (!commentSeen_) {   // the first comment is kept, later ones dropped
                commentSeen_ = true;
                sections_.push_back(std::move(section));
            }
            break;
        default:
            sections_.push_back(std::move(section));
            break;
        }
    }
}

void JpegMetadataReader::parseExifBlock(const QByteArray& section) {
    orientationTagsMet_ = 0;
    directoriesParsed_ = 0;
    directoriesSeen_.clear();
    const auto* bytes = reinterpret_cast<const unsigned char*>(section.constData());
    const std::int64_t payload = std::int64_t(section.size()) - 2;
    if (payload < 6 || std::memcmp(bytes + 2, "Exif\0\0", 6) != 0) {
        exifWarning("Incorrect Exif header");
        return;
    }
    // The TIFF header: byte order (2), 42 (2), offset of the first directory (4).
    if (payload < 6 + 8) {
        exifWarning("Exif header too short");
        return;
    }
    block_ = bytes + 8;
    blockLength_ = payload - 6;
    if (std::memcmp(block_, "II", 2) == 0) {
        motorola_ = false;
    } else if (std::memcmp(block_, "MM", 2) == 0) {
        motorola_ = true;
    } else {
        exifWarning("Invalid Exif alignment marker.");
        return;
    }
    if (get16(2) != 42) {
        exifWarning("Invalid Exif start (1)");
        return;
    }
    const std::uint32_t first = get32(4);
    if (first < 8 || first > 16)
        exifWarning("Suspicious offset of first IFD value");
    parseDirectory(first, 0);
    block_ = nullptr;
    blockLength_ = 0;
}

void JpegMetadataReader::parseDirectory(std::int64_t start, int level) {
    if (level > maxNestingLevel) {
        exifWarning("Maximum directory nesting exceeded (corrupt exif header)");
        return;
    }
    if (start < 0 || start + 2 > blockLength_) {   // no room for the entry count
        exifWarning("Illegally sized directory");
        return;
    }
    if (!directoriesSeen_.insert(start).second)
        return;
    if (++directoriesParsed_ > maxDirectoriesPerBlock) {
        exifWarning("Too many directories");
        return;
    }
    const std::int64_t count = get16(start);
    const std::int64_t end = start + 2 + 12 * count;
    if (!(end + 4 <= blockLength_ || end + 2 == blockLength_ || end == blockLength_)) {
        exifWarning("Illegally sized directory");
        return;
    }
    for (std::int64_t index = 0; index < count; ++index) {
        const std::int64_t entry = start + 2 + 12 * index;
        const int tag = int(get16(entry));
        const std::uint32_t format = get16(entry + 2);
        const std::uint32_t components = get32(entry + 4);
        if (format > 12) {
            exifWarning("Illegal number format %u for tag %04x", format, tag);
            continue;
        }
        if (components > maxComponents) {
            exifWarning("Illegal number of components %u for tag %04x", components, tag);
            continue;
        }
        const std::int64_t byteCount = std::int64_t(components) * formatSizes[format];
        std::int64_t valueAt = entry + 8;
        if (byteCount > 4) {
            const std::int64_t offset = get32(entry + 8);
            if (offset > blockLength_ || byteCount > blockLength_ - offset) {
                exifWarning("Illegal value pointer for tag %04x", tag);
                continue;
            }
            valueAt = offset;
        }
        switch (tag) {
        case tagOrientation:
            readOrientation(valueAt, int(format));
            break;
        case tagExifDirectory:
        case tagInteropDirectory: {
            const std::uint32_t link = get32(valueAt);
            if (!checkedDirectoryLink(link))
                exifWarning("Illegal exif or interop ofset directory link");
            else
                parseDirectory(link, level + 1);
            break;
        }
        case tagGpsDirectory:
            // Nothing of the GPS directory is used; a bad link is still worth a word.
            if (!checkedDirectoryLink(get32(valueAt)))
                exifWarning("Illegal GPS directory link");
            break;
        default:
            break;
        }
    }
    if (end + 4 <= blockLength_) {
        const std::uint32_t next = get32(end);
        if (next != 0) {
            if (!checkedDirectoryLink(next))
                exifWarning("Illegal subdirectory link");
            else
                parseDirectory(next, level + 1);
        }
    }
}

bool JpegMetadataReader::checkedDirectoryLink(std::uint32_t offset) const {
    return std::int64_t(offset) + 2 <= blockLength_;   // room for the entry count
}

void JpegMetadataReader::readOrientation(std::int64_t valueAt, int format) {
    ++orientationTagsMet_;
    if (orientationTagsMet_ > 2) {
        exifWarning("More than two orientation tags!");
        return;
    }
    if (orientationTagsMet_ > 1)
        return;   // the first tag met is the orientation; a second one only counts
    const double value = number(valueAt, format);
    // Checked before any conversion: NaN, infinities and 1e300 have no integer value.
    if (!(value > -1.0 && value < 9.0)) {
        if (std::isfinite(value) && std::fabs(value) < 2e9)
            exifWarning("Undefined rotation value %d", int(value));
        else
            exifWarning("Undefined rotation value %g", value);
        info_.orientation = 0;
        return;
    }
    info_.orientation = int(value);   // truncated toward zero, 0 to 8
}

std::uint32_t JpegMetadataReader::get16(std::int64_t at) const {
    if (at < 0 || at + 2 > blockLength_)
        return 0;
    const unsigned char* p = block_ + at;
    return motorola_ ? (std::uint32_t(p[0]) << 8) | p[1] : (std::uint32_t(p[1]) << 8) | p[0];
}

std::uint32_t JpegMetadataReader::get32(std::int64_t at) const {
    if (at < 0 || at + 4 > blockLength_)
        return 0;
    const std::uint32_t first = get16(at);
    const std::uint32_t second = get16(at + 2);
    return motorola_ ? (first << 16) | second : (second << 16) | first;
}

std::uint64_t JpegMetadataReader::get64(std::int64_t at) const {
    if (at < 0 || at + 8 > blockLength_)
        return 0;
    const std::uint64_t first = get32(at);
    const std::uint64_t second = get32(at + 4);
    return motorola_ ? (first << 32) | second : (second << 32) | first;
}

double JpegMetadataReader::number(std::int64_t at, int format) const {
    switch (format) {
    case FormatByte:
        return (at >= 0 && at < blockLength_) ? block_[at] : 0;
    case FormatSignedByte:
        return (at >= 0 && at < blockLength_) ? static_cast<signed char>(block_[at]) : 0;
    case FormatShort:
        return get16(at);
    case FormatSignedShort:
        return static_cast<std::int16_t>(get16(at));
    case FormatLong:
        return get32(at);
    case FormatSignedLong:
        return static_cast<std::int32_t>(get32(at));
    case FormatRational:
    case FormatSignedRational: {
        // In double: INT_MIN / -1 has no integer answer.
        const bool isSigned = format == FormatSignedRational;
        const double numerator = isSigned ? double(std::int32_t(get32(at))) : double(get32(at));
        const double denominator =
            isSigned ? double(std::int32_t(get32(at + 4))) : double(get32(at + 4));
        return denominator == 0 ? 0 : numerator / denominator;
    }
    case FormatFloat: {
        const std::uint32_t bits = get32(at);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    case FormatDouble: {
        const std::uint64_t bits = get64(at);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    default:
        exifWarning("Illegal format code %d", format);
        return 0;
    }
}
