#include "composition/scene/BackdropItem.h"

BackdropItem::BackdropItem() {
    setPos(0, 0);
    setZValue(2);
}

void BackdropItem::setCropRect(const QRectF& rect) {
    if (rect == cropRect_)
        return;
    prepareGeometryChange();
    cropRect_ = rect;
}
