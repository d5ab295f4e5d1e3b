#include "masking/PixelState.h"

#include "classification/JxInterface.h"
#include "masking/Shape.h"

#include <QBrush>
#include <QPen>

#include <QRect>

#include <algorithm>

MaskPixelIterator::MaskPixelIterator(const QImage* mask) : mask_(mask) {
    if (!mask || mask->isNull()) {
        left_ = top_ = 0;
        right_ = bottom_ = -1;
        x_ = 0;
        y_ = 0;
        return;
    }
    left_ = mask->offset().x();
    top_ = mask->offset().y();
    right_ = left_ + mask->width() - 1;
    bottom_ = top_ + mask->height() - 1;
    x_ = left_;
    y_ = top_;
    if (!isSet())
        advance();
}

bool MaskPixelIterator::isSet() const {
    return mask_->constScanLine(y_ - top_)[x_ - left_] != 0;
}

void MaskPixelIterator::advance() {
    while (!atEnd()) {
        if (++x_ > right_) {
            x_ = left_;
            ++y_;
            if (atEnd())
                return;
        }
        if (isSet())
            return;
    }
}

PixelState::~PixelState() = default;

void PixelState::render(tq::Shape& shape, const QPen& pen, const QBrush& brush) {
    takeMask(shape.renderMask(pen, brush).release());
}

void PixelState::takeMask(QImage* mask) {
    dropMask();
    if (!mask)
        return;
    mask_.reset(mask);
    if (mask_->colorCount() < 9)
        mask_->setColorCount(9);
    iterator_ = std::make_unique<MaskPixelIterator>(mask_.get());
}

void PixelState::dropMask() {
    iterator_.reset();
    mask_.reset();
}

namespace {

// The status byte under working pixel `p`, or -1 outside the status image.
int statusAt(const QImage& status, int x, int y) {
    if (x < 0 || y < 0 || x >= status.width() || y >= status.height())
        return -1;
    return status.constScanLine(y)[x];
}

}  // namespace

void PixelState::saveStatuses(const QImage& statusImage) {
    if (!mask_) {
        qWarning("Caught (and avoided) crash in PixelState::savemask (bug 1196)");
        return;
    }
    saved = true;
    const QPoint offset = mask_->offset();
    for (int y = 0; y < mask_->height(); ++y) {
        uchar* row = mask_->scanLine(y);
        for (int x = 0; x < mask_->width(); ++x) {
            if (!row[x])
                continue;
            const int status = statusAt(statusImage, x + offset.x(), y + offset.y());
            // A pixel outside the status image keeps a set index, so it stays in the mask.
            row[x] = status < 0 ? 1 : uchar(status & JxStatusClassMask);
        }
    }
}

void PixelState::takeOverlap(const PixelState& other) {
    if (!mask_ || !other.mask_)
        return;
    const QRect mine(mask_->offset(), mask_->size());
    const QRect theirs(other.mask_->offset(), other.mask_->size());
    const QRect both = mine & theirs;
    for (int y = both.top(); y <= both.bottom(); ++y) {
        uchar* row = mask_->scanLine(y - mine.top());
        const uchar* otherRow = other.mask_->constScanLine(y - theirs.top());
        for (int x = both.left(); x <= both.right(); ++x) {
            uchar& index = row[x - mine.left()];
            const uchar otherIndex = otherRow[x - theirs.left()];
            if (index && otherIndex)
                index = otherIndex;
        }
    }
}

bool PixelState::differsFromStatus(const QImage& statusImage) const {
    if (!saved || !mask_)
        return true;
    const QPoint offset = mask_->offset();
    for (int y = 0; y < mask_->height(); ++y) {
        const uchar* row = mask_->constScanLine(y);
        for (int x = 0; x < mask_->width(); ++x) {
            if (!row[x])
                continue;
            const int status = statusAt(statusImage, x + offset.x(), y + offset.y());
            if (status < 0 || row[x] != (status & JxStatusClassMask))
                return true;
        }
    }
    return false;
}
