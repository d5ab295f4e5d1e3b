#include "masking/GmShapeHost.h"

namespace {
GmShapeHost* theShapeHost = nullptr;
}

GmShapeHost::~GmShapeHost()
{
    if (theShapeHost == this)
        theShapeHost = nullptr;
}

GmShapeHost* GmShapeHost::current()
{
    return theShapeHost;
}

void GmShapeHost::setCurrent(GmShapeHost* host)
{
    theShapeHost = host;
}

QPointF GmShapeHost::toImagePoint(const QPointF& working) const
{
    return working * resolution();
}

QRectF GmShapeHost::toImageRect(const QRectF& working) const
{
    const double d = resolution();
    return QRectF(working.topLeft() * d, working.bottomRight() * d);
}

QPointF GmShapeHost::toWorkingPoint(const QPointF& image) const
{
    return image * (1.0 / resolution());
}

QRectF GmShapeHost::toWorkingRect(const QRectF& image) const
{
    const double f = 1.0 / resolution();
    return QRectF(image.topLeft() * f, image.bottomRight() * f);
}
