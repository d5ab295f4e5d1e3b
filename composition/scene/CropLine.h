#pragma once

#include <QGraphicsLineItem>
#include <QPen>
#include <QRectF>

/// One of the four hairlines along the canvas border: black, one device pixel wide at any
/// zoom, above every item. `Owner` is the class that lays the lines out.
template <class Owner>
class CropLine : public QGraphicsLineItem {
public:
    CropLine() {
        QPen pen(Qt::black, 0, Qt::SolidLine);
        pen.setCosmetic(true);
        setPen(pen);
        setZValue(8);
    }
    /// Lays the line along its side of `r`.
    virtual void place(const QRectF& r) = 0;
};

template <class Owner>
class TopCropLine : public CropLine<Owner> {
public:
    void place(const QRectF& r) override { this->setLine(QLineF(r.topLeft(), r.topRight())); }
};

template <class Owner>
class RightCropLine : public CropLine<Owner> {
public:
    void place(const QRectF& r) override { this->setLine(QLineF(r.topRight(), r.bottomRight())); }
};

template <class Owner>
class BottomCropLine : public CropLine<Owner> {
public:
    void place(const QRectF& r) override {
        this->setLine(QLineF(r.bottomRight(), r.bottomLeft()));
    }
};

template <class Owner>
class LeftCropLine : public CropLine<Owner> {
public:
    void place(const QRectF& r) override { this->setLine(QLineF(r.bottomLeft(), r.topLeft())); }
};
