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
