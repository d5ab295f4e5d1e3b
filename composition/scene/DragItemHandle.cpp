#include "composition/scene/DragItemHandle.h"

#include "composition/scene/FrolixItem.h"
#include "composition/scene/IconPixmap.h"

DragItemHandle::DragItemHandle(QGraphicsScene* scene, FrolixItem* owner)
    : ItemHandle(scene, owner, handlePixmap(QStringLiteral("translate.png")), 10) {}

QPointF DragItemHandle::anchor() const { return owner_->localRect().topLeft(); }

void DragItemHandle::dragTo(const QPointF& p, Qt::KeyboardModifiers modifiers) {
    owner_->dragHandleMoved(p, modifiers);
}
