#include "composition/scene/ScaleItemHandle.h"

#include "composition/scene/FrolixItem.h"
#include "composition/scene/IconPixmap.h"

ScaleItemHandle::ScaleItemHandle(QGraphicsScene* scene, FrolixItem* owner)
    : ItemHandle(scene, owner, handlePixmap(QStringLiteral("scale.png")), 13) {}

QPointF ScaleItemHandle::anchor() const { return owner_->localRect().bottomRight(); }

void ScaleItemHandle::dragTo(const QPointF& p, Qt::KeyboardModifiers modifiers) {
    owner_->scaleHandleMoved(p, modifiers);
}
