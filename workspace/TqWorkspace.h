#pragma once

#include <QPoint>
#include <QRectF>
#include <QScrollArea>

class GmZoomWidget;
class ImageView;

/// The scroll area of the masking tab. It holds the canvas, keeps a chosen image point in place
/// while the zoom changes, scrolls and pans, and reports which part of the image is visible.
class TqWorkspace : public QScrollArea {
    Q_OBJECT
public:
    /// `view` is the image view whose masking page this is; its tab changes reach the canvas.
    explicit TqWorkspace(ImageView* view);

    /// Zooms to `factor` (at most 4), keeping the pending focus point, or the viewport centre,
    /// where it is on screen.
    void zoomTo(double factor);
    /// The largest zoom (at most 4) that shows the whole image in the viewport.
    void fitToViewport();
    /// Scrolls so that this image point is at the centre of the viewport.
    void centreOn(const QPoint& imagePoint);
    /// Scrolls so that the rectangle's top-left is at the viewport's top-left; its size is unused.
    void moveTo(const QRectF& imageRect);
    /// Scrolls by `delta` screen pixels.
    void panBy(const QPoint& delta);
    /// The visible part of the image in image coordinates, or all zero when all of it is visible.
    QRectF displayedImageRect() const;

    GmZoomWidget* canvas() const { return canvas_; }

signals:
    void sayDisplayedRectChanged(const QRectF& rect, double zoom);

public slots:
    /// Shows the brush outline at the centre of the visible area while its size slider moves.
    void showBrushBeingChangedBySlider();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void applyPendingFocus();
    void reportDisplayedRect();

    ImageView* view_;
    GmZoomWidget* canvas_;
    // The zoom focus as fractions of the canvas size; focusX_ -1 means none is pending.
    double focusX_ = -1.0;
    double focusY_ = -1.0;
    double focusOffsetX_ = 0.0;
    double focusOffsetY_ = 0.0;
};
