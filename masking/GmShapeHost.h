#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>

class GmBrushing;

/// What shapes and brush strokes need of the masking model: the working-resolution divisor,
/// the size of the working image, the picture's display rectangle, the brush size, the repaint
/// request and the list of strokes in progress. The masking model serves these through the
/// process-wide host; shapes reach nothing else of it, so they can be drawn and hit-tested
/// against any host that answers these questions. GUI thread only.
class GmShapeHost {
public:
    /// `DirtyHint` values carried with every repaint request.
    static constexpr int pixelsChanged = 0;     // image, status image or stroke pixels
    static constexpr int outlineChanged = 1;    // rubber band, active outline, rebuilt edges
    static constexpr int targetChanged = 2;     // a region or forced edge was (de)selected or removed

    virtual ~GmShapeHost();

    /// Working-resolution divisor: 1, 2, 4 or 8.
    virtual int resolution() const = 0;
    /// The working image's rectangle (0, 0, width, height) in working pixels; empty without one.
    virtual QRect workingImageRect() const = 0;
    /// The rectangle of the source picture's display pixmap in image pixels, after refreshing it
    /// from its pixels; empty without a picture.
    virtual QRectF displayImageRect() = 0;
    /// The current brush size in working pixels, at least 1.
    virtual int brushSize() const = 0;
    /// Asks every view to repaint `imageRect` (image coordinates).
    virtual void requestRepaint(const QRectF& imageRect, int dirtyHint, int previewWanted) = 0;
    /// Strokes register themselves for the whole time they exist, so that views paint them.
    virtual void brushingCreated(GmBrushing* brushing) = 0;
    virtual void brushingDestroyed(GmBrushing* brushing) = 0;

    /// The host shapes talk to; none before the masking model exists or after it is gone.
    static GmShapeHost* current();
    /// Installs `host` (none to remove it); the previous host is not deleted.
    static void setCurrent(GmShapeHost* host);

    /// Working coordinates × divisor.
    QPointF toImagePoint(const QPointF& working) const;
    QRectF toImageRect(const QRectF& working) const;
    /// Image coordinates × (1 / divisor).
    QPointF toWorkingPoint(const QPointF& image) const;
    QRectF toWorkingRect(const QRectF& image) const;
};
