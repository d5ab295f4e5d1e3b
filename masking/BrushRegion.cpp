#include "masking/BrushRegion.h"

#include "masking/GmModelKeys.h"

#include <QVariantMap>

BrushRegion::BrushRegion(const QColor& colour, QObject* parent)
    : GmRegion(parent), stroke_(colour) {}

BrushRegion::BrushRegion(const QVariant& entry, QObject* parent)
    : GmRegion(entry.toMap().value(GmKeys::regionBase), parent),
      stroke_(entry.toMap().value(GmKeys::brushing)) {}

QVariant BrushRegion::save() const
{
    QVariantMap m = saveHead(GmKeys::BrushRegionType);
    m[GmKeys::brushing] = stroke_.toVariant();
    return m;
}
