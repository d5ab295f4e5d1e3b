#include "masking/BlendingStuff.h"

#include <QVariantMap>

BlendingStuff::BlendingStuff(const QVariant& map, GmRegion* owner)
    : owner(owner), options(map.toMap().value(QStringLiteral("bos_"))) {}

QVariant BlendingStuff::toVariant() const {
    QVariantMap values;
    values.insert(QStringLiteral("bos_"), options.toVariant());
    return values;
}
