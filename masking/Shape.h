#pragma once

#include "masking/VectorEdges.h"

#include <QRectF>

#include <memory>

class MaskPixelIterator;
class PixelState;
class QBrush;
class QImage;
class QPainter;
class QPen;
struct JxSession;

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

    /// Takes the outline polylines the engine published for the shape's sub-session as the
    /// shape's vector edges.
    virtual void rebuildEdges(const JxSession* subSession);

    /// The engine's edge polylines inside the shape, in image coordinates.
    const VectorEdges& vectorEdges() const { return vectorEdges_; }

    /// The shape's engine mask, rendered with `pen` and `brush` when none is kept yet; null
    /// when the shape covers no pixel of the working image.
    QImage* maskImage(const QPen& pen, const QBrush& brush);
    /// An iterator over the same mask's set pixels; null without a mask.
    MaskPixelIterator* maskIterator(const QPen& pen, const QBrush& brush);
    /// Forgets the engine mask (the next request renders it again) and clears the engine flag.
    void dropEngineMask();
    /// Puts a fresh pixel state (no mask, engine flag cleared) in place of the current one and
    /// hands that one over: an engine sub-session begun over its mask reads the mask's bytes
    /// until the sub-session ends, so the mask must outlive it.
    std::unique_ptr<PixelState> takePixelState();
    PixelState* pixelState() const { return pixelState_.get(); }

    double halfPenWidth() const { return halfPenWidth_; }
    int engineFlag() const { return engineFlag_; }
    void setEngineFlag(int flag) { engineFlag_ = flag; }

    /// The handle square from p - h to p + h on both axes.
    static QRectF squareAround(const QPointF& p, double h);
    /// The point moved to the nearest working pixel corner, in image coordinates.
    static QPointF snapToWorkingPixel(const QPointF& imagePoint);

protected:
    bool hasVectorEdges() const;
    void paintVectorEdges(QPainter& painter, const QRectF& exposed) const;
    void rememberPenWidth(double penWidth);

    VectorEdges vectorEdges_;

private:
    std::unique_ptr<PixelState> pixelState_;
    double halfPenWidth_ = 0;
    int engineFlag_ = 0;
};

}  // namespace tq
