#pragma once

#include "composition/scene/ItemHandle.h"

/// Grip that moves its item, at the top-left corner.
class DragItemHandle : public ItemHandle {
    Q_OBJECT
public:
    DragItemHandle(QGraphicsScene* scene, FrolixItem* owner);

    QPointF anchor() const override;
    void dragTo(const QPointF& p, Qt::KeyboardModifiers modifiers) override;
};
