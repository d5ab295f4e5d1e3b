#pragma once

#include "classification/JxInterface.h"

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <algorithm>
#include <vector>

class NamedImage;
class QPoint;

/// Four interleaved channels in the memory order of Qt's 32-bit ARGB format (blue, green, red,
/// alpha), 8 or 16 bits each, somewhere in memory. Empty when `data` is null.
struct TqPixelView {
    int width = 0;
    int height = 0;
    unsigned char* data = nullptr;
    int stride = 0;   // bytes from one row to the next

    bool isEmpty() const { return !data || width <= 0 || height <= 0; }
};

/// A loaded picture as the masking document holds it: the source photograph of a cut-out, the
/// output image the mask is generated into, a host's picture, a dropped or downloaded image, or
/// the picture kept inside a placed cut-out.
///
/// The pixels live in one master: a 32-bit ARGB `QImage` (master 0), or four-channel arrays of
/// 16 bits (master 1) or 8 bits (master 2), which may be a host's hand-off buffer shown in place.
/// From the master it derives the 8-bit display image and pixmap, a working copy reduced by the
/// working-resolution divisor, and the views the engine reads and writes. GUI thread only; the
/// engine thread touches the pixels only through a `pixelView` snapshot while a command runs.
class TqSourceImage : public QObject {
    Q_OBJECT
public:
    enum Master { ImageMaster = 0, Array16Master = 1, Array8Master = 2 };
    enum Format { Format8 = 1, Format16 = 2, Format16Max32768 = 3 };
    enum class HostDepth { Eight, Sixteen };

    // Keys of the persisted map.
    static constexpr const char* validKey = "valid_";
    static constexpr const char* fileNameKey = "filename_";
    static constexpr const char* formatKey = "format_";
    static constexpr const char* imageMasterKey = "imageMaster_";
    static constexpr const char* imageImageKey = "imageImage_";

    /// Loads the picture file: upright, at most 1280 pixels on the longer side, 32-bit ARGB.
    /// A file that cannot be read leaves the image invalid with the warning for the user in
    /// `loadProblem`; running out of memory leaves it invalid and is logged as an internal
    /// error.
    explicit TqSourceImage(const QString& fileName);

    /// A dropped or downloaded picture, named after the file-name part of its address. Every
    /// format is converted to 32-bit ARGB, its alpha kept. A null image gives an invalid one.
    explicit TqSourceImage(const NamedImage& image);

    /// Shows a host's buffer in place (nothing is copied): 8 bits per channel, or 16 bits with
    /// maximum 32768, which gets one 8-bit display copy. The buffer must outlive this object.
    /// A view that is empty, or whose stride cannot hold its rows, gives an invalid image.
    TqSourceImage(const TqPixelView& hostView, HostDepth depth, const QString& name);

    /// A deep copy into storage of its own, whatever the other's master.
    TqSourceImage(const TqSourceImage& other);
    TqSourceImage& operator=(const TqSourceImage&) = delete;

    /// Restores what `toVariant` wrote. Only a map with master 0 and a non-null image gives a
    /// valid image: the other masters carry no pixels in the map.
    explicit TqSourceImage(const QVariant& map);

    ~TqSourceImage() override;

    const QString& name() const { return name_; }
    bool valid() const { return valid_; }
    /// Why the picture file could not be read, as the user is to be told: "Sorry - could not
    /// open file %1" and the reader's reason on a line of its own. Empty when it was read or
    /// came from anywhere but a file. The caller shows it, titled with the product's name.
    const QString& loadProblem() const { return loadProblem_; }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    int imageMaster() const { return imageMaster_; }
    int format() const { return format_; }

    /// The full image in 32-bit ARGB; for masters 1 and 2 it lies over the 8-bit pixels.
    const QImage& image() const { return image_; }
    const QPixmap& pixmap() const { return pixmap_; }
    const QImage& workingImage() const { return workingImage_; }
    const QPixmap& workingPixmap() const { return workingPixmap_; }
    const TqPixelView& view8() const { return view8_; }
    const TqPixelView& view16() const { return view16_; }
    const TqPixelView& workingView() const { return workingView_; }
    /// The divisor the working image was last built at (0 while there is none).
    int workingDivisor() const { return workingDivisor_; }

    /// Marks the pixels as changed behind our back (the engine wrote a mask into them), so
    /// that the next `refreshFromView` brings the display image and pixmap up to date.
    void setViewChanged() { viewChanged_ = true; }
    bool viewChanged() const { return viewChanged_; }

    QVariantMap toVariant() const;

    /// Rebuilds the working copy at the working-resolution divisor the masking model serves.
    bool makeWorkingImage();
    /// Rebuilds the working copy at `divisor` (1, 2, 4 or 8): ceil(width / divisor) by
    /// ceil(height / divisor), made by the engine's down-scaler. Any other divisor, or an
    /// image without pixels, is refused (false) and the working image stays as it was.
    bool makeWorkingImage(int divisor);

    /// The pixels as the engine reads them: the 8-bit view with format 1 for masters 0 and 2,
    /// the 16-bit view with format 2 or 3 for master 1; every field zero when there are none.
    JxImage pixelView();

    /// The pixmap of the smallest box holding every pixel with non-zero alpha, and that box's
    /// top-left corner when asked; a null pixmap when every pixel is transparent.
    QPixmap trimmedPixmap(QPoint* topLeft = nullptr);

    /// Copies the master pixels of `other`, which must have the same master and size (false
    /// otherwise, and nothing changes), then derives everything else and takes its name.
    bool copyPixelsFrom(const TqSourceImage& other);

    /// When marked changed: converts 16-bit pixels into the 8-bit display image, rebuilds the
    /// display pixmap, and clears the mark.
    void refreshFromView();

    /// One 16-bit channel value in 8 bits: (value + 128) / 257 for `Format16`, value x 255 / 32768
    /// for `Format16Max32768`, held at 255 for values a host sends above 32768.
    static unsigned char channel16To8(quint16 value, int format) {
        return format == Format16 ? static_cast<unsigned char>((value + 128u) / 257u)
                                  : static_cast<unsigned char>(std::min(255u, (value * 255u) >> 15));
    }

    /// CRC-16 (ISO 3309) of the first `width` bytes of the master pixels, XOR width, XOR
    /// height; 0 for an invalid image. Tells whether a saved session belongs to this picture.
    quint16 imageCheck() const;

private:
    void init();
    void makeDisplayFrom16();
    void clearPixels();
    void loadFile(const QString& fileName);

    QString name_;
    QString loadProblem_;
    bool valid_ = false;
    bool viewChanged_ = false;
    QPixmap pixmap_;
    QPixmap workingPixmap_;
    QImage image_;
    QImage workingImage_;
    TqPixelView workingView_;
    TqPixelView view8_;
    TqPixelView view16_;
    std::vector<unsigned char> array8_;
    std::vector<quint16> array16_;
    int imageMaster_ = ImageMaster;
    int format_ = Format8;
    int workingDivisor_ = 0;
};
