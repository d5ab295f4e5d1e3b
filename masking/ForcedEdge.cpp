#include "masking/ForcedEdge.h"

#include "masking/GmShapeHost.h"
#include "masking/Shape.h"

#include <QBrush>
#include <QPen>

QImage* ForcedEdge::forcedEdgeMask()
{
    tq::Shape* line = shape();
    GmShapeHost* host = GmShapeHost::current();
    if (!line || !host)
        return nullptr;
    // The mask is drawn in image coordinates scaled down by the divisor: a pen as wide as
    // the divisor is one working pixel.
    QPen pen(QBrush(Qt::color1), host->resolution(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    return line->maskImage(pen, Qt::NoBrush);
}

void ForcedEdge::releaseForcedEdgeMask()
{
    if (tq::Shape* line = shape())
        line->dropEngineMask();
}
