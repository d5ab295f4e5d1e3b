#include "masking/MaskingTestSupport.h"

#include "common/LogStream.h"

#include <QFile>
#include <QDir>
#include <QtEndian>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace zqtest {

namespace {

QString logPath() {
    beginLogLine() << "-- test log watch --";   // makes the stream when none exists yet
    endLogLine();
    return theLogStream->filePath();
}

void appendBigEndian32(QByteArray& bytes, std::uint32_t value) {
    char buffer[4];
    qToBigEndian(value, buffer);
    bytes.append(buffer, 4);
}

void appendChunk(QByteArray& png, const char* type, const QByteArray& data) {
    appendBigEndian32(png, std::uint32_t(data.size()));
    const QByteArray typed = QByteArray(type, 4) + data;
    png.append(typed);
    appendBigEndian32(png, crc32(typed));
}

}  // namespace

LogWatch::LogWatch() { start_ = QFile(logPath()).size(); }

QString LogWatch::newText() const {
    QFile file(logPath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    file.seek(start_);
    return QString::fromUtf8(file.readAll());
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

std::uint32_t crc32(const QByteArray& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= std::uint8_t(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

QByteArray pngHeaderOnly(int width, int height) {
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    appendBigEndian32(header, std::uint32_t(width));
    appendBigEndian32(header, std::uint32_t(height));
    header.append("\x08\x06\x00\x00\x00", 5);   // 8-bit RGBA, no interlace
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", QByteArray("\x78\x9c\x03\x00\x00\x00\x00\x01", 8));
    appendChunk(png, "IEND", QByteArray());
    return png;
}

namespace {

// Writes the numbers of a deflate stream, least significant bit first.
class DeflateBits {
public:
    explicit DeflateBits(QByteArray& out) : out_(out) {}
    void put(std::uint32_t value, int length) {
        held_ |= value << count_;
        count_ += length;
        for (; count_ >= 8; count_ -= 8, held_ >>= 8)
            out_.append(char(held_ & 0xFF));
    }
    // A Huffman code goes in from its most significant bit.
    void putCode(std::uint32_t code, int length) {
        for (int bit = length - 1; bit >= 0; --bit)
            put((code >> bit) & 1u, 1);
    }
    void flush() {
        if (count_ > 0)
            put(0, 8 - count_);
    }

private:
    QByteArray& out_;
    std::uint32_t held_ = 0;
    int count_ = 0;
};

// A zlib stream of `count` zero bytes in one block of fixed codes: a literal zero, then copies
// of 258 bytes from one byte back (13 bits each), then literal zeros for the rest.
QByteArray zerosDeflated(qint64 count) {
    QByteArray out("\x78\x01", 2);
    DeflateBits bits(out);
    bits.put(1, 1);   // the last block
    bits.put(1, 2);   // fixed codes
    constexpr std::uint32_t literalZero = 0x30, length258 = 0xC5, distance1 = 0, endOfBlock = 0;
    qint64 left = count;
    if (left > 0) {
        bits.putCode(literalZero, 8);
        --left;
    }
    for (; left >= 258; left -= 258) {
        bits.putCode(length258, 8);
        bits.putCode(distance1, 5);
    }
    for (; left > 0; --left)
        bits.putCode(literalZero, 8);
    bits.putCode(endOfBlock, 7);
    bits.flush();
    // Adler-32 of zeros: the first sum stays 1, the second grows by 1 a byte.
    appendBigEndian32(out, (std::uint32_t(count % 65521) << 16) | 1u);
    return out;
}

// The filtered data of a PNG picture: each row (of each interlace pass) a filter byte and its
// samples.
qint64 pngDataBytes(int width, int height, int bitsPerPixel, bool interlaced) {
    struct Pass {
        int x0, y0, dx, dy;
    };
    static const Pass whole[] = {{0, 0, 1, 1}};
    static const Pass adam7[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                 {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    const Pass* passes = interlaced ? adam7 : whole;
    const int passCount = interlaced ? 7 : 1;
    qint64 bytes = 0;
    for (int p = 0; p < passCount; ++p) {
        const Pass& pass = passes[p];
        const qint64 columns = width > pass.x0 ? (width - pass.x0 + pass.dx - 1) / pass.dx : 0;
        const qint64 rows = height > pass.y0 ? (height - pass.y0 + pass.dy - 1) / pass.dy : 0;
        if (columns > 0 && rows > 0)
            bytes += rows * (1 + (columns * bitsPerPixel + 7) / 8);
    }
    return bytes;
}

void appendBigEndian16(QByteArray& bytes, int value) {
    bytes.append(char((value >> 8) & 0xFF));
    bytes.append(char(value & 0xFF));
}

void appendJpegSegment(QByteArray& jpeg, uchar marker, const QByteArray& content) {
    jpeg.append(char(0xFF));
    jpeg.append(char(marker));
    appendBigEndian16(jpeg, content.size() + 2);
    jpeg.append(content);
}

}  // namespace

QByteArray zeroPng(int width, int height, int bitDepth, int colourType, bool interlaced) {
    int channels = 0;
    switch (colourType) {
    case 0: channels = 1; break;
    case 2: channels = 3; break;
    case 4: channels = 2; break;
    case 6: channels = 4; break;
    default: return QByteArray();   // a palette would need a PLTE chunk
    }
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    appendBigEndian32(header, std::uint32_t(width));
    appendBigEndian32(header, std::uint32_t(height));
    header.append(char(bitDepth));
    header.append(char(colourType));
    header.append("\x00\x00", 2);   // deflate, adaptive filters
    header.append(char(interlaced ? 1 : 0));
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT",
                zerosDeflated(pngDataBytes(width, height, bitDepth * channels, interlaced)));
    appendChunk(png, "IEND", QByteArray());
    return png;
}

QByteArray flatJpeg(int width, int height, uchar frameMarker, const QByteArray& sampling,
                    bool scanPerComponent) {
    const bool progressive = frameMarker == 0xC2;
    QByteArray jpeg("\xFF\xD8", 2);
    appendJpegSegment(jpeg, 0xDB, QByteArray(1, '\0') + QByteArray(64, '\1'));
    QByteArray frame(1, char(8));
    appendBigEndian16(frame, height);
    appendBigEndian16(frame, width);
    frame.append(char(sampling.size()));
    for (int c = 0; c < sampling.size(); ++c)
        frame.append(char(c + 1)).append(sampling[c]).append('\0');
    appendJpegSegment(jpeg, frameMarker, frame);
    // One code of one bit for each table: a zero difference, an end of block.
    const QByteArray oneCode = QByteArray(1, '\1') + QByteArray(15, '\0') + QByteArray(1, '\0');
    appendJpegSegment(jpeg, 0xC4, QByteArray(1, '\x00') + oneCode + QByteArray(1, '\x10') + oneCode);
    const QByteArray spectrum = progressive ? QByteArray("\x00\x00\x00", 3)
                                            : QByteArray("\x00\x3F\x00", 3);
    const int scans = scanPerComponent ? sampling.size() : 1;
    for (int first = 0; first < scans; ++first) {
        const int count = scanPerComponent ? 1 : sampling.size();
        QByteArray scan(1, char(count));
        for (int c = first; c < first + count; ++c)
            scan.append(char(c + 1)).append('\0');
        appendJpegSegment(jpeg, 0xDA, scan + spectrum);
        jpeg.append(QByteArray(16, '\0'));
    }
    jpeg.append("\xFF\xD9", 2);
    return jpeg;
}

QImage quadrantImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2;
            const bool bottom = y >= height / 2;
            const QRgb colour = bottom ? (right ? qRgb(255, 255, 255) : qRgb(0, 0, 255))
                                       : (right ? qRgb(0, 255, 0) : qRgb(255, 0, 0));
            image.setPixel(x, y, colour);
        }
    }
    return image;
}

QImage noiseImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            image.setPixel(x, y, state >> 8);
        }
    return image;
}

char quadrantColour(QRgb pixel) {
    const bool r = qRed(pixel) > 160, g = qGreen(pixel) > 160, b = qBlue(pixel) > 160;
    const bool r0 = qRed(pixel) < 96, g0 = qGreen(pixel) < 96, b0 = qBlue(pixel) < 96;
    if (r && g0 && b0) return 'R';
    if (r0 && g && b0) return 'G';
    if (r0 && g0 && b) return 'B';
    if (r && g && b) return 'W';
    return '?';
}

StderrCapture::StderrCapture() {
    std::fflush(stderr);
    const QByteArray path = QFile::encodeName(QDir::tempPath() + QStringLiteral("/stderr.XXXXXX"));
    QByteArray name = path;
    file_ = ::mkstemp(name.data());
    ::unlink(name.constData());
    saved_ = ::dup(2);
    ::dup2(file_, 2);
}

StderrCapture::~StderrCapture() {
    std::fflush(stderr);
    ::dup2(saved_, 2);
    ::close(saved_);
    ::close(file_);
}

QString StderrCapture::text() {
    std::fflush(stderr);
    QByteArray bytes;
    char buffer[4096];
    for (off_t at = 0;;) {
        const ssize_t got = ::pread(file_, buffer, sizeof buffer, at);
        if (got <= 0)
            break;
        bytes.append(buffer, int(got));
        at += got;
    }
    return QString::fromLocal8Bit(bytes);
}

}  // namespace zqtest
