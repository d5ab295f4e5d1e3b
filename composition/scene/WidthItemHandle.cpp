#include "composition/scene/WidthItemHandle.h"

#include "composition/scene/FrolixItem.h"
#include "composition/scene/IconPixmap.h"

WidthItemHandle::WidthItemHandle(QGraphicsScene* scene, FrolixItem* owner)
    : ItemHandle(scene, owner, handlePixmap(QStringLiteral("setwidth.png")), 11) {}

QPointF WidthItemHandle::anchor() const { return owner_->localRect().topRight(); }

void WidthItemHandle::dragTo(const QPointF& p, Qt::KeyboardModifiers modifiers) {
    owner_->widthHandleMoved(p, modifiers);
}
