#pragma once

#include <QImage>
#include <QPoint>
#include <QVariant>

#include <memory>

class QBrush;
class QPen;

namespace tq {
class Shape;
}

/// Walks the set pixels (index not 0) of a shape's mask, row by row, in working coordinates
/// (the mask's offset applied).
class MaskPixelIterator {
public:
    /// Positioned at the first set pixel (exhausted when there is none).
    explicit MaskPixelIterator(const QImage* mask);
    bool atEnd() const { return y_ > bottom_; }
    QPoint position() const { return QPoint(x_, y_); }
    void advance();

private:
    bool isSet() const;
    const QImage* mask_;
    int left_, top_, right_, bottom_;
    int x_, y_;
};

/// A shape's rendered mask (8-bit indexed, offset = its top-left in working coordinates,
/// index 1 inside), an iterator over it, and the statuses saved into it after the region's
/// last patch preview, which tell whether that preview is still current.
class PixelState {
public:
    PixelState() = default;
    ~PixelState();
    PixelState(const PixelState&) = delete;
    PixelState& operator=(const PixelState&) = delete;

    /// Renders `shape` as its engine mask with `pen` and `brush` and takes it (see `takeMask`);
    /// a shape that covers no working pixel leaves no mask.
    void render(tq::Shape& shape, const QPen& pen, const QBrush& brush);
    /// Takes a freshly rendered mask (null when the shape covers no pixel): at least 9
    /// colours, and an iterator at its first set pixel.
    void takeMask(QImage* mask);
    /// Drops mask and iterator.
    void dropMask();

    /// Every set mask pixel takes the class (status AND 0x0F) of the status pixel under it.
    void saveStatuses(const QImage& statusImage);
    /// Where both masks are set, this mask takes the other's index.
    void takeOverlap(const PixelState& other);
    /// True unless saved statuses exist and every set mask pixel still equals the class of the
    /// status pixel under it.
    bool differsFromStatus(const QImage& statusImage) const;

    QImage* mask() const { return mask_.get(); }
    MaskPixelIterator* iterator() const { return iterator_.get(); }
    bool saved = false;
    QVariant savedSettings;

private:
    std::unique_ptr<MaskPixelIterator> iterator_;
    std::unique_ptr<QImage> mask_;
};
