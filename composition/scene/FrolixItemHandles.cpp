// The handles of a composition item and what their drags do to it.
#include "composition/scene/FrolixItem.h"

#include "composition/scene/ArrowTipItemHandle.h"
#include "composition/scene/DragItemHandle.h"
#include "composition/scene/RotateItemHandle.h"
#include "composition/scene/ScaleItemHandle.h"
#include "composition/scene/WidthItemHandle.h"

#include <QGraphicsScene>

#include <algorithm>
#include <cmath>

namespace {
constexpr double pi = 3.14159265358979323846;
}

void FrolixItem::placeHandles(const QPointF& position, const QTransform& transform) {
    for (const QPointer<ItemHandle>& handle : qAsConst(handles_))
        if (handle)
            handle->place(position, transform);
}

void FrolixItem::updateHandles() { placeHandles(graphicsItem_->pos(), graphicsItem_->transform()); }

void FrolixItem::setHandlesVisible(bool visible) {
    for (const QPointer<ItemHandle>& handle : qAsConst(handles_))
        if (handle)
            handle->setVisible(visible);
}

void FrolixItem::adoptHandle(ItemHandle* handle) {
    handle->setVisible(graphicsItem_->isSelected());
    handles_.append(handle);
    handle->place(graphicsItem_->pos(), graphicsItem_->transform());
}

void FrolixItem::addWidthHandle() { adoptHandle(new WidthItemHandle(scene_, this)); }
void FrolixItem::addDragHandle() { adoptHandle(new DragItemHandle(scene_, this)); }
void FrolixItem::addRotateHandle() { adoptHandle(new RotateItemHandle(scene_, this)); }
void FrolixItem::addScaleHandle() { adoptHandle(new ScaleItemHandle(scene_, this)); }

ArrowTipItemHandle* FrolixItem::addArrowTipHandle() {
    auto* handle = new ArrowTipItemHandle(scene_, this);
    adoptHandle(handle);
    return handle;
}

void FrolixItem::dragHandleMoved(const QPointF& p, Qt::KeyboardModifiers) {
    const QPointF corner = graphicsItem_->mapToScene(localRect().topLeft());
    graphicsItem_->setPos(graphicsItem_->pos() + p - corner);
    graphicsItem_->setSelected(true);
    graphicsItem_->setFocus(Qt::OtherFocusReason);
}

void FrolixItem::rotateHandleMoved(const QPointF& p, Qt::KeyboardModifiers modifiers) {
    const QRectF local = localRect();
    const QPointF centre = graphicsItem_->mapToScene(local.center());
    const double a1 = std::atan2(p.y() - centre.y(), p.x() - centre.x());
    const QPointF corner = graphicsItem_->mapToScene(local.bottomLeft());
    const double a0 = std::atan2(corner.y() - centre.y(), corner.x() - centre.x());
    double angle;
    if (modifiers & Qt::ShiftModifier) {
        const double h = a1 / (2 * pi) * 16;
        const double n = std::floor(h + 0.5);   // exact halves go upward, also below zero
        angle = n * 22.5 - a0 * 180 / pi;
    } else {
        angle = (a1 - a0) * 180 / pi;
    }
    if (mirrored_)
        angle = -angle;
    const QPointF m = local.center();
    graphicsItem_->setTransform(QTransform(graphicsItem_->transform())
                                    .translate(m.x(), m.y())
                                    .rotate(angle, Qt::ZAxis)
                                    .translate(-m.x(), -m.y()));
    updateHandles();
    graphicsItem_->setSelected(true);
    graphicsItem_->setFocus(Qt::OtherFocusReason);
}

void FrolixItem::scaleHandleMoved(const QPointF& p, Qt::KeyboardModifiers) {
    const QRectF local = localRect();
    const QPointF br = local.bottomRight();
    const QPointF opposite = 2 * local.center() - br;
    const double left = opposite.x(), top = opposite.y();
    const double w = br.x() - left, h = br.y() - top;
    // A rectangle without width or height gives no factor to scale by.
    if (!(w > 0) || !(h > 0))
        return;
    const QPointF q = graphicsItem_->mapFromScene(p);
    double s = std::max((q.x() - left) / w, (q.y() - top) / h);
    // Not thinner than one scene pixel: a factor of zero or below would make the transform
    // singular, and the item could never be grabbed again.
    const QTransform t = graphicsItem_->transform();
    const double currentSide =
        std::min(std::hypot(t.m11(), t.m12()) * w, std::hypot(t.m21(), t.m22()) * h);
    const double smallest = currentSide > 0 ? 1.0 / currentSide : 1.0;
    if (!std::isfinite(s) || s < smallest)
        s = smallest;
    double sx = s, sy = s;
    if ((br.x() - q.x()) / w > 1) {
        mirrored_ = !mirrored_;
        sx = -s;
    } else if ((br.y() - q.y()) / h > 1) {
        mirrored_ = !mirrored_;
        sy = -s;
    }
    graphicsItem_->setTransform(QTransform(t).scale(sx, sy));
    updateHandles();
}
