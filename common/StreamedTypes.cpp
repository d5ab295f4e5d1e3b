#include "common/StreamedTypes.h"

#include <QDataStream>
#include <QPolygonF>

void registerStreamedTypes() {
    static_assert(QMetaType::QPolygonF == 86, "stored sessions rely on this type number");
    qRegisterMetaType<QPolygonF>();
    qRegisterMetaType<QPainterPath>("QPainterPath");
    qRegisterMetaTypeStreamOperators<QPainterPath>("QPainterPath");
}
