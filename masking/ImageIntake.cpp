#include "masking/ImageIntake.h"

#include "masking/DecoderWork.h"
#include "masking/ExifOrientation.h"
#include "masking/JpegCompleteness.h"
#include "common/LogStream.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTransform>

#include <limits>
#include <new>

namespace {

IntakeResult outOfMemory() {
    IntakeResult result;
    result.problem = QStringLiteral("Out of memory");
    result.outOfMemory = true;
    return result;
}

bool transposes(int orientation) { return orientation >= 5 && orientation <= 8; }

QSize transposed(const QSize& size, bool swap) { return swap ? size.transposed() : size; }

void logRefusal(const QString& source, const QSize& size) {
    beginLogLine() << "Image refused: " << source << " is " << size.width() << " x "
                   << size.height() << " pixels, more than can be opened";
    endLogLine();
}

// Turns the decoded picture upright, bounds it and converts it; a null result from a
// non-null input means memory ran out.
IntakeResult finish(QImage image, int orientation) {
    IntakeResult result;
    if (orientation >= 2 && orientation <= 8)
        image = image.transformed(exifOrientationTransform(orientation), Qt::FastTransformation);
    const QSize bounded = intakeSize(image.size());
    if (!image.isNull() && bounded != image.size())
        image = image.scaled(bounded, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!image.isNull())
        image.convertTo(QImage::Format_ARGB32);   // in place where the layouts allow it
    if (image.isNull() || image.format() != QImage::Format_ARGB32)
        return outOfMemory();
    result.image = image;
    return result;
}

bool jpegFormat(const QByteArray& format) {
    const QByteArray lower = format.toLower();
    return lower == "jpeg" || lower == "jpg";
}

// Runs `look` over the first `limit` bytes of `device` (all when it holds fewer), one of the two
// devices this file reads from (a buffer, or a file mapped or else read again), leaving the
// device where it was; false when the content cannot be had.
template <typename Look>
bool lookAtContent(QIODevice* device, qint64 limit, Look look) {
    if (auto* buffer = qobject_cast<QBuffer*>(device)) {
        const QByteArray& bytes = buffer->data();
        look(reinterpret_cast<const uchar*>(bytes.constData()), qMin(qint64(bytes.size()), limit));
        return true;
    }
    auto* file = qobject_cast<QFile*>(device);
    if (!file)
        return false;
    const qint64 size = qMin(file->size(), limit);
    if (uchar* mapped = file->map(0, size)) {
        look(static_cast<const uchar*>(mapped), size);
        file->unmap(mapped);
        return true;
    }
    QFile again(file->fileName());
    if (!again.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = again.read(size);
    look(reinterpret_cast<const uchar*>(bytes.constData()), qint64(bytes.size()));
    return true;
}

// A JPEG cut short decodes without an error, its missing part grey; its structure tells. One
// whose content cannot be looked at counts as cut short.
bool wholeJpeg(QIODevice* device) {
    bool whole = false;
    constexpr qint64 wholeContent = std::numeric_limits<qint64>::max();
    lookAtContent(device, wholeContent, [&whole](const uchar* bytes, qint64 size) {
        whole = jpegIsComplete(bytes, size);
    });
    return whole;
}

// Bytes per pixel of the copy a smooth down-scaling makes first: Qt scales only a few
// layouts as they are and converts every other one to 32 (or 64) bits at full size.
qint64 scalingCopyBytesPerPixel(QImage::Format format) {
    switch (format) {
    case QImage::Format_RGB32: case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX8888: case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_RGBX64: case QImage::Format_RGBA64_Premultiplied:
        return 0;
    case QImage::Format_RGBA64:
        return 8;
    default:
        return 4;
    }
}

// A JPEG whose first scan header lies further on counts as one whose header cannot be read.
constexpr qint64 headerLookLimit = qint64(16) << 20;

// What the reader's decoder does with the picture. Of Qt's decoders only the PNG and the JPEG
// one honour a scaled size, and only for some pictures, which their headers tell; every other
// decoder counts as decoding the whole picture and leaving the scaling to the reader, whatever
// options it claims.
DecoderWork decoderWork(QImageReader& reader, const QSize& stored, const QSize& wanted) {
    using HeaderReading = DecoderWork (*)(const uchar*, qint64, const QSize&, const QSize&);
    const QByteArray format = reader.format().toLower();
    const HeaderReading fromHeader = format == "png" ? &pngDecoderWork
                                     : jpegFormat(format) ? &jpegDecoderWork
                                                          : nullptr;
    if (!fromHeader)
        return DecoderWork{stored, 0};
    DecoderWork work = fromHeader(nullptr, 0, stored, wanted);   // as for a header not there
    lookAtContent(reader.device(), headerLookLimit, [&](const uchar* bytes, qint64 size) {
        work = fromHeader(bytes, size, stored, wanted);
    });
    return work;
}

// What decoding a picture costs at most on its way to the intake size: what the decoder holds
// besides its picture, that picture and, when it must shrink still, the copy the scaling makes
// and the scaled picture. A format that does not say its layout counts as the costliest plain
// one.
qint64 decodingBytes(const QImageReader& reader, const DecoderWork& work, const QSize& wanted) {
    const QImage::Format format = reader.imageFormat();
    const bool known = format != QImage::Format_Invalid;
    const qint64 depth = known ? QImage::toPixelFormat(format).bitsPerPixel() : 32;
    const qint64 pixels = qint64(work.decoded.width()) * work.decoded.height();
    qint64 bytes = work.bufferBytes + (pixels * depth + 7) / 8;
    if (work.decoded != wanted) {
        const qint64 scaledBytesPerPixel = depth > 32 ? 8 : 4;   // 64-bit layouts stay 64-bit
        bytes += pixels * (known ? scalingCopyBytesPerPixel(format) : 4) +
                 qint64(wanted.width()) * wanted.height() * scaledBytesPerPixel;
    }
    return bytes;
}

IntakeResult refusedAsTooLarge(const QString& source, const QSize& size) {
    logRefusal(source, size);
    IntakeResult result;
    result.problem = QStringLiteral("image too large");
    return result;
}

IntakeResult readWith(QImageReader& reader, int orientation, const QString& source) {
    IntakeResult result;
    // The orientation is ours to apply, read by our own reader and in our own order.
    reader.setAutoTransform(false);
    const QSize stored = reader.size();
    if (!stored.isValid()) {
        // Without a size from the header nothing bounds what decoding allocates (a BMP of
        // negative height, say), so such a picture is not decoded at all.
        if (!reader.canRead()) {
            result.problem = reader.errorString();
            return result;
        }
        beginLogLine() << "Image refused: " << source << " does not say its size";
        endLogLine();
        result.problem = QStringLiteral("image size unknown");
        return result;
    }
    if (!intakeSizeAcceptable(stored))
        return refusedAsTooLarge(source, stored);
    const bool swap = transposes(orientation);
    const QSize oriented = transposed(stored, swap);
    const QSize wanted = transposed(intakeSize(oriented), swap);
    if (decodingBytes(reader, decoderWork(reader, stored, wanted), wanted) > intakeDecodeMaxBytes)
        return refusedAsTooLarge(source, stored);
    if (wanted != stored)
        reader.setScaledSize(wanted);
    if (jpegFormat(reader.format()) && !wholeJpeg(reader.device())) {
        result.problem = QStringLiteral("the JPEG data ends before its end-of-image marker");
        return result;
    }
    QImage image;
    if (!reader.read(&image)) {
        result.problem = reader.errorString();
        return result;
    }
    if (!intakeSizeAcceptable(image.size()))   // a header that lied
        return refusedAsTooLarge(source, image.size());
    return finish(image, orientation);
}

}  // namespace

QSize intakeSize(const QSize& orientedSize) {
    const int width = orientedSize.width();
    const int height = orientedSize.height();
    if (width <= intakeMaxSide && height <= intakeMaxSide)
        return orientedSize;
    if (height < width)
        return QSize(intakeMaxSide, qMax(1, qRound(double(height) * intakeMaxSide / width)));
    return QSize(qMax(1, qRound(double(width) * intakeMaxSide / height)), intakeMaxSide);
}

bool intakeSizeAcceptable(const QSize& size) {
    return size.width() > 0 && size.height() > 0 && size.width() <= intakeHeaderMaxSide &&
           size.height() <= intakeHeaderMaxSide &&
           qint64(size.width()) * size.height() <= intakeHeaderMaxPixels;
}

IntakeResult readIntakeFile(const QString& fileName) {
    try {
        const int orientation = exifOrientationOfFile(fileName);
        QImageReader reader(fileName);
        return readWith(reader, orientation, fileName);
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    }
}

IntakeResult readIntakeBytes(const QByteArray& bytes, const QByteArray& format,
                             const QString& source) {
    try {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        const int orientation = exifOrientationOfDevice(buffer);
        buffer.seek(0);
        QImageReader reader(&buffer, format);
        return readWith(reader, orientation, source);
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    }
}

QImage boundIntakeImage(const QImage& image) {
    if (image.isNull())
        return QImage();
    return finish(image, 0).image;
}
