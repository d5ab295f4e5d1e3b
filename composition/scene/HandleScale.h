#pragma once

#include <QSet>

class QGraphicsItem;

/// The graphics items of every existing item handle; handles add and remove themselves.
extern QSet<QGraphicsItem*> handleItems;
/// The scale that keeps handles at one on-screen size: the inverse of the view's zoom.
extern double handleScale;

/// Makes every handle's scale the inverse of `zoom`. A zoom that is not finite and positive
/// is ignored, so no handle gets a transform that cannot be inverted.
void setHandleZoom(double zoom);
/// Resets the item's transform to the scale `handleScale`.
void applyHandleScale(QGraphicsItem* item);
