#pragma once

#include <QMetaType>
#include <QPointF>
#include <QRectF>

/// A rectangle in full-image pixel coordinates. Negative width or height means no rectangle;
/// the canonical empty value is (0, 0, -1, -1).
class ImageRectF : public QRectF {
public:
    using QRectF::QRectF;
    ImageRectF() : QRectF(0.0, 0.0, -1.0, -1.0) {}
    ImageRectF(const QRectF& rect) : QRectF(rect) {}   // NOLINT: the two are one layout
};

/// A point in full-image pixel coordinates.
class ImagePointF : public QPointF {
public:
    using QPointF::QPointF;
    ImagePointF() = default;
    ImagePointF(const QPointF& point) : QPointF(point) {}   // NOLINT
};

/// What changed in a repaint request: pixels (0), a thin outline (1), or a region or
/// forced-edge outline (2). The canvas grows the rectangle by 0, 2 or 4.5 screen pixels.
enum DirtyHint : int { DirtyPixels = 0, DirtyOutline = 1, DirtyRegionOutline = 2 };

/// Whether the canvas first discards the patch preview it shows.
enum PatchPreviewWanted : int { NoPatchPreview = 0, DiscardPatchPreview = 1 };

namespace GmSession {
/// 1: opening an image or changing the resolution (the resolution and edge settings are
/// chosen afresh unless options persist); 0: restoring a saved model (they stay).
enum SettingsPreservation : int { KeepSettings = 0, ChooseSettings = 1 };
}

Q_DECLARE_METATYPE(ImageRectF)
Q_DECLARE_METATYPE(ImagePointF)
