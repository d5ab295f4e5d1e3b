#pragma once

#include "masking/GmRegion.h"
#include "masking/Rectangle.h"

/// A rectangular patch. Its moving corner snaps to working pixels.
class RectRegion : public GmRegion {
    Q_OBJECT
public:
    explicit RectRegion(const QRectF& rect, QObject* parent = nullptr);
    /// From a saved entry: the base part under "GmRegion", the rectangle under "rectangle_".
    explicit RectRegion(const QVariant& entry, QObject* parent = nullptr);

    tq::Shape* shape() override { return &rectangle_; }
    bool isBrushRegion() const override { return false; }
    bool canPreview() const override { return true; }
    QVariant save() const override;

    tq::Rectangle& rectangle() { return rectangle_; }

private:
    tq::Rectangle rectangle_;
};
