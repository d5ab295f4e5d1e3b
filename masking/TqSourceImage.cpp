#include "masking/TqSourceImage.h"

#include "masking/ImageIntake.h"
#include "masking/NamedImage.h"
#include "masking/WorkingResolution.h"
#include "common/LogStream.h"
#include "common/Product.h"

#include <QPoint>
#include <QRect>

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace {

constexpr int bytesPer8BitPixel = 4;
constexpr int bytesPer16BitPixel = 8;

// A host view we may show: its rows fit its stride and its words are aligned for their size.
bool usableView(const TqPixelView& view, int bytesPerPixel) {
    if (view.isEmpty() || view.stride / bytesPerPixel < view.width)
        return false;
    const int alignment = bytesPerPixel == bytesPer8BitPixel ? 4 : 2;
    return view.stride % alignment == 0 &&
           reinterpret_cast<quintptr>(view.data) % alignment == 0;
}

void convert16To8(const TqPixelView& from, const TqPixelView& to, int format) {
    for (int y = 0; y < from.height; ++y) {
        const auto* source = reinterpret_cast<const quint16*>(from.data + qint64(y) * from.stride);
        unsigned char* target = to.data + qint64(y) * to.stride;
        const int channels = from.width * 4;
        for (int c = 0; c < channels; ++c)
            target[c] = TqSourceImage::channel16To8(source[c], format);
    }
}

void copyRows(const TqPixelView& from, const TqPixelView& to, int bytesPerPixel) {
    const size_t rowBytes = size_t(from.width) * bytesPerPixel;
    for (int y = 0; y < from.height; ++y)
        std::memcpy(to.data + qint64(y) * to.stride, from.data + qint64(y) * from.stride, rowBytes);
}

// The reader's reason as a sentence of its own under the message, so the user learns what
// the log knows (a file cut short, a format we cannot read); nothing when there is none.
QString reasonLine(const QString& problem) {
    QString reason = problem.trimmed();
    if (reason.isEmpty())
        return QString();
    reason[0] = reason[0].toUpper();
    if (!reason.endsWith(QLatin1Char('.')))
        reason += QLatin1Char('.');
    return QLatin1Char('\n') + reason;
}

TqPixelView viewOf(QImage& image) {
    // Called only while `image` is not shared, so bits() hands out its own memory.
    return TqPixelView{image.width(), image.height(), image.bits(), int(image.bytesPerLine())};
}

}  // namespace

TqSourceImage::TqSourceImage(const QString& fileName) : name_(fileName), viewChanged_(true) {
    if (fileName.isEmpty())
        return;
    loadFile(fileName);
}

TqSourceImage::TqSourceImage(const NamedImage& image)
    : name_(image.fileName()), viewChanged_(true) {
    if (image.isNull())
        return;
    try {
        // The engine and every view read four bytes per pixel in ARGB order, whatever came in.
        image_ = image.convertToFormat(QImage::Format_ARGB32);
        if (image_.isNull())
            throw std::bad_alloc();
        valid_ = true;
        init();
    } catch (const std::bad_alloc&) {
        clearPixels();
    }
}

TqSourceImage::TqSourceImage(const TqPixelView& hostView, HostDepth depth, const QString& name)
    : name_(name) {
    if (depth == HostDepth::Eight) {
        imageMaster_ = Array8Master;
        format_ = Format8;
        if (!usableView(hostView, bytesPer8BitPixel))
            return;
        view8_ = hostView;
    } else {
        imageMaster_ = Array16Master;
        format_ = Format16Max32768;
        if (!usableView(hostView, bytesPer16BitPixel))
            return;
        view16_ = hostView;
    }
    init();
    valid_ = true;
}

TqSourceImage::TqSourceImage(const TqSourceImage& other)
    : QObject(), name_(other.name_), imageMaster_(other.imageMaster_), format_(other.format_) {
    if (!other.valid_)
        return;
    const int w = other.width();
    const int h = other.height();
    switch (imageMaster_) {
    case ImageMaster:
        image_ = QImage(w, h, other.image_.format());
        if (image_.isNull())
            return;
        view8_ = viewOf(image_);
        break;
    case Array8Master:
        array8_.resize(size_t(w) * h * bytesPer8BitPixel);
        view8_ = TqPixelView{w, h, array8_.data(), w * bytesPer8BitPixel};
        break;
    case Array16Master:
        array16_.resize(size_t(w) * h * 4);
        view16_ = TqPixelView{w, h, reinterpret_cast<unsigned char*>(array16_.data()),
                              w * bytesPer16BitPixel};
        break;
    default:
        return;
    }
    copyPixelsFrom(other);
}

TqSourceImage::TqSourceImage(const QVariant& map) {
    const QVariantMap values = map.toMap();
    name_ = values.value(fileNameKey).toString();
    imageMaster_ = values.value(imageMasterKey, 0).toInt();
    format_ = values.value(formatKey, int(Format8)).toInt();
    // Pixels travel in the map only with master 0; any other restored image has none, and the
    // engine must never be handed an image that claims to be valid without pixels.
    if (!values.value(validKey).toBool() || imageMaster_ != ImageMaster)
        return;
    const QImage stored = values.value(imageImageKey).value<QImage>();
    if (stored.isNull())
        return;
    image_ = stored.convertToFormat(QImage::Format_ARGB32);
    if (image_.isNull())
        return;
    init();
    valid_ = true;
}

TqSourceImage::~TqSourceImage() = default;

void TqSourceImage::loadFile(const QString& fileName) {
    try {
        IntakeResult read = readIntakeFile(fileName);
        if (read.outOfMemory)
            throw std::bad_alloc();
        if (read.image.isNull()) {
            beginLogLine() << "TqSourceImage: could not open " << fileName << ": " << read.problem;
            endLogLine();
            loadProblem_ = tr("Sorry - could not open file %1", "%1 is filename").arg(fileName) +
                           reasonLine(read.problem);
            return;
        }
        image_ = std::move(read.image);   // not shared, so the view needs no copy
        imageMaster_ = ImageMaster;
        format_ = Format8;
        init();
        valid_ = true;
    } catch (const std::bad_alloc&) {
        // Whatever was built is dropped: an image marked valid without its views would send
        // the engine into memory it does not own.
        clearPixels();
        const QString operation = tr("Loading file %1", "[all]").arg(fileName);
        const QString error = tr("Out of memory", "[all]");
        beginLogLine() << "Internal Error: " << productDisplayName()
                       << " has detected an internal error: " << error
                       << " while performing the operation: " << operation;
        endLogLine();
    }
}

void TqSourceImage::clearPixels() {
    valid_ = false;
    image_ = QImage();
    pixmap_ = QPixmap();
    workingImage_ = QImage();
    workingPixmap_ = QPixmap();
    view8_ = TqPixelView();
    view16_ = TqPixelView();
    workingView_ = TqPixelView();
    workingDivisor_ = 0;
    array8_.clear();
    array16_.clear();
}

void TqSourceImage::init() {
    switch (imageMaster_) {
    case ImageMaster:
        if (!image_.isNull())
            view8_ = viewOf(image_);   // before the pixmap can share the image's memory
        break;
    case Array16Master:
        if (!view16_.isEmpty()) {
            const int w = view16_.width;
            const int h = view16_.height;
            array8_.assign(size_t(w) * h * bytesPer8BitPixel, 0);
            view8_ = TqPixelView{w, h, array8_.data(), w * bytesPer8BitPixel};
            if (format_ == Format16 || format_ == Format16Max32768)
                convert16To8(view16_, view8_, format_);
        }
        image_ = view8_.isEmpty() ? QImage()
                                  : QImage(view8_.data, view8_.width, view8_.height,
                                           view8_.stride, QImage::Format_ARGB32);
        break;
    case Array8Master:
        image_ = view8_.isEmpty() ? QImage()
                                  : QImage(view8_.data, view8_.width, view8_.height,
                                           view8_.stride, QImage::Format_ARGB32);
        break;
    default:
        break;
    }
    pixmap_ = QPixmap::fromImage(image_);
    viewChanged_ = false;
    beginLogLine() << "TqSourceImage::init " << name_ << ", (width, height) = (" << width()
                   << ", " << height() << ")";
    endLogLine();
}

void TqSourceImage::makeDisplayFrom16() {
    if (format_ == Format16 || format_ == Format16Max32768)
        convert16To8(view16_, view8_, format_);
}

QVariantMap TqSourceImage::toVariant() const {
    QVariantMap map;
    map.insert(validKey, valid_);
    map.insert(fileNameKey, name_);
    map.insert(formatKey, format_);
    map.insert(imageMasterKey, imageMaster_);
    if (imageMaster_ == ImageMaster)
        map.insert(imageImageKey, image_);
    return map;
}

bool TqSourceImage::makeWorkingImage() { return makeWorkingImage(workingResolutionDivisor()); }

bool TqSourceImage::makeWorkingImage(int divisor) {
    if (!isWorkingResolutionDivisor(divisor) || view8_.isEmpty() || image_.isNull())
        return false;
    refreshFromView();
    if (divisor == 1) {
        workingPixmap_ = pixmap_;
        workingImage_ = image_;
        workingView_ = view8_;
        workingDivisor_ = 1;
        return true;
    }
    const int workingWidth = (view8_.width + divisor - 1) / divisor;
    const int workingHeight = (view8_.height + divisor - 1) / divisor;
    QImage scaled(workingWidth, workingHeight, QImage::Format_ARGB32);
    if (scaled.isNull())
        return false;
    const JxImage source{view8_.width, view8_.height, view8_.stride, JxFormatRgba8, view8_.data};
    const JxImage destination{workingWidth, workingHeight, int(scaled.bytesPerLine()),
                              JxFormatRgba8, scaled.bits()};
    if (JxScaleImage(destination, source) != JxOk) {
        // The down-scaler refuses images smaller than a block (one pixel high at 2, say); the
        // working image must still be a picture, never uninitialised memory.
        scaled = image_.scaled(workingWidth, workingHeight, Qt::IgnoreAspectRatio,
                               Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_ARGB32);
        if (scaled.isNull())
            return false;
    }
    workingImage_ = std::move(scaled);   // not shared, so its view is its own memory
    workingView_ = viewOf(workingImage_);
    workingPixmap_ = QPixmap::fromImage(workingImage_);
    workingDivisor_ = divisor;
    return true;
}

JxImage TqSourceImage::pixelView() {
    refreshFromView();
    if ((imageMaster_ == ImageMaster || imageMaster_ == Array8Master) && !view8_.isEmpty())
        return JxImage{view8_.width, view8_.height, view8_.stride, JxFormatRgba8, view8_.data};
    if (imageMaster_ == Array16Master && !view16_.isEmpty() &&
        (format_ == Format16 || format_ == Format16Max32768))
        return JxImage{view16_.width, view16_.height, view16_.stride, format_, view16_.data};
    return JxImage{0, 0, 0, 0, nullptr};
}

QPixmap TqSourceImage::trimmedPixmap(QPoint* topLeft) {
    refreshFromView();
    const QImage copy = image_.copy();
    const int w = copy.width();
    const int h = copy.height();
    int left = w, top = h, right = 0, bottom = 0;
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(copy.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (row[x] >= 0x01000000u) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = y;
            }
        }
    }
    if (right < left || bottom < top)
        return QPixmap();
    if (topLeft)
        *topLeft = QPoint(left, top);
    return QPixmap::fromImage(copy.copy(QRect(QPoint(left, top), QPoint(right, bottom))));
}

bool TqSourceImage::copyPixelsFrom(const TqSourceImage& other) {
    if (&other == this || other.imageMaster_ != imageMaster_)
        return false;
    if (imageMaster_ == Array16Master) {
        if (other.view16_.isEmpty() || view16_.isEmpty() ||
            other.view16_.width != view16_.width || other.view16_.height != view16_.height)
            return false;
        copyRows(other.view16_, view16_, bytesPer16BitPixel);
    } else {
        if (other.view8_.isEmpty() || view8_.isEmpty() || other.view8_.width != view8_.width ||
            other.view8_.height != view8_.height)
            return false;
        copyRows(other.view8_, view8_, bytesPer8BitPixel);
    }
    workingImage_ = QImage();
    workingPixmap_ = QPixmap();
    workingView_ = TqPixelView();
    workingDivisor_ = 0;
    format_ = other.format_;
    name_ = other.name_;
    init();
    valid_ = true;
    return true;
}

void TqSourceImage::refreshFromView() {
    if (!viewChanged_)
        return;
    if (imageMaster_ == Array16Master && !view16_.isEmpty())
        makeDisplayFrom16();
    // The engine writes into the pixels behind the pixmap's back, whatever the master.
    if (!image_.isNull())
        pixmap_ = QPixmap::fromImage(image_);
    if (workingDivisor_ == 1)
        workingPixmap_ = pixmap_;
    viewChanged_ = false;
}

quint16 TqSourceImage::imageCheck() const {
    if (!valid_)
        return 0;
    const TqPixelView& view = imageMaster_ == Array16Master ? view16_ : view8_;
    if (view.isEmpty())
        return 0;
    const quint16 crc = qChecksum(reinterpret_cast<const char*>(view.data), uint(view.width));
    return quint16(crc ^ quint16(view.width) ^ quint16(view.height));
}
