#include "masking/Rectangle.h"

#include "masking/GmShapeHost.h"

#include <QPainter>
#include <QVariantMap>

namespace tq {

namespace {
const QString rectKey = QStringLiteral("rect_");
const QString cornerKey = QStringLiteral("corner1_");
const QString snapKey = QStringLiteral("snap_");
}

Rectangle::Rectangle(const QPointF& anchor)
    : rect_(anchor.x(), anchor.y(), 0, 0), anchor_(anchor)
{
}

Rectangle::Rectangle(const QRectF& rect, const QPointF& anchor, int snap)
    : rect_(rect), anchor_(anchor), snap_(snap)
{
}

Rectangle::Rectangle(const QVariant& map, int snap)
    : snap_(snap)
{
    const QVariantMap m = map.toMap();
    rect_ = m.value(rectKey).toRectF();
    if (!m.contains(rectKey))
        rect_ = nullRect();
    anchor_ = m.value(cornerKey).toPointF();
}

QVariant Rectangle::toVariant() const
{
    QVariantMap m;
    m[rectKey] = rect_;
    m[cornerKey] = anchor_;
    m[snapKey] = snap_;
    return m;
}

void Rectangle::paint(QPainter& painter, const QRectF& exposed, int mode, int tint, double penWidth)
{
    rememberPenWidth(penWidth);
    switch (mode) {
    case paintThin:
    case paintOutline:
    case paintSelected:
        painter.drawRect(rect_);
        break;
    case paintEdges:
        if (hasVectorEdges())
            paintVectorEdges(painter, exposed);
        else
            painter.drawRect(rect_);
        break;
    case paintHandles:
        painter.drawRect(rect_);
        for (const QPointF& corner : {rect_.topLeft(), rect_.topRight(), rect_.bottomLeft(),
                                      rect_.bottomRight()})
            painter.drawRect(squareAround(corner, halfPenWidth()));
        break;
    default:
        break;
    }
}

void Rectangle::dragCornerTo(const QPointF& p)
{
    GmShapeHost* host = GmShapeHost::current();
    if (!host)
        return;
    const QRectF image = host->displayImageRect();
    const QRectF old = rect_;
    const QPointF corner = snap_ ? snapToWorkingPixel(p) : p;
    const QRectF n = QRectF(anchor_, corner).normalized();

    QRectF repaint = old;
    if (n.width() == 0 && n.height() == 0) {
        rect_ = image.contains(n.topLeft()) ? n : nullRect();
    } else if (n.intersects(image)) {
        rect_ = n & image;
        repaint = (old.width() > 0 && old.height() > 0) ? (old | rect_) : rect_;
    } else {
        rect_ = nullRect();
    }
    if (repaint.width() > 0 && repaint.height() > 0)
        host->requestRepaint(repaint, GmShapeHost::outlineChanged, 0);
}

}  // namespace tq
