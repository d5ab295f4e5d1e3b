#pragma once

#include "composition/scene/ItemHandle.h"

/// Grip that turns its item about its centre, at the bottom-left corner.
class RotateItemHandle : public ItemHandle {
    Q_OBJECT
public:
    RotateItemHandle(QGraphicsScene* scene, FrolixItem* owner);

    QPointF anchor() const override;
    void dragTo(const QPointF& p, Qt::KeyboardModifiers modifiers) override;
};
