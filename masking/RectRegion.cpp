#include "masking/RectRegion.h"

#include "masking/GmModelKeys.h"

#include <QVariantMap>

RectRegion::RectRegion(const QRectF& rect, QObject* parent)
    : GmRegion(parent), rectangle_(rect, rect.topLeft(), 1) {}

RectRegion::RectRegion(const QVariant& entry, QObject* parent)
    : GmRegion(entry.toMap().value(GmKeys::regionBase), parent),
      rectangle_(entry.toMap().value(GmKeys::rectangle), 1) {}

QVariant RectRegion::save() const
{
    QVariantMap m = saveHead(GmKeys::RectRegionType);
    m[GmKeys::rectangle] = rectangle_.toVariant();
    return m;
}
