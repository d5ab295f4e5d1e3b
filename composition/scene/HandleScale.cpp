#include "composition/scene/HandleScale.h"

#include <QGraphicsItem>

#include <cmath>

QSet<QGraphicsItem*> handleItems;
double handleScale = 1.0;

void setHandleZoom(double zoom) {
    if (!std::isfinite(zoom) || zoom <= 0)
        return;
    handleScale = 1.0 / zoom;
    for (QGraphicsItem* item : qAsConst(handleItems))
        applyHandleScale(item);
}

void applyHandleScale(QGraphicsItem* item) {
    item->setTransform(QTransform::fromScale(handleScale, handleScale));
}
