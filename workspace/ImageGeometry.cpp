#include "workspace/ImageGeometry.h"

#include <QtGlobal>

#include <cmath>

QPointF floorPoint(double x, double y) {
    return QPointF(std::floor(x), std::floor(y));
}

QPointF offsetPoint(const QPointF& p, double dx, double dy) {
    return QPointF(p.x() + dx, p.y() + dy);
}

QRectF rectFromSize(double width, double height) {
    return QRectF(0.0, 0.0, width, height);
}

void alignRectOutward(QRectF& rect) {
    const double left = std::floor(rect.x());
    const double top = std::floor(rect.y());
    const double right = std::ceil(rect.x() + rect.width());
    const double bottom = std::ceil(rect.y() + rect.height());
    rect = QRectF(left, top, right - left, bottom - top);
}

QRectF grownRect(const QRectF& r, double margin) {
    return QRectF(r.x() - margin, r.y() - margin, r.width() + 2.0 * margin,
                  r.height() + 2.0 * margin);
}

QRectF scaledDownRect(const QRectF& r, double factor) {
    Q_ASSERT_X(factor != 0.0, "scaledDownRect", "a factor of 0 gives infinities");
    const double s = 1.0 / factor;
    const double left = r.x() * s;
    const double top = r.y() * s;
    return QRectF(left, top, (r.x() + r.width()) * s - left, (r.y() + r.height()) * s - top);
}
