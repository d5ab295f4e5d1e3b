#pragma once

#include "composition/scene/ItemHandle.h"

/// Grip that places the tip of a speech bubble's tail. It stays where it was put, in scene
/// coordinates, whatever the bubble does.
class ArrowTipItemHandle : public ItemHandle {
    Q_OBJECT
public:
    /// The tip starts below the owner's bottom-right corner by one item height.
    ArrowTipItemHandle(QGraphicsScene* scene, FrolixItem* owner);

    void place(const QPointF& itemPosition, const QTransform& itemTransform) override;
    void dragTo(const QPointF& p, Qt::KeyboardModifiers modifiers) override;

    QPointF tipPos() const { return tipPos_; }
    void setTipPos(const QPointF& tip) { tipPos_ = tip; }

private:
    QPointF tipPos_;
};
