#pragma once

#include "masking/Shape.h"

#include <QPointF>
#include <QRectF>
#include <QVariant>

namespace tq {

/// A rectangle over the picture: the rubber band of the rectangle tools and the outline of a
/// rectangle region. Its moving corner can snap to working pixels.
class Rectangle : public Shape {
public:
    /// The rubber band at its start: the zero-sized rectangle at `anchor`, no snapping.
    explicit Rectangle(const QPointF& anchor);
    /// A rectangle with its fixed corner at `anchor`.
    Rectangle(const QRectF& rect, const QPointF& anchor, int snap);
    /// From a saved map ("rect_", "corner1_"); the owner decides whether it snaps.
    Rectangle(const QVariant& map, int snap);

    QVariant toVariant() const;

    QRectF bounds() const override { return rect_; }
    bool contains(const QPointF& imagePoint) const override { return rect_.contains(imagePoint); }
    void paint(QPainter& painter, const QRectF& exposed, int mode, int tint,
               double penWidth) override;

    /// Moves the free corner to `p`, keeps the rectangle inside the picture and asks for a
    /// repaint of what changed.
    void dragCornerTo(const QPointF& p);

    QRectF rect() const { return rect_; }
    QPointF anchor() const { return anchor_; }
    int snap() const { return snap_; }

    /// The canonical empty rectangle: x 0, y 0, width -1, height -1.
    static QRectF nullRect() { return QRectF(0, 0, -1, -1); }

private:
    QRectF rect_ = nullRect();
    QPointF anchor_;
    int snap_ = 0;
};

}  // namespace tq
