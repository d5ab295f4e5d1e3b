#include "TestPixmapItem.h"

#include <QGraphicsScene>

#include <cmath>

TestPixmapItem::TestPixmapItem(QGraphicsScene* scene, const QSize& size, const QColor& colour,
                               const QPointF& position)
    : FrolixItem(this, scene) {
    QPixmap pixmap(size);
    pixmap.fill(colour);
    setPixmap(pixmap);
    setFlags(ItemIsSelectable | ItemIsFocusable);
    setPos(position);
    scene->addItem(this);
    registerItem();
    bringToFront();   // as the kinds do: above the backdrop, below the crop lines
}

FrolixItem* TestPixmapItem::clone() {
    auto* copy = new TestPixmapItem(ownerScene(), pixmap().size(), pixmap().toImage().pixelColor(0, 0),
                                    pos());
    copy->setTransform(transform());
    copy->avoidExactOverlap();
    return copy;
}

double TestPixmapItem::canvasScaleFactor(const QRect& newRect, const QRect& oldRect) {
    return std::sqrt((double(newRect.height()) / oldRect.height()) *
                     (double(newRect.width()) / oldRect.width()));
}

QRectF TestPixmapItem::localRect() const { return QRectF(QPointF(0, 0), pixmap().size()); }

void TestPixmapItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                           QWidget* widget) {
    paintItem(painter, option, widget,
              [this](QPainter* p, const QStyleOptionGraphicsItem* o, QWidget* w) {
                  QGraphicsPixmapItem::paint(p, o, w);
              });
}

QVariant TestPixmapItem::itemChange(GraphicsItemChange change, const QVariant& value) {
    return handleItemChange(change, QGraphicsPixmapItem::itemChange(change, value));
}
