#include "masking/PolyRegion.h"

#include "masking/GmModelKeys.h"

#include <QVariantMap>

PolyRegion::PolyRegion(const QPolygonF& points, QObject* parent)
    : GmRegion(parent), polygon_(points, tq::Polygon::closed) {}

PolyRegion::PolyRegion(const QVariant& entry, QObject* parent)
    : GmRegion(entry.toMap().value(GmKeys::regionBase), parent),
      polygon_(entry.toMap().value(GmKeys::poly)) {}

QVariant PolyRegion::save() const
{
    QVariantMap m = saveHead(GmKeys::PolyRegionType);
    m[GmKeys::poly] = polygon_.toVariant();
    return m;
}
