#pragma once

#include <QPointF>
#include <QRectF>

/// Small geometry helpers of the canvas, the navigator, the strokes and the composition scene.
/// No state; any thread.

QPointF floorPoint(double x, double y);
QPointF offsetPoint(const QPointF& p, double dx, double dy);
QRectF rectFromSize(double width, double height);
/// Makes the rectangle's edges whole numbers, growing it to contain what it held.
void alignRectOutward(QRectF& rect);
/// A negative margin shrinks.
QRectF grownRect(const QRectF& r, double margin);
/// `r` divided by `factor`, which must not be 0.
QRectF scaledDownRect(const QRectF& r, double factor);
