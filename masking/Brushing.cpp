#include "masking/Brushing.h"

#include "masking/GmShapeHost.h"
#include "common/StreamedTypes.h"

#include <QBitmap>
#include <QPainter>
#include <QVariantMap>

#include <cmath>

namespace {
const QString bitmapKey = QStringLiteral("Bitmap");
const QString pathKey = QStringLiteral("path_");
const QString boundsKey = QStringLiteral("boundingReducedRect_");
const QString colourKey = QStringLiteral("color_");

constexpr QRgb unset = 0x00000000;
constexpr QRgb set = 0xFFFFFFFF;       // the pen colour that lands on pixel index 1
constexpr double segmentNudge = 0.00001;   // a zero-length line would leave no round cap

QSize workingSize()
{
    GmShapeHost* host = GmShapeHost::current();
    return host ? host->workingImageRect().size() : QSize();
}

int brushSize()
{
    GmShapeHost* host = GmShapeHost::current();
    return host ? std::max(1, host->brushSize()) : 1;
}

bool positive(const QRectF& r)
{
    return r.width() > 0 && r.height() > 0;
}

QPen strokePen(const QColor& colour)
{
    QPen pen(colour);
    pen.setWidth(brushSize());
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// Paper colour of a bitmap: white or transparent (color0), against black ink (color1).
int lightness(QRgb c)
{
    return qAlpha(c) == 0 ? 255 : qGray(c);
}

// Stored bitmaps hold the stroke inverted: ink (color1) where the brush did not paint. Qt
// normalises a bitmap's colour table when it converts one, so the stored set is told by the
// colour of each pixel, never by its index.
QImage strokeFromBitmap(const QBitmap& bitmap)
{
    QImage stroke = bitmap.toImage().convertToFormat(QImage::Format_Mono);
    if (stroke.isNull())
        return stroke;
    if (stroke.colorCount() < 2)
        stroke.setColorCount(2);
    if (lightness(stroke.color(0)) > lightness(stroke.color(1)))
        stroke.invertPixels();   // index 0 was paper, that is painted: painted becomes index 1
    return stroke;
}
}  // namespace

Brushing::Brushing(const QColor& colour)
    : QImage(workingSize(), QImage::Format_Mono), colour_(colour)
{
    if (!isNull()) {
        setColorCount(2);
        setColor(0, unset);
        setColor(1, colour_.rgba());
        fill(0);
    }
}

Brushing::Brushing(const QVariant& map)
{
    const QVariantMap m = map.toMap();
    colour_ = m.value(colourKey).value<QColor>();
    path_ = m.value(pathKey).value<QPainterPath>();
    bounds_ = m.value(boundsKey).toRectF();
    const QImage stroke = strokeFromBitmap(m.value(bitmapKey).value<QBitmap>());
    if (!stroke.isNull()) {
        QImage::operator=(stroke);
        setColor(0, unset);
        setColor(1, colour_.rgba());
        // Bounds from a damaged map must not reach outside the stroke's own pixels.
        bounds_ &= QRectF(QImage::rect());
    } else {
        bounds_ = QRectF(0, 0, 0, 0);
    }
    anchor_ = stretchEnd_ = bounds_.center();
}

Brushing::~Brushing()
{
    if (positive(bounds_))
        requestRepaint(bounds_);
}

QVariant Brushing::toVariant() const
{
    QVariantMap m;
    if (!isNull()) {
        QImage inverted = copy();
        inverted.setColorCount(2);
        inverted.setColor(0, QColor(Qt::white).rgb());   // color0: painted after the inversion
        inverted.setColor(1, QColor(Qt::black).rgb());   // color1: not painted
        inverted.invertPixels();
        m[bitmapKey] = QBitmap::fromImage(inverted);
    } else {
        m[bitmapKey] = QBitmap();
    }
    m[pathKey] = QVariant::fromValue(path_);
    m[boundsKey] = bounds_;
    m[colourKey] = colour_;
    return m;
}

QRectF Brushing::brushRect(const QPointF& w) const
{
    const double s = brushSize();
    const QRectF square(w - QPointF(s / 2, s / 2), QSizeF(s, s));
    const QRectF inside = square & QRectF(QImage::rect());
    if (!positive(inside))
        return QRectF(0, 0, 0, 0);
    return QRectF(inside.toAlignedRect());
}

void Brushing::paintStroke(const std::function<void(QPainter&)>& draw)
{
    if (isNull())
        return;
    // The shown colour may be anything, even transparent; while painting, index 1 is white so
    // that the white pen lands on it whatever the stroke colour is.
    setColor(1, set);
    {
        QPainter painter(this);
        QPen pen(QColor::fromRgba(set));
        pen.setWidth(brushSize());
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.setPen(pen);
        draw(painter);
    }
    setColor(1, colour_.rgba());
}

void Brushing::requestRepaint(const QRectF& working) const
{
    if (GmShapeHost* host = GmShapeHost::current())
        host->requestRepaint(host->toImageRect(working), GmShapeHost::pixelsChanged, 0);
}

void Brushing::startStroke(const QPointF& p)
{
    path_ = QPainterPath(p);
    GmShapeHost* host = GmShapeHost::current();
    const QPointF w = host ? host->toWorkingPoint(p) : p;
    anchor_ = stretchEnd_ = w;
    const QPointF dot = w - QPointF(0.5, 0.5);
    paintStroke([&](QPainter& painter) {
        painter.drawLine(dot, dot + QPointF(segmentNudge, 0));
        // A pen one pixel wide is drawn as a thin line, which leaves nothing for a line this
        // short; the pixel under the dot is the whole footprint of such a brush.
        if (painter.pen().width() <= 1)
            painter.fillRect(QRectF(std::floor(dot.x()), std::floor(dot.y()), 1, 1),
                             QColor::fromRgba(set));
    });
    bounds_ = brushRect(w);
    if (bounds_.width() != 0 || bounds_.height() != 0)
        requestRepaint(bounds_);
}

void Brushing::strokeTo(const QPointF& p)
{
    path_.lineTo(p);
    GmShapeHost* host = GmShapeHost::current();
    const QPointF w = host ? host->toWorkingPoint(p) : p;
    const QPointF from = anchor_ - QPointF(0.5, 0.5);
    const QPointF to = w - QPointF(0.5, 0.5) + QPointF(segmentNudge, segmentNudge);
    paintStroke([&](QPainter& painter) { painter.drawLine(from, to); });
    const QRectF r = brushRect(anchor_) | brushRect(w);
    if (positive(r)) {
        requestRepaint(r);
        bounds_ |= r;
    }
    anchor_ = stretchEnd_ = w;
}

void Brushing::stretchLineTo(const QPointF& p)
{
    GmShapeHost* host = GmShapeHost::current();
    const QPointF previous = stretchEnd_;
    stretchEnd_ = host ? host->toWorkingPoint(p) : p;
    const QRectF r = brushRect(stretchEnd_) | brushRect(anchor_) | brushRect(previous);
    if (positive(r))
        requestRepaint(r);
}

void Brushing::clear()
{
    if (!isNull())
        fill(0);
    if (positive(bounds_)) {
        requestRepaint(bounds_);
        bounds_ = QRectF(0, 0, 0, 0);
    }
}

QRectF Brushing::bounds() const
{
    GmShapeHost* host = GmShapeHost::current();
    return host ? host->toImageRect(bounds_) : bounds_;
}

bool Brushing::contains(const QPointF& imagePoint) const
{
    GmShapeHost* host = GmShapeHost::current();
    const QPointF w = host ? host->toWorkingPoint(imagePoint) : imagePoint;
    const int x = int(std::lround(w.x()));
    const int y = int(std::lround(w.y()));
    return valid(x, y) && pixelIndex(x, y) == 1;
}

void Brushing::paint(QPainter& painter, const QRectF& exposed, int mode, int tint, double penWidth)
{
    rememberPenWidth(penWidth);
    if (mode == paintNothing)
        return;
    const QRectF r = exposed & bounds();
    if (!positive(r))
        return;
    if (tint == 1) {
        QColor penColour = colour_;
        if (colour_.alpha() == 255)
            penColour.setAlpha(painter.pen().color().alpha());
        QPen pen = painter.pen();
        pen.setColor(penColour);
        painter.setPen(pen);
    }
    switch (mode) {
    case paintThin:
    case paintOutline: {
        GmShapeHost* host = GmShapeHost::current();
        const double d = host ? host->resolution() : 1;
        const QTransform kept = painter.transform();
        painter.scale(d, d);
        const QColor shown = colour_;
        setColor(1, painter.pen().color().rgba());
        const QRectF part(r.topLeft() / d, r.bottomRight() / d);
        painter.drawImage(part, *this, part);
        setColor(1, shown.rgba());
        if (std::abs(stretchEnd_.x() - anchor_.x()) > 1e-12
            || std::abs(stretchEnd_.y() - anchor_.y()) > 1e-12) {
            const QPen keptPen = painter.pen();
            painter.setPen(strokePen(colour_));
            painter.drawLine(anchor_, stretchEnd_);
            painter.setPen(keptPen);
        }
        painter.setTransform(kept);
        break;
    }
    case paintSelected:
    case paintEdges:
    case paintHandles:
        paintVectorEdges(painter, exposed);
        break;
    default:
        break;
    }
}

std::unique_ptr<QImage> Brushing::renderMask(const QPen&, const QBrush&)
{
    QRect part = bounds_.adjusted(-1, -1, 1, 1).toAlignedRect() & QImage::rect();
    if (GmShapeHost* host = GmShapeHost::current())
        part &= host->workingImageRect();
    if (part.isEmpty())
        return nullptr;
    auto mask = std::make_unique<QImage>(copy(part).convertToFormat(QImage::Format_Indexed8));
    mask->setOffset(part.topLeft());
    return mask;
}

void Brushing::rebuildEdges(const JxSession* subSession)
{
    Shape::rebuildEdges(subSession);
    const QRectF edges = vectorEdges().unionBounds();
    GmShapeHost* host = GmShapeHost::current();
    if (edges.width() < 0 || edges.height() < 0)
        bounds_ = QRectF(0, 0, 0, 0);
    else
        bounds_ = host ? host->toWorkingRect(edges) : edges;
}
