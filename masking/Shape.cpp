#include "masking/Shape.h"

#include "masking/GmShapeHost.h"

#include <QBitmap>
#include <QBrush>
#include <QImage>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace tq {

Shape::Shape() = default;

Shape::~Shape() = default;

std::unique_ptr<QImage> Shape::renderMask(const QPen& pen, const QBrush& brush)
{
    GmShapeHost* host = GmShapeHost::current();
    if (!host)
        return nullptr;
    const QRectF grown = host->toWorkingRect(bounds()).adjusted(-1, -1, 1, 1);
    if (grown.width() < 0 || grown.height() < 0)
        return nullptr;
    const QRect r = grown.toAlignedRect() & host->workingImageRect();
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

void Shape::setVectorEdges(const QVector<QPolygonF>& polylines)
{
    vectorEdges_ = polylines;
    // A horizontal or vertical line has an empty bounding rectangle; it still counts, so the
    // union is built from corners rather than with QRectF's union, which skips empty rectangles.
    bool first = true;
    double left = 0, top = 0, right = -1, bottom = -1;
    for (const QPolygonF& line : polylines) {
        if (line.isEmpty())
            continue;
        const QRectF b = line.boundingRect();
        if (first) {
            left = b.left(), top = b.top(), right = b.right(), bottom = b.bottom();
            first = false;
        } else {
            left = std::min(left, b.left()), top = std::min(top, b.top());
            right = std::max(right, b.right()), bottom = std::max(bottom, b.bottom());
        }
    }
    vectorEdgesBounds_ = first ? QRectF(0, 0, -1, -1) : QRectF(QPointF(left, top), QPointF(right, bottom));
}

bool Shape::hasVectorEdges() const
{
    return vectorEdgesBounds_.width() > 0 && vectorEdgesBounds_.height() > 0;
}

void Shape::paintVectorEdges(QPainter& painter, const QRectF& exposed) const
{
    for (const QPolygonF& line : vectorEdges_) {
        if (rectanglesOverlap(line.boundingRect(), exposed))
            painter.drawPolyline(line);
    }
}

void Shape::rememberPenWidth(double penWidth)
{
    if (penWidth > 0)
        halfPenWidth_ = penWidth / 2;
}

bool Shape::rectanglesOverlap(const QRectF& a, const QRectF& b)
{
    if (a.width() < 0 || a.height() < 0 || b.width() < 0 || b.height() < 0)
        return false;
    return std::min(a.right(), b.right()) >= std::max(a.left(), b.left())
        && std::min(a.bottom(), b.bottom()) >= std::max(a.top(), b.top());
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
