#include "composition/scene/SpeechBubbleItem.h"

#include "composition/scene/ArrowTipItemHandle.h"
#include "composition/scene/ItemScene.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QTextDocument>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <ctime>

int lastBubbleBodyShape = 0;
int lastBubbleTailShape = 0;

namespace {

constexpr double pi = 3.14159265358979323846;

/// The time alone repeats within a second; the counter tells apart bubbles and clones made in
/// the same second.
int newSeed() {
    static std::atomic<unsigned> made{0};
    const unsigned count = made.fetch_add(1, std::memory_order_relaxed);
    return int((unsigned(std::time(nullptr)) ^ (count * 2654435761u)) & 0x7fffffffu);
}

/// The classic portable generator with the range 0..32767, owned by one computation so that
/// the same seed always gives the same chain and no other code disturbs it.
class ChainRandom {
public:
    explicit ChainRandom(int seed) : state_(unsigned(seed)) {}
    int next() {
        state_ = state_ * 1103515245u + 12345u;
        return int((state_ / 65536u) % 32768u);
    }

private:
    unsigned state_;
};

}  // namespace

SpeechBubbleItem::SpeechBubbleItem()
    : TextFieldItem(theItemScene, QString(), QPointF()),
      bodyShape_(lastBubbleBodyShape), tailShape_(lastBubbleTailShape) {
    finishBubble();
}

SpeechBubbleItem::SpeechBubbleItem(const SpeechBubbleItem& other)
    : TextFieldItem(other), bubbleColour_(other.bubbleColour_), bodyShape_(other.bodyShape_),
      tailShape_(other.tailShape_), cornerRadius(other.cornerRadius), margin(other.margin) {
    finishBubble();
}

void SpeechBubbleItem::finishBubble() {
    setZValue(7);
    arrowTip_ = addArrowTipHandle();
    randomSeed_ = newSeed();
    // The text's size decides the bubble's; these fire on text, font and width changes.
    QObject::connect(document()->documentLayout(),
                     &QAbstractTextDocumentLayout::documentSizeChanged, this,
                     [this] { invalidateOutline(); });
    QObject::connect(document(), &QTextDocument::contentsChanged, this,
                     [this] { invalidateOutline(); });
    invalidateOutline();
    updateHandles();
}

void SpeechBubbleItem::invalidateOutline() {
    prepareGeometryChange();
    outlineValid_ = false;
}

void SpeechBubbleItem::setBubbleColour(const QColor& colour) {
    bubbleColour_ = colour;
    update();
}

void SpeechBubbleItem::setShapes(int bodyShape, int tailShape) {
    invalidateOutline();
    bodyShape_ = bodyShape;
    tailShape_ = tailShape;
    update();
}

void SpeechBubbleItem::arrowTipMoved() {
    invalidateOutline();
    update();
}

QRectF SpeechBubbleItem::bubbleRect() const {
    return QGraphicsTextItem::boundingRect().adjusted(-margin, -margin, margin, margin);
}

QPainterPath SpeechBubbleItem::bodyPath() const {
    const QRectF b = bubbleRect();
    QPainterPath path;
    if (bodyShape_ == 0)
        path.addRoundedRect(b, cornerRadius, cornerRadius, Qt::AbsoluteSize);
    else if (bodyShape_ == 1)
        path.addEllipse(b.center(), 0.7 * b.width(), 0.7 * b.height());
    return path;
}

QPointF SpeechBubbleItem::tipInItem() const {
    return arrowTip_ ? mapFromScene(arrowTip_->tipPos()) : QPointF(0, 0);
}

QPainterPath SpeechBubbleItem::tailPath() const {
    const QRectF b = bubbleRect();
    const QPointF t = tipInItem();
    const QPointF m = b.center();
    if (!std::isfinite(t.x()) || !std::isfinite(t.y()) || t == m)
        return QPainterPath();   // no direction to point in
    if (tailShape_ == 0)
        return speechWedge(t, m, b);
    if (tailShape_ == 1)
        return thoughtChain(t, m, b);
    return QPainterPath();
}

QPainterPath SpeechBubbleItem::speechWedge(const QPointF& t, const QPointF& m,
                                           const QRectF& b) const {
    // The one-argument arc tangent on purpose: a tip on either side gives the same base. A tip
    // straight above or below takes +-90 degrees instead of dividing by zero.
    const double dx = t.x() - m.x();
    const double dy = t.y() - m.y();
    const double angle = dx == 0 ? (dy > 0 ? pi / 2 : -pi / 2) : std::atan(dy / dx);
    const double s = 0.25 * std::min(b.width(), b.height());
    const QPointF p1(m.x() + std::sin(angle) * s, m.y() - std::cos(angle) * s);
    const QPointF p2(m.x() - std::sin(angle) * s, m.y() + std::cos(angle) * s);
    QPainterPath path;
    path.moveTo(t);
    path.lineTo(p1);
    path.lineTo(p2);
    path.closeSubpath();
    return path;
}

QPainterPath SpeechBubbleItem::thoughtChain(const QPointF& t, const QPointF& m,
                                            const QRectF& b) const {
    const double a = std::atan2(t.y() - m.y(), t.x() - m.x());
    const QPointF start = m + QPointF(std::cos(a) * 0.7 * b.width(),
                                      std::sin(a) * 0.7 * b.height());
    const double d = std::hypot(t.x() - start.x(), t.y() - start.y());
    QPainterPath path;
    if (!(d > 0))
        return path;   // the tip lies on the body's edge: nothing to chain
    const double bigR = std::min({d / 6, 0.7 * b.height(), 0.7 * b.width()});
    const double smallR = 0.1 * bigR;
    ChainRandom random(randomSeed_);
    double h = 1.5 * bigR / (1.4 * (bigR - smallR) + d);
    // Each step moves h up by a fixed share of what is left; the cap only guards against
    // values no real bubble reaches.
    for (int count = 0; h < 1 && count < 10000; ++count) {
        const double radius = (1 - h) * bigR + h * smallR;
        const QPointF centre = start * (1 - h) + t * h;
        const double u1 = random.next() / 32767.0;
        const double u2 = random.next() / 32767.0;
        path.addEllipse(centre, ((1 - u2) * 1.15 + u2 * 0.85) * radius,
                        ((1 - u1) * 1.15 + u1 * 0.85) * radius);
        const double next = (h * (1.4 * (smallR - bigR) + d) + 2.5 * bigR) / (bigR + d - smallR);
        if (!(next > h))
            break;
        h = next;
    }
    return path;
}

QPainterPath SpeechBubbleItem::outlinePath() const {
    if (!outlineValid_) {
        const QPainterPath tail = tailPath();
        outline_ = tail.isEmpty() ? bodyPath() : bodyPath().united(tail);
        outlineValid_ = true;
    }
    return outline_;
}

QRectF SpeechBubbleItem::boundingRect() const {
    // Half the outline pen reaches outside the path.
    return outlinePath().boundingRect().adjusted(-1, -1, 1, 1);
}

QPainterPath SpeechBubbleItem::shape() const { return outlinePath(); }

bool SpeechBubbleItem::contains(const QPointF& point) const {
    return outlinePath().contains(point);
}

void SpeechBubbleItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                             QWidget* widget) {
    paintItem(painter, option, widget,
              [this](QPainter* p, const QStyleOptionGraphicsItem* o, QWidget* w) {
                  p->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                                    QPainter::SmoothPixmapTransform);
                  p->setBrush(QBrush(bubbleColour_, Qt::SolidPattern));
                  p->setPen(QPen(QColor(Qt::darkGray), 1.5, Qt::SolidLine, Qt::SquareCap,
                                 Qt::BevelJoin));
                  p->drawPath(outlinePath());
                  QGraphicsTextItem::paint(p, o, w);
              });
}

void SpeechBubbleItem::applyCanvasChange(const QRect& newRect, const QRect& oldRect) {
    TextFieldItem::applyCanvasChange(newRect, oldRect);
    if (arrowTip_) {
        arrowTip_->setTipPos(mapPositionForCanvas(arrowTip_->tipPos(), newRect, oldRect));
        updateHandles();
    }
    arrowTipMoved();
}

QIcon SpeechBubbleItem::icon(const QSize&) const {
    return QIcon(QStringLiteral(":/images/fun/icons48pix/speech_bubble.png"));
}

FrolixItem* SpeechBubbleItem::clone() { return new SpeechBubbleItem(*this); }

QVariant SpeechBubbleItem::itemChange(GraphicsItemChange change, const QVariant& value) {
    const QVariant result = TextFieldItem::itemChange(change, value);
    // The tip stays put in the scene, so moving or turning the bubble reshapes its tail.
    if (change == ItemPositionHasChanged || change == ItemTransformHasChanged)
        invalidateOutline();
    return result;
}
