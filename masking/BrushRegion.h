#pragma once

#include "masking/Brushing.h"
#include "masking/GmRegion.h"

/// A patch painted with the brush: the stroke's pixels are the patch.
class BrushRegion : public GmRegion {
    Q_OBJECT
public:
    /// An empty stroke the size of the current working image, shown in `colour`.
    explicit BrushRegion(const QColor& colour, QObject* parent = nullptr);
    /// From a saved entry: the base part under "GmRegion", the stroke under "brushing_".
    explicit BrushRegion(const QVariant& entry, QObject* parent = nullptr);

    tq::Shape* shape() override { return &stroke_; }
    bool isBrushRegion() const override { return true; }
    bool canPreview() const override { return true; }
    QVariant save() const override;

    Brushing& stroke() { return stroke_; }

private:
    Brushing stroke_;
};
