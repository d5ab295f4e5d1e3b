#pragma once

#include "masking/GmShapeHost.h"

/// The masking model as the host of shapes and strokes: its divisor, its source picture's
/// working image and display rectangle, the brush size, its `rectDirty` signal and its list
/// of strokes. Serves whenever no other host is installed and the model exists.
class GmModelShapeHost : public GmShapeHost {
public:
    int resolution() const override;
    QRect workingImageRect() const override;
    QRectF displayImageRect() override;
    int brushSize() const override;
    void requestRepaint(const QRectF& imageRect, int dirtyHint, int previewWanted) override;
    void brushingCreated(GmBrushing* brushing) override;
    void brushingDestroyed(GmBrushing* brushing) override;
};
