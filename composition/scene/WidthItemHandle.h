#pragma once

#include "composition/scene/ItemHandle.h"

/// Grip that sets the width of a text item, at its top-right corner.
class WidthItemHandle : public ItemHandle {
    Q_OBJECT
public:
    WidthItemHandle(QGraphicsScene* scene, FrolixItem* owner);

    QPointF anchor() const override;
    void dragTo(const QPointF& p, Qt::KeyboardModifiers modifiers) override;
};
