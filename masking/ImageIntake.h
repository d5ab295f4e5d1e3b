#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class QImageReader;

/// Every picture that enters the program (a file opened by name, a dropped file, a download,
/// dropped image data) goes through here, so that all of them arrive the same way: upright
/// (the EXIF orientation of a JPEG applied), at most `intakeMaxSide` pixels on the longer side,
/// and as `QImage::Format_ARGB32` with their alpha values kept.
///
/// A picture whose header announces more than `intakeHeaderMaxSide` pixels on a side or more
/// than `intakeHeaderMaxPixels` pixels, whose decoding and scaling would take more than
/// `intakeDecodeMaxBytes`, or whose header gives no size at all is refused before anything is
/// decoded, so a small file cannot make us allocate gigabytes. A JPEG cut short is refused
/// too, although it would decode (its missing rows grey). GUI thread or any other: nothing here is shared.

constexpr int intakeMaxSide = 1280;
constexpr int intakeHeaderMaxSide = 32767;
constexpr qint64 intakeHeaderMaxPixels = qint64(1) << 27;
// What one picture may cost on its way in, whatever its format: what a 32-bit picture at the
// pixel limit costs. A sequential JPEG and an 8-bit colour PNG stored row after row decode near
// the intake size and stay far below it. A picture decoded whole and copied to scale (grey,
// palette, 1 bit, 16 bits, an interlaced PNG) gets fewer pixels, and so does a progressive JPEG,
// whose decoder keeps the coefficients of the whole picture.
constexpr qint64 intakeDecodeMaxBytes = intakeHeaderMaxPixels * 4;

/// What a read gives: the picture, or a null image and the reason.
struct IntakeResult {
    QImage image;
    QString problem;             // empty on success; for the log
    bool outOfMemory = false;    // the picture was fine but memory ran out on the way
};

/// The size a picture of `orientedSize` is taken in at: unchanged while neither side exceeds
/// `intakeMaxSide`; otherwise the longer side becomes `intakeMaxSide` (the height when both are
/// equal) and the other keeps the aspect ratio, at least 1.
QSize intakeSize(const QSize& orientedSize);

/// Whether a header size is one we dare decode.
bool intakeSizeAcceptable(const QSize& size);

/// Reads the picture file `fileName`, its orientation read from the file itself.
IntakeResult readIntakeFile(const QString& fileName);

/// Reads a picture from `bytes` (a download); the orientation comes from the bytes. An empty
/// `format` lets the image readers tell the format from the content. `source` names the
/// picture in log lines.
IntakeResult readIntakeBytes(const QByteArray& bytes, const QByteArray& format,
                             const QString& source);

/// Image data handed over whole (dropped from another program): converted and bounded the same
/// way. No orientation: decoded image data carries none.
QImage boundIntakeImage(const QImage& image);
