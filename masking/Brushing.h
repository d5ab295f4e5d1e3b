#pragma once

#include "masking/Shape.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QVariant>

#include <functional>

/// A brush stroke: a one-bit image the size of the working image in which every pixel the brush
/// touched is 1, the path the pointer took (image coordinates), the bounds of what was painted
/// (working coordinates) and the colour it shows in. Every change asks for a repaint of exactly
/// the touched rectangle. GUI thread only.
class Brushing : public QImage, public tq::Shape {
public:
    /// An empty stroke the size of the current working image.
    explicit Brushing(const QColor& colour);
    /// From a saved map ("Bitmap", "path_", "boundingReducedRect_", "color_").
    explicit Brushing(const QVariant& map);
    /// Repaints the stroke's area when it painted anything.
    ~Brushing() override;

    QVariant toVariant() const;

    void startStroke(const QPointF& imagePoint);
    void strokeTo(const QPointF& imagePoint);
    /// Moves the loose end of a straight segment (Shift held); paints nothing into the stroke.
    void stretchLineTo(const QPointF& imagePoint);
    void clear();

    QRectF bounds() const override;
    bool contains(const QPointF& imagePoint) const override;
    void paint(QPainter& painter, const QRectF& exposed, int mode, int tint,
               double penWidth) override;
    /// The stroke's pixels around its bounds (grown by 1) as an 8-bit indexed image with its
    /// offset at its top-left, clipped to the stroke and to the working image; pen and brush
    /// are not used. None when nothing of it lies in the working image.
    std::unique_ptr<QImage> renderMask(const QPen& pen, const QBrush& brush) override;

    const QPainterPath& path() const { return path_; }
    /// The painted area in working coordinates; 0 × 0 while nothing is painted.
    QRectF workingBounds() const { return bounds_; }
    QPointF anchor() const { return anchor_; }
    QPointF stretchEnd() const { return stretchEnd_; }
    QColor colour() const { return colour_; }

private:
    QRectF brushRect(const QPointF& working) const;
    void paintStroke(const std::function<void(QPainter&)>& draw);
    void requestRepaint(const QRectF& working) const;

    QPainterPath path_;
    QRectF bounds_{0, 0, 0, 0};
    QPointF anchor_;
    QPointF stretchEnd_;
    QColor colour_;
};
