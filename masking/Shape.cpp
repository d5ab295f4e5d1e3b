#include "masking/Shape.h"

#include "masking/GmShapeHost.h"
#include "masking/PixelState.h"

#include <QBitmap>
#include <QBrush>
#include <QImage>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tq {

Shape::Shape()
    : pixelState_(std::make_unique<PixelState>())
{
}

Shape::~Shape() = default;

QImage* Shape::maskImage(const QPen& pen, const QBrush& brush)
{
    if (!pixelState_->mask())
        pixelState_->render(*this, pen, brush);
    return pixelState_->mask();
}

MaskPixelIterator* Shape::maskIterator(const QPen& pen, const QBrush& brush)
{
    maskImage(pen, brush);
    return pixelState_->iterator();
}

void Shape::dropEngineMask()
{
    pixelState_->dropMask();
    engineFlag_ = 0;
}

std::unique_ptr<PixelState> Shape::takePixelState()
{
    std::unique_ptr<PixelState> old = std::exchange(pixelState_, std::make_unique<PixelState>());
    engineFlag_ = 0;
    return old;
}

void Shape::rebuildEdges(const JxSession* subSession)
{
    GmShapeHost* host = GmShapeHost::current();
    vectorEdges_.set(subSession, host ? host->resolution() : 1);
}

std::unique_ptr<QImage> Shape::renderMask(const QPen& pen, const QBrush& brush)
{
    GmShapeHost* host = GmShapeHost::current();
    if (!host)
        return nullptr;
    const QRectF grown = host->toWorkingRect(bounds()).adjusted(-1, -1, 1, 1);
    if (!std::isfinite(grown.left()) || !std::isfinite(grown.top())
        || !std::isfinite(grown.right()) || !std::isfinite(grown.bottom()))
        return nullptr;   // a damaged session's outline: no pixel can be told inside
    if (grown.width() < 0 || grown.height() < 0)
        return nullptr;
    // Clipped before it is made whole pixels: an outline far outside would not fit an int.
    const QRectF inside = grown & QRectF(host->workingImageRect());
    if (inside.isEmpty())
        return nullptr;
    const QRect r = inside.toAlignedRect() & host->workingImageRect();
    if (r.isEmpty())
        return nullptr;

    QBitmap bitmap(r.size());
    bitmap.fill(Qt::color0);
    {
        QPainter painter(&bitmap);
        painter.translate(-r.topLeft());
        painter.scale(1.0 / host->resolution(), 1.0 / host->resolution());
        painter.setPen(pen);
        painter.setBrush(brush);
        paint(painter, host->toImageRect(QRectF(r)), paintOutline, 0, 0);
    }
    QImage mask = bitmap.toImage().convertToFormat(QImage::Format_Indexed8);
    bool covered = false;
    for (int y = 0; y < mask.height() && !covered; ++y) {
        const uchar* row = mask.constScanLine(y);
        covered = std::find(row, row + mask.width(), uchar(1)) != row + mask.width();
    }
    if (!covered)
        return nullptr;
    mask.setOffset(r.topLeft());
    return std::make_unique<QImage>(mask);
}

bool Shape::hasVectorEdges() const
{
    const QRectF bounds = vectorEdges_.unionBounds();
    return bounds.width() > 0 && bounds.height() > 0;
}

void Shape::paintVectorEdges(QPainter& painter, const QRectF& exposed) const
{
    vectorEdges_.paint(&painter, exposed);
}

void Shape::rememberPenWidth(double penWidth)
{
    if (penWidth > 0)
        halfPenWidth_ = penWidth / 2;
}

QRectF Shape::squareAround(const QPointF& p, double h)
{
    return QRectF(QPointF(p.x() - h, p.y() - h), QPointF(p.x() + h, p.y() + h));
}

QPointF Shape::snapToWorkingPixel(const QPointF& imagePoint)
{
    GmShapeHost* host = GmShapeHost::current();
    if (!host)
        return imagePoint;
    const QPointF w = host->toWorkingPoint(imagePoint);
    return host->toImagePoint(QPointF(std::round(w.x()), std::round(w.y())));
}

}  // namespace tq
