#pragma once

#include "composition/scene/ItemScene.h"
#include "workspace/ImageView.h"

#include <QGraphicsView>
#include <QRectF>
#include <QVariant>

#include <functional>

class CutoutController;
class FrolixPanTool;
class GmTool;
class QCursor;

/// The view of the "2. Compose Picture" tab. It owns the item scene, fits the canvas into its
/// window, zooms on a logarithmic scale driven by the shared zoom controls, grows its scene
/// rectangle when items are dragged out of sight and passes drops on.
class FrolixWidget : public QGraphicsView {
    Q_OBJECT
public:
    FrolixWidget();
    ~FrolixWidget() override;

    /// The view's scene as an item scene (null when it is not one).
    ItemScene* itemScene() const;
    /// What the main window stores for this view in its window settings: an empty list.
    QVariant stateForSettings() const;
    /// The viewport's rectangle in scene coordinates.
    QRectF visibleSceneRect() const;

    /// Who takes what is dropped on the view: the drop event and its position in scene
    /// coordinates; true when the drop was taken. The main window sets it; without one, drops
    /// are refused.
    static void setDropHandler(
        std::function<bool(QDropEvent* event, const QPointF& scenePos)> handler);

    /// The zoom proportion 0..1 of the slider that stands for `zoom` (0 when the range is
    /// empty or the zoom unusable).
    qreal proportionForZoom(qreal zoom) const;
    /// The zoom a slider proportion stands for, on a logarithmic scale.
    qreal zoomForProportion(qreal proportion) const;

signals:
    /// The slider proportion of the current zoom.
    void zoomProportion(qreal proportion);

public slots:
    /// Grows the scene rectangle to hold the items when they reach out of sight.
    void updateSceneRect();
    /// Fits the items into the window; the rectangle is not used.
    void updateView(const QRect& newRect);
    void fitImageOnScreenSlot();
    void zoomTo100PercentSlot();
    /// Zooms to the proportion's zoom, centred on `centre` unless it is (0, 0).
    void setZoomProportion(qreal proportion, const QPointF& centre);
    /// The viewport takes the tool's cursor (the arrow without a tool).
    void toolChangedSlot(const GmTool* tool);
    /// Puts a non-null cursor on the viewport.
    void cursorChangedSlot(const QCursor* cursor);
    /// The view does not depend on the shown tab.
    void viewTabChangedSlot(ImageView::ViewTab view) {}

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    /// 0.85 of the scale at which the items fill the viewport in its tighter dimension; 0
    /// when there is nothing to fit or no viewport to fit into.
    qreal fitZoom() const;
    qreal minimumZoom() const;
    qreal maximumZoom() const;
    qreal currentScale() const;
    void announceZoom(qreal zoom);
    /// The composition pan tool when it is the current tool, else null.
    static FrolixPanTool* currentPanTool();

    ItemScene scene_;
    QRectF itemsRectAtPress;
    CutoutController* cutoutController_;
};
