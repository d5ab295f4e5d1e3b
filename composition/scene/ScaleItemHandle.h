#pragma once

#include "composition/scene/ItemHandle.h"

/// Grip that scales (and mirrors) its item, at the bottom-right corner.
class ScaleItemHandle : public ItemHandle {
    Q_OBJECT
public:
    ScaleItemHandle(QGraphicsScene* scene, FrolixItem* owner);

    QPointF anchor() const override;
    void dragTo(const QPointF& p, Qt::KeyboardModifiers modifiers) override;
};
