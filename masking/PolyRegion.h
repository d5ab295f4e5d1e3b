#pragma once

#include "masking/GmRegion.h"
#include "masking/Polygon.h"

/// A patch bounded by a closed polygon.
class PolyRegion : public GmRegion {
    Q_OBJECT
public:
    explicit PolyRegion(const QPolygonF& points, QObject* parent = nullptr);
    /// From a saved entry: the base part under "GmRegion", the polygon under "poly_".
    explicit PolyRegion(const QVariant& entry, QObject* parent = nullptr);

    tq::Shape* shape() override { return &polygon_; }
    bool isBrushRegion() const override { return false; }
    bool canPreview() const override { return true; }
    QVariant save() const override;

    tq::Polygon& polygon() { return polygon_; }

private:
    tq::Polygon polygon_;
};
