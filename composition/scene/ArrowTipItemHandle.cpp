#include "composition/scene/ArrowTipItemHandle.h"

#include "composition/scene/FrolixItem.h"
#include "composition/scene/IconPixmap.h"

#include <QGraphicsTextItem>
#include <QTextCursor>

ArrowTipItemHandle::ArrowTipItemHandle(QGraphicsScene* scene, FrolixItem* owner)
    : ItemHandle(scene, owner, handlePixmap(QStringLiteral("generic_interaction_cursor.png")),
                 12) {
    const QRectF r = owner->localRect();
    tipPos_ = ownerItem_->mapToScene(r.bottomRight() + QPointF(0, r.height()));
    // The picture's tip is at (5, 26), not at its centre.
    setOffset(-5, -26);
}

void ArrowTipItemHandle::place(const QPointF&, const QTransform&) { setPos(tipPos_); }

void ArrowTipItemHandle::dragTo(const QPointF& p, Qt::KeyboardModifiers) {
    tipPos_ = p;
    owner_->arrowTipMoved();
    // Moving the tail ends any text editing of the bubble, so the drag is not typed into it.
    if (auto* text = dynamic_cast<QGraphicsTextItem*>(ownerItem_)) {
        text->setTextInteractionFlags(Qt::NoTextInteraction);
        QTextCursor cursor = text->textCursor();
        cursor.clearSelection();
        text->setTextCursor(cursor);
        text->clearFocus();
        owner_->setHandlesVisible(true);
    }
}
