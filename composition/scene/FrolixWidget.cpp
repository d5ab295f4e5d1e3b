#include "composition/scene/FrolixWidget.h"

#include "composition/scene/CutoutController.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/FrolixPanTool.h"
#include "composition/scene/HandleScale.h"
#include "composition/scene/ItemController.h"
#include "workspace/GmTool.h"
#include "workspace/GmZoomWidget.h"
#include "workspace/ImageView.h"
#include "workspace/TqWorkspace.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace {

std::function<bool(QDropEvent*, const QPointF&)> theDropHandler;

bool usableZoom(qreal zoom) { return std::isfinite(zoom) && zoom > 0; }

// Left and top rounded up, right and bottom rounded down.
QRectF roundRectInward(const QRectF& r) {
    const qreal left = std::ceil(r.left());
    const qreal top = std::ceil(r.top());
    return QRectF(QPointF(left, top), QPointF(std::floor(r.right()), std::floor(r.bottom())));
}

}  // namespace

FrolixWidget::FrolixWidget() {
    connect(&scene_, &QGraphicsScene::selectionChanged, &scene_, &ItemScene::selectionChangedSlot);
    itemsRectAtPress = QRectF();
    setAcceptDrops(true);
    setScene(&scene_);
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    cutoutController_ = new CutoutController(&scene_);
    theCutoutController = cutoutController_;
    theItemScene = &scene_;
    FrolixObject* document = FrolixObject::instance();
    connect(document, &FrolixObject::canvasChanged, this, &FrolixWidget::updateSceneRect);
    connect(document, &FrolixObject::updateView, this, &FrolixWidget::updateView);
    document->setScene(&scene_);
    setBackgroundBrush(QColor(62, 57, 54));
    ItemController::attachScene();
}

FrolixWidget::~FrolixWidget() {
    delete cutoutController_;   // clears `theCutoutController`
}

ItemScene* FrolixWidget::itemScene() const { return qobject_cast<ItemScene*>(scene()); }

QVariant FrolixWidget::stateForSettings() const { return QVariant(QVariantList()); }

QRectF FrolixWidget::visibleSceneRect() const {
    return mapToScene(viewport()->rect()).boundingRect();
}

qreal FrolixWidget::currentScale() const { return transform().m11(); }

qreal FrolixWidget::fitZoom() const {
    const QRectF items = scene_.itemsBoundingRect();
    const QRect window = viewport()->rect();
    if (items.width() <= 0 || items.height() <= 0 || window.width() <= 0 || window.height() <= 0)
        return 0;
    const qreal fit = std::min(window.width() / items.width(), window.height() / items.height()) *
                      0.85;
    return usableZoom(fit) ? fit : 0;
}

qreal FrolixWidget::minimumZoom() const {
    const qreal fit = fitZoom();
    const qreal lowest = fit > 0 ? std::min(fit, qreal(1.0)) : qreal(1.0);
    const qreal scale = currentScale();
    return usableZoom(scale) ? std::min(scale, lowest) : lowest;
}

qreal FrolixWidget::maximumZoom() const { return std::max(fitZoom(), qreal(4.0)); }

qreal FrolixWidget::zoomForProportion(qreal proportion) const {
    return std::pow(10.0, std::log10(minimumZoom()) * (1 - proportion) +
                              std::log10(maximumZoom()) * proportion);
}

qreal FrolixWidget::proportionForZoom(qreal zoom) const {
    const qreal low = std::log10(minimumZoom());
    const qreal high = std::log10(maximumZoom());
    if (!usableZoom(zoom) || !(high > low))
        return 0;
    const qreal proportion = (std::log10(zoom) - low) / (high - low);
    return std::isfinite(proportion) ? proportion : 0;
}

void FrolixWidget::announceZoom(qreal zoom) {
    setHandleZoom(zoom);
    emit zoomProportion(proportionForZoom(zoom));
}

void FrolixWidget::updateView(const QRect&) { fitImageOnScreenSlot(); }

void FrolixWidget::fitImageOnScreenSlot() {
    const QRectF items = scene_.itemsBoundingRect();
    const qreal fit = fitZoom();
    // Nothing to fit, or no window yet: a zero or endless scale would break every later zoom.
    if (fit <= 0)
        return;
    setSceneRect(items);
    resetTransform();
    scale(fit, fit);
    const QPointF centre = items.center();
    if (centre != QPointF(0, 0))
        centerOn(centre);
    announceZoom(fit);
}

void FrolixWidget::zoomTo100PercentSlot() {
    resetTransform();
    setSceneRect(scene_.itemsBoundingRect());
    announceZoom(1.0);
}

void FrolixWidget::setZoomProportion(qreal proportion, const QPointF& centre) {
    const qreal zoom = zoomForProportion(proportion);
    if (!usableZoom(zoom))
        return;
    resetTransform();
    scale(zoom, zoom);
    if (centre != QPointF(0, 0))
        centerOn(centre);
    announceZoom(zoom);
}

void FrolixWidget::updateSceneRect() {
    const QRectF visible = visibleSceneRect();
    const QRectF items = scene_.itemsBoundingRect();
    if (visible.contains(items))
        return;
    setSceneRect(items.united(roundRectInward(visible)));
    emit zoomProportion(proportionForZoom(currentScale()));
}

void FrolixWidget::toolChangedSlot(const GmTool* tool) {
    viewport()->setCursor(tool ? tool->cursor() : QCursor(Qt::ArrowCursor));
}

void FrolixWidget::cursorChangedSlot(const QCursor* cursor) {
    if (cursor)
        viewport()->setCursor(*cursor);
}

FrolixPanTool* FrolixWidget::currentPanTool() { return qobject_cast<FrolixPanTool*>(theCurrentTool); }

void FrolixWidget::mousePressEvent(QMouseEvent* event) {
    itemsRectAtPress = scene_.itemsBoundingRect();
    if (FrolixPanTool* pan = currentPanTool())
        pan->startDrag(event);
    else
        QGraphicsView::mousePressEvent(event);
}

void FrolixWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (FrolixPanTool* pan = currentPanTool()) {
        pan->startDrag(event);
        return;
    }
    QGraphicsView::mouseDoubleClickEvent(event);
    // A double click on a cut-out reopens it, and the masking canvas now lies under the
    // pointer: a user's quick third and fourth clicks still belong to this double click and
    // must not become brush strokes there.
    ImageView* tabs = GmTool::imageView();
    if (tabs && tabs->currentViewTab() == ImageView::MaskingTab && tabs->workspace())
        tabs->workspace()->canvas()->continueGestureFrom(event->timestamp());
}

void FrolixWidget::mouseMoveEvent(QMouseEvent* event) {
    if (FrolixPanTool* pan = currentPanTool())
        pan->panBy(event);
    else
        QGraphicsView::mouseMoveEvent(event);
}

void FrolixWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (FrolixPanTool* pan = currentPanTool()) {
        pan->endDrag();
        return;
    }
    QGraphicsView::mouseReleaseEvent(event);
    if (scene_.itemsBoundingRect() != itemsRectAtPress)
        updateSceneRect();
}

// Without accepting here the drag stays ignored (no item takes it) and the drop never comes.
void FrolixWidget::dragEnterEvent(QDragEnterEvent* event) { event->acceptProposedAction(); }

void FrolixWidget::dragMoveEvent(QDragMoveEvent* event) { event->acceptProposedAction(); }

void FrolixWidget::setDropHandler(std::function<bool(QDropEvent*, const QPointF&)> handler) {
    theDropHandler = std::move(handler);
}

void FrolixWidget::dropEvent(QDropEvent* event) {
    if (theDropHandler && theDropHandler(event, mapToScene(event->pos())))
        event->accept();
    else
        event->ignore();
}
