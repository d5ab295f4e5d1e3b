#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>

namespace zqtest {

/// The text the log file gained since this object was made.
class LogWatch {
public:
    LogWatch();
    QString newText() const;

private:
    qint64 start_ = 0;
};

/// Writes `bytes` to `path`; false when it cannot.
bool writeFile(const QString& path, const QByteArray& bytes);

/// CRC-32 as PNG and zlib use it.
std::uint32_t crc32(const QByteArray& bytes);

/// A PNG file whose header announces `width` x `height` and holds one tiny (wrong) data chunk:
/// what a decompression bomb's first bytes look like.
QByteArray pngHeaderOnly(int width, int height);

/// A PNG of `width` x `height` whose samples are all zero, of `bitDepth` bits a sample in the
/// colour type `colourType` (0 grey, 2 RGB, 4 grey and alpha, 6 RGBA), stored row after row or
/// interlaced; its data is compressed about 160 to 1, so a picture of gigabytes takes
/// megabytes. Empty for a palette colour type.
QByteArray zeroPng(int width, int height, int bitDepth, int colourType, bool interlaced);

/// A JPEG of `width` x `height` with the frame header `frameMarker` (0xC0 baseline, 0xC2
/// progressive) and one component for each byte of `sampling` (its horizontal and vertical
/// factors, 0x11 for 1 x 1), all in one scan or each in a scan of its own (the DC scans of a
/// progressive one), whose few bytes decode as flat grey: what a decompression bomb of that
/// kind looks like.
QByteArray flatJpeg(int width, int height, uchar frameMarker, const QByteArray& sampling,
                    bool scanPerComponent = false);

/// An image whose four quadrants have different colours (red top-left, green top-right, blue
/// bottom-left, white bottom-right), so that every turn and mirror shows.
QImage quadrantImage(int width, int height);

/// Pixels from a fixed pseudo-random sequence: compressed, they fill most of a JPEG file.
QImage noiseImage(int width, int height);

/// Which quadrant colour a pixel is nearest to: 'R', 'G', 'B', 'W', or '?'.
char quadrantColour(QRgb pixel);

}  // namespace zqtest

namespace zqtest {

/// Collects what is written to the standard error stream (file descriptor 2) while it lives.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    /// Everything written so far.
    QString text();

private:
    int saved_ = -1;
    int file_ = -1;
};

}  // namespace zqtest
