#include "masking/GmRegion.h"

#include "masking/Shape.h"

#include <QBrush>
#include <QPen>

QImage* GmRegion::regionMask()
{
    tq::Shape* outline = shape();
    return outline ? outline->maskImage(QPen(Qt::NoPen), QBrush(Qt::color1)) : nullptr;
}
