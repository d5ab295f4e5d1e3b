#include "composition/scene/RotateItemHandle.h"

#include "composition/scene/FrolixItem.h"
#include "composition/scene/IconPixmap.h"

RotateItemHandle::RotateItemHandle(QGraphicsScene* scene, FrolixItem* owner)
    : ItemHandle(scene, owner, handlePixmap(QStringLiteral("rotate.png")), 9) {}

QPointF RotateItemHandle::anchor() const { return owner_->localRect().bottomLeft(); }

void RotateItemHandle::dragTo(const QPointF& p, Qt::KeyboardModifiers modifiers) {
    owner_->rotateHandleMoved(p, modifiers);
}
