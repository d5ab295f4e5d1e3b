#include "masking/Polygon.h"

#include <QPainter>
#include <QVariantMap>

namespace tq {

namespace {
const QString pointsKey = QStringLiteral("qpoly_");
const QString opennessKey = QStringLiteral("openness_");
}

Polygon::Polygon(const QPolygonF& points, int openness)
    : points_(points), openness_(openness)
{
}

Polygon::Polygon(const QVariant& map)
{
    const QVariantMap m = map.toMap();
    const QVariant points = m.value(pointsKey);
    if (points.canConvert<QPolygonF>())
        points_ = points.value<QPolygonF>();
    openness_ = m.value(opennessKey).toInt();
}

QVariant Polygon::toVariant() const
{
    QVariantMap m;
    m[pointsKey] = QVariant::fromValue(points_);
    m[opennessKey] = openness_;
    return m;
}

bool Polygon::contains(const QPointF& q) const
{
    const int n = points_.size();
    if (n == 0)
        return false;
    // Crossings of the segment from q to just beyond the top-left corner of the bounds. An edge
    // crosses when its ends lie on different sides of that line, a point on the line counting
    // as the negative side: a ray through a vertex then crosses one of the vertex's two edges,
    // not both, while a point on an edge still crosses that edge.
    const QPointF d = bounds().topLeft() - QPointF(1, 1) - q;
    const auto cross = [](const QPointF& u, const QPointF& v) { return u.x() * v.y() - u.y() * v.x(); };
    bool inside = false;
    for (int i = 0; i < n; ++i) {
        const QPointF a = points_[i];
        const QPointF b = points_[(i + 1) % n];
        if ((cross(d, a - q) > 0) == (cross(d, b - q) > 0))
            continue;
        const double t = cross(a - q, b - a) / cross(d, b - a);
        if (t >= 0 && t <= 1)
            inside = !inside;
    }
    return inside;
}

void Polygon::drawOutline(QPainter& painter) const
{
    if (isClosed())
        painter.drawPolygon(points_);
    else
        painter.drawPolyline(points_);
}

void Polygon::paint(QPainter& painter, const QRectF& exposed, int mode, int tint, double penWidth)
{
    rememberPenWidth(penWidth);
    if (!rectanglesOverlap(exposed, bounds()))
        return;
    switch (mode) {
    case paintThin:
        painter.drawPolyline(points_);
        if (isClosed() && points_.size() > 2) {
            const QPen kept = painter.pen();
            QPen dashed = kept;
            dashed.setStyle(Qt::DashLine);
            dashed.setCapStyle(Qt::FlatCap);
            painter.setPen(dashed);
            painter.drawLine(points_.first(), points_.last());
            painter.setPen(kept);
        }
        break;
    case paintOutline:
    case paintSelected:
        drawOutline(painter);
        break;
    case paintEdges:
        if (!hasVectorEdges())
            drawOutline(painter);
        else if (isClosed())
            paintVectorEdges(painter, exposed);
        else
            painter.drawPolyline(points_);
        break;
    case paintHandles:
        drawOutline(painter);
        for (const QPointF& p : points_) {
            const QRectF square = squareAround(p, halfPenWidth());
            if (rectanglesOverlap(square, exposed))
                painter.drawRect(square);
        }
        break;
    default:
        break;
    }
}

}  // namespace tq
