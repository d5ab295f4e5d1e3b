#include "workspace/TqWorkspace.h"

#include "workspace/GmZoomWidget.h"
#include "workspace/ImageView.h"
#include "workspace/GmTool.h"
#include "workspace/ModelPort.h"

#include <QEvent>
#include <QScrollBar>

#include <cmath>

TqWorkspace::TqWorkspace(ImageView* view) : QScrollArea(nullptr), view_(view) {
    setFrameShape(QFrame::NoFrame);
    canvas_ = new GmZoomWidget;
    connect(view_, &ImageView::viewTabChanged, canvas_, &GmZoomWidget::viewTabChangedSlot);
    connect(canvas_, &GmZoomWidget::zoomChanged, view_, &ImageView::zoomChanged);
    setWidget(canvas_);
    setBackgroundRole(QPalette::Dark);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(ToolEvents::instance(), &ToolEvents::brushSizeSliderMoved, this,
            &TqWorkspace::showBrushBeingChangedBySlider);
}

void TqWorkspace::zoomTo(double factor) {
    if (focusX_ == -1.0) {
        const QScrollBar* h = horizontalScrollBar();
        const QScrollBar* v = verticalScrollBar();
        const double width = double(h->maximum()) + h->pageStep();
        const double height = double(v->maximum()) + v->pageStep();
        // Before the viewport has a size there is no centre to keep; the focus stays pending
        // and the zoom alone is applied.
        if (width > 0.0 && height > 0.0) {
            focusX_ = (h->value() + h->pageStep() * 0.5) / width;
            focusY_ = (v->value() + v->pageStep() * 0.5) / height;
            focusOffsetX_ = h->pageStep() * 0.5;
            focusOffsetY_ = v->pageStep() * 0.5;
        }
    }
    canvas_->setZoom(factor);
    applyPendingFocus();
}

void TqWorkspace::applyPendingFocus() {
    if (focusX_ == -1.0)
        return;
    const double width = canvas_->width();
    const double height = canvas_->height();
    horizontalScrollBar()->setValue(int(std::floor(width * focusX_ - focusOffsetX_ + 0.5)));
    verticalScrollBar()->setValue(int(std::floor(height * focusY_ - focusOffsetY_ + 0.5)));
    focusX_ = -1.0;
    focusY_ = -1.0;
}

void TqWorkspace::fitToViewport() {
    canvas_->fitToRect(QSizeF(viewport()->size()));
}

QRectF TqWorkspace::displayedImageRect() const {
    const QScrollBar* h = horizontalScrollBar();
    const QScrollBar* v = verticalScrollBar();
    const QRect visible(h->value(), v->value(), h->pageStep(), v->pageStep());
    const QRect image(QPoint(0, 0), canvas_->zoomedImageSize());
    const QRect shown = visible & image;
    if (shown == image)
        return QRectF(0, 0, 0, 0);
    const double zoom = canvas_->zoom();
    const QRectF shownF(shown);
    return QRectF(shownF.topLeft() / zoom, shownF.bottomRight() / zoom);
}

void TqWorkspace::reportDisplayedRect() {
    emit sayDisplayedRectChanged(displayedImageRect(), canvas_->zoom());
}

void TqWorkspace::scrollContentsBy(int dx, int dy) {
    QScrollArea::scrollContentsBy(dx, dy);
    if (!ModelPort::instance()->hasSourceImage())
        return;
    const QRectF rect = displayedImageRect();
    if (rect.width() > 0 && rect.height() > 0)
        emit sayDisplayedRectChanged(rect, canvas_->zoom());
}

void TqWorkspace::resizeEvent(QResizeEvent* event) {
    canvas_->adjustToParent();
    QScrollArea::resizeEvent(event);
    if (ModelPort::instance()->hasSourceImage())
        reportDisplayedRect();
}

bool TqWorkspace::viewportEvent(QEvent* event) {
    const bool result = QScrollArea::viewportEvent(event);
    if (event->type() == QEvent::LayoutRequest && ModelPort::instance()->hasSourceImage()) {
        applyPendingFocus();
        reportDisplayedRect();
    }
    return result;
}

void TqWorkspace::centreOn(const QPoint& imagePoint) {
    const double zoom = canvas_->zoom();
    const int x = int(std::lround(imagePoint.x() * zoom));
    const int y = int(std::lround(imagePoint.y() * zoom));
    horizontalScrollBar()->setValue(x - horizontalScrollBar()->pageStep() / 2);
    verticalScrollBar()->setValue(y - verticalScrollBar()->pageStep() / 2);
}

void TqWorkspace::moveTo(const QRectF& imageRect) {
    const double zoom = canvas_->zoom();
    setUpdatesEnabled(false);
    horizontalScrollBar()->setValue(int(std::lround(imageRect.left() * zoom)));
    verticalScrollBar()->setValue(int(std::lround(imageRect.top() * zoom)));
    setUpdatesEnabled(true);
}

void TqWorkspace::panBy(const QPoint& delta) {
    setUpdatesEnabled(false);
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + delta.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() + delta.y());
    setUpdatesEnabled(true);
}

void TqWorkspace::showBrushBeingChangedBySlider() {
    const QScrollBar* h = horizontalScrollBar();
    const QScrollBar* v = verticalScrollBar();
    const QPoint centre(int(std::lround(h->value() + h->pageStep() * 0.5)),
                        int(std::lround(v->value() + v->pageStep() * 0.5)));
    canvas_->showBrushAt(centre - canvas_->displayRect().topLeft());
}
