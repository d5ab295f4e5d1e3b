#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <set>
#include <vector>

class QIODevice;

/// What we take from a JPEG's metadata: only the EXIF orientation (0 none, 1 to 8).
struct JpegInfo {
    int orientation = 0;
};

/// Reads a JPEG's sections up to the start of the compressed data and parses its EXIF block for
/// the orientation. Files come from anywhere, so every read is checked against the bytes that
/// are really there: a hostile file gets a warning on standard error, never a read outside its
/// section. One object per file; nothing is shared between objects.
class JpegMetadataReader {
public:
    /// Reads `device` from its current position. `name` is the file named in diagnostics.
    /// False for anything that is not a readable JPEG (the information is then cleared).
    bool read(QIODevice& device, const QString& name);

    /// Opens `fileName` through QFile and reads it. "can't open" on standard error when it
    /// cannot be opened.
    bool readFile(const QString& fileName);

    const JpegInfo& info() const { return info_; }

    /// Sections kept from the last read (marker code and bytes, the two length bytes first).
    struct Section {
        int marker = 0;
        QByteArray bytes;
    };
    const std::vector<Section>& sections() const { return sections_; }

private:
    bool readSections(QIODevice& device, const QString& name);
    void parseExifBlock(const QByteArray& section);
    void parseDirectory(std::int64_t start, int level);
    void readOrientation(std::int64_t valueAt, int format);
    bool checkedDirectoryLink(std::uint32_t offset) const;

    // Reads inside the current EXIF block (offsets from its TIFF header); 0 outside it.
    std::uint32_t get16(std::int64_t at) const;
    std::uint32_t get32(std::int64_t at) const;
    std::uint64_t get64(std::int64_t at) const;
    double number(std::int64_t at, int format) const;

    std::vector<Section> sections_;
    JpegInfo info_;
    bool commentSeen_ = false;

    // The EXIF block being parsed.
    const unsigned char* block_ = nullptr;
    std::int64_t blockLength_ = 0;
    bool motorola_ = false;
    int orientationTagsMet_ = 0;
    int directoriesParsed_ = 0;
    std::set<std::int64_t> directoriesSeen_;
};

/// "Nonfatal Error : " + message + line end, on standard error; the reading goes on.
void exifWarning(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
