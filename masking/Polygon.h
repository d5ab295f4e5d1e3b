#pragma once

#include "masking/Shape.h"

#include <QPolygonF>
#include <QVariant>

namespace tq {

/// A polygon or polyline over the picture: the outline of a polygon region or the line of a
/// forced edge.
class Polygon : public Shape {
public:
    static constexpr int closed = 1;   // any other openness is an open polyline

    Polygon(const QPolygonF& points, int openness);
    /// From a saved map ("qpoly_", "openness_"); a value that is no polygon gives no points.
    explicit Polygon(const QVariant& map);

    QVariant toVariant() const;

    QRectF bounds() const override { return points_.boundingRect(); }
    /// Even-odd rule against a ray leaving through the top-left corner of the bounds; the
    /// closing edge counts whatever the openness, and a point on an edge is inside.
    bool contains(const QPointF& imagePoint) const override;
    void paint(QPainter& painter, const QRectF& exposed, int mode, int tint,
               double penWidth) override;

    const QPolygonF& points() const { return points_; }
    int openness() const { return openness_; }
    bool isClosed() const { return openness_ == closed; }

private:
    void drawOutline(QPainter& painter) const;

    QPolygonF points_;
    int openness_ = closed;
};

}  // namespace tq
