// The input side of the masking canvas: mouse events become image points for the current tool,
// pen pressure is recorded for the brushes, the brush outline follows the pointer, and drops go
// to the document.
#include "workspace/GmZoomWidget.h"

#include "workspace/BrushingTool.h"
#include "workspace/GmTool.h"
#include "workspace/ModelPort.h"

#include <QApplication>
#include <QBitmap>
#include <QDragEnterEvent>
#include <QMainWindow>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTabletEvent>

#include "common/PersistOptions.h"

#include <algorithm>
#include <cmath>

namespace {

std::function<void()> theBeeper;
std::function<bool(QDropEvent*)> theDropHandler;

// A coloured crosshair with an open centre, hot spot (8, 8), shown while the pointer is away
// from the canvas and a brush is current.
QCursor crosshairCursor(const QColor& colour) {
    QPixmap pixmap(32, 32);
    pixmap.fill(colour);
    QBitmap mask(32, 32);
    mask.clear();
    QPainter painter(&mask);
    painter.setPen(Qt::color1);
    const QPoint hot(8, 8);
    painter.drawLine(hot + QPoint(4, 0), hot + QPoint(8, 0));
    painter.drawLine(hot + QPoint(0, 4), hot + QPoint(0, 8));
    painter.drawLine(hot + QPoint(-4, 0), hot + QPoint(-8, 0));
    painter.drawLine(hot + QPoint(0, -4), hot + QPoint(0, -8));
    painter.end();
    pixmap.setMask(mask);
    return QCursor(pixmap, hot.x(), hot.y());
}

} // namespace

void GmZoomWidget::setBeeper(std::function<void()> beeper) {
    theBeeper = std::move(beeper);
}

void GmZoomWidget::setDropHandler(std::function<bool(QDropEvent*)> handler) {
    theDropHandler = std::move(handler);
}

void GmZoomWidget::continueGestureFrom(ulong pressTime) {
    gestureGoingOn_ = true;
    gestureHeld_ = true;   // called from the press (or double click) that opened the view
    gesturePressTime_ = pressTime;
}

bool GmZoomWidget::belongsToOpeningGesture(const QMouseEvent* event, MouseKind kind) {
    if (kind == MouseKind::Press || kind == MouseKind::DoubleClick) {
        // The toolkit's own rule for a double click: less than the interval since the press
        // before. Events keep the time they were made at however late they are delivered, so
        // clicks made while the view was opening are judged by when the user made them.
        const ulong time = event->timestamp();
        gestureGoingOn_ = gestureGoingOn_ && time >= gesturePressTime_ &&
                          time - gesturePressTime_ < ulong(QApplication::doubleClickInterval());
        gestureHeld_ = gestureGoingOn_;
        if (gestureGoingOn_)
            gesturePressTime_ = time;
        return gestureGoingOn_;
    }
    if (!gestureHeld_)
        return false;
    if (kind == MouseKind::Move)
        return event->buttons() != Qt::NoButton;
    if (event->buttons() == Qt::NoButton)
        gestureHeld_ = false;
    return true;
}

void GmZoomWidget::routeMouse(QMouseEvent* event, MouseKind kind) {
    pointerPos_ = event->pos() - displayRect_.topLeft();
    pointerPosIsGlobal_ = false;
    pointerInside_ = true;
    updateBrushCursor();
    if ((gestureGoingOn_ || gestureHeld_) && belongsToOpeningGesture(event, kind))
        return;
    GmTool* tool = theCurrentTool;
    if (tool && tool->isUsable() && tool->isAvailableInCurrentTab()) {
        const QPointF point(pointerPos_.x() * (1.0 / zoom_), pointerPos_.y() * (1.0 / zoom_));
        switch (kind) {
        case MouseKind::Press: tool->mousePressEvent(event, point); break;
        case MouseKind::Move: tool->mouseMoveEvent(event, point); break;
        case MouseKind::Release: tool->mouseReleaseEvent(event, point); break;
        case MouseKind::DoubleClick: tool->mouseDoubleClickEvent(event, point); break;
        }
        return;
    }
    if (kind == MouseKind::Press) {
        if (theBeeper)
            theBeeper();
        else
            QApplication::beep();
    }
}

void GmZoomWidget::mousePressEvent(QMouseEvent* event) {
    routeMouse(event, MouseKind::Press);
}

void GmZoomWidget::mouseMoveEvent(QMouseEvent* event) {
    routeMouse(event, MouseKind::Move);
}

void GmZoomWidget::mouseReleaseEvent(QMouseEvent* event) {
    routeMouse(event, MouseKind::Release);
}

void GmZoomWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    routeMouse(event, MouseKind::DoubleClick);
}

void GmZoomWidget::leaveEvent(QEvent* event) {
    pointerInside_ = false;
    updateBrushCursor();
    QWidget::leaveEvent(event);
}

void GmZoomWidget::moveEvent(QMoveEvent* event) {
    update();
    if (pointerInside_ && !pointerPosIsGlobal_) {
        // Scrolling moves the canvas under a resting pointer: keep pointing at the same screen spot.
        pointerPos_ += event->oldPos() - event->pos();
        updateBrushCursor();
    } else if (brushCursorRect_.isValid()) {
        updateBrushCursor();
    }
}

QPoint GmZoomWidget::pointerPosition() const {
    if (pointerPosIsGlobal_)
        return mapFromGlobal(pointerPos_) - displayRect_.topLeft();
    return pointerPos_;
}

void GmZoomWidget::showBrushAt(const QPoint& posInImage) {
    pointerPos_ = posInImage;
    pointerPosIsGlobal_ = false;
    pointerInside_ = true;
    updateBrushCursor();
}

void GmZoomWidget::updateBrushCursor() {
    GmTool* tool = theCurrentTool;
    const bool brush = tool && tool->isBrush();
    if (brush && viewMode_ == 1 && (pointerInside_ || brushSliderHeld())) {
        setCursor(QCursor(tool->cursor().shape()));
        const QRect next = brushOutlineRect();
        if (next.intersects(brushCursorRect_)) {
            update(next | brushCursorRect_);
        } else {
            update(next);
            if (brushCursorRect_.isValid())
                update(brushCursorRect_);
        }
    } else if (brushCursorRect_.isValid()) {
        update(brushCursorRect_);
        brushCursorRect_ = QRect(0, 0, -1, -1);
    }
    if (!pointerInside_ && brush)
        setCursor(crosshairCursor(tool->cursorColour()));
}

void GmZoomWidget::tabletEvent(QTabletEvent* event) {
    const bool pressureWanted = !theOptions || theOptions->useTabletPressure();
    if (pressureWanted && theCurrentTool && theCurrentTool->isBrush() &&
        event->pointerType() == QTabletEvent::Pen) {
        // A device may report anything; only 0..1 is a pressure.
        const double pressure = std::clamp(std::isfinite(event->pressure()) ? event->pressure() : 0.0,
                                           0.0, 1.0);
        if (pressure != lastPenPressure_) {
            lastPenPressure_ = pressure;
            thePenPressure = pressure;
        }
        // Every non-zero pen event counts: a stroke that starts at exactly the last pressure
        // must still follow the pen after the previous release cleared the flag.
        if (pressure != 0.0)
            thePenPressureActive = true;
    }
    // The toolkit then delivers the equivalent mouse events, which do the painting.
    event->ignore();
}

void GmZoomWidget::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!data || !(data->hasUrls() || data->hasImage() || data->hasText()))
        return;
    event->acceptProposedAction();
    // The window the canvas sits in comes to the front under the drag.
    if (auto* mainWindow = qobject_cast<QMainWindow*>(window()))
        mainWindow->raise();
}

void GmZoomWidget::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
}

void GmZoomWidget::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
}

void GmZoomWidget::dropEvent(QDropEvent* event) {
    if (theDropHandler && theDropHandler(event))
        return;
    event->ignore();
}
