#pragma once

#include "composition/scene/FrolixItem.h"

#include <QGraphicsPixmapItem>

/// A composition item kind of the tests' own: a flat-coloured pixmap carrying `FrolixItem`,
/// scaled with the canvas by the geometric mean of the side ratios (as pictures are).
class TestPixmapItem : public QGraphicsPixmapItem, public FrolixItem {
public:
    TestPixmapItem(QGraphicsScene* scene, const QSize& size, const QColor& colour,
                   const QPointF& position = QPointF());

    FrolixItem* clone() override;
    double canvasScaleFactor(const QRect& newRect, const QRect& oldRect) override;
    QRectF localRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;
};
