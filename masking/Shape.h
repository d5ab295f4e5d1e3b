#pragma once

#include <QPolygonF>
#include <QRectF>
#include <QVector>

#include <memory>

class QBrush;
class QImage;
class QPainter;
class QPen;

namespace tq {

/// The geometry of something drawn over the picture in the cut-out mode: the rubber band, the
/// outline of a region or the line of a forced edge. A shape lives in image coordinates; the
/// mask it renders for the engine is in working coordinates. GUI thread only.
class Shape {
public:
    /// Paint modes.
    static constexpr int paintNothing = 0;
    static constexpr int paintThin = 1;          // outline; a closed polygon's closing edge dashed
    static constexpr int paintOutline = 2;
    static constexpr int paintSelected = 3;
    static constexpr int paintEdges = 4;         // the vector edges inside, when there are any
    static constexpr int paintHandles = 5;       // outline with a handle square at every corner

    Shape();
    virtual ~Shape();
    Shape(const Shape&) = delete;
    Shape& operator=(const Shape&) = delete;

    virtual QRectF bounds() const = 0;
    virtual bool contains(const QPointF& imagePoint) const = 0;
    /// Draws the shape in the style of `mode` with the painter in image coordinates. A positive
    /// `penWidth` is remembered (halved) as the size of the handle squares. `tint` is for strokes.
    virtual void paint(QPainter& painter, const QRectF& exposed, int mode, int tint,
                       double penWidth) = 0;
    /// The shape as an 8-bit indexed image in working coordinates: index 1 where the shape, drawn
    /// with `pen` and `brush`, covers a pixel, the image's offset at its top-left corner, clipped
    /// to the working image. None when the shape covers no pixel of the working image.
    virtual std::unique_ptr<QImage> renderMask(const QPen& pen, const QBrush& brush);

    /// The engine's edge polylines inside the shape, in image coordinates.
    void setVectorEdges(const QVector<QPolygonF>& polylines);
    const QVector<QPolygonF>& vectorEdges() const { return vectorEdges_; }
    /// The union of the vector edges' bounding rectangles; empty without edges.
    QRectF vectorEdgesBounds() const { return vectorEdgesBounds_; }

    double halfPenWidth() const { return halfPenWidth_; }
    int engineFlag() const { return engineFlag_; }
    void setEngineFlag(int flag) { engineFlag_ = flag; }

    /// False when either rectangle has a negative width or height; otherwise whether they
    /// overlap, touching edges included.
    static bool rectanglesOverlap(const QRectF& a, const QRectF& b);
    /// The handle square from p - h to p + h on both axes.
    static QRectF squareAround(const QPointF& p, double h);
    /// The point moved to the nearest working pixel corner, in image coordinates.
    static QPointF snapToWorkingPixel(const QPointF& imagePoint);

protected:
    bool hasVectorEdges() const;
    void paintVectorEdges(QPainter& painter, const QRectF& exposed) const;
    void rememberPenWidth(double penWidth);

private:
    QVector<QPolygonF> vectorEdges_;
    QRectF vectorEdgesBounds_{0, 0, -1, -1};
    double halfPenWidth_ = 0;
    int engineFlag_ = 0;
};

}  // namespace tq
