#include "composition/scene/ItemHandle.h"

#include "composition/scene/FrolixItem.h"
#include "composition/scene/HandleScale.h"

#include <QCursor>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>

ItemHandle::ItemHandle(QGraphicsScene* scene, FrolixItem* owner, const QPixmap& pixmap, double z)
    : QGraphicsPixmapItem(pixmap), owner_(owner), ownerItem_(owner->graphicsItem()) {
    setZValue(z);
    // In logical pixels: a picture drawn for a double-density screen has twice the pixels.
    setOffset(-QRectF(QPointF(), QSizeF(pixmap.size()) / pixmap.devicePixelRatio()).center());
    setFlag(ItemIsMovable);
    setCursor(Qt::PointingHandCursor);
    if (scene)
        scene->addItem(this);
    handleItems.insert(this);
    applyHandleScale(this);
}

ItemHandle::~ItemHandle() { handleItems.remove(this); }

void ItemHandle::place(const QPointF& itemPosition, const QTransform& itemTransform) {
    setPos(itemPosition + itemTransform.map(anchor()));
}

void ItemHandle::mousePressEvent(QGraphicsSceneMouseEvent* event) {
    // Kept so that a handle grabbed off its centre does not jump to the pointer.
    pressOffset_ = scenePos() - event->scenePos();
    event->accept();
}

void ItemHandle::mouseMoveEvent(QGraphicsSceneMouseEvent* event) {
    dragTo(event->scenePos() + pressOffset_, event->modifiers());
    owner_->placeHandles(ownerItem_->pos(), ownerItem_->transform());
}
