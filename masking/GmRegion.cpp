#include "masking/GmRegion.h"

#include "masking/GmModelKeys.h"
#include "masking/Shape.h"

#include <QBrush>
#include <QPen>
#include <QVariantMap>

QImage* GmRegion::regionMask()
{
    tq::Shape* outline = shape();
    return outline ? outline->maskImage(QPen(Qt::NoPen), QBrush(Qt::color1)) : nullptr;
}

GmRegion::GmRegion(const QVariant& baseMap, QObject* parent)
    : ArrowTarget(parent),
      smeg_(baseMap.toMap().value(GmKeys::smeg), this),
      blendage_(baseMap.toMap().value(GmKeys::blendage), this),
      protected_(baseMap.toMap().value(GmKeys::isProtected).toBool()) {}

QVariant GmRegion::saveBase() const
{
    QVariantMap m;
    m[GmKeys::smeg] = smeg_.toVariant();
    m[GmKeys::blendage] = blendage_.toVariant();
    m[GmKeys::isProtected] = protected_;
    return m;
}
