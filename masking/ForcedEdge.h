#pragma once

#include "masking/ArrowTarget.h"
#include "masking/Polygon.h"

#include <vector>

class QImage;

/// A line the engine must treat as an edge: a polyline with the width the mask generation
/// gives it.
class ForcedEdge : public ArrowTarget {
    Q_OBJECT
public:
    /// Widths outside this range are brought into it: the cut-out's ramp across the line is
    /// divided by the width, and its cost grows with it.
    static constexpr int smallestWidth = 1;
    static constexpr int largestWidth = 1024;

    ForcedEdge(const QPolygonF& points, int width, QObject* parent = nullptr);
    /// From a saved entry: the line under "poly_", the width under "width_".
    explicit ForcedEdge(const QVariant& entry, QObject* parent = nullptr);
    ~ForcedEdge() override = default;

    tq::Shape* shape() override { return &line_; }
    GmRegion* asRegion() override { return nullptr; }
    ForcedEdge* asForcedEdge() override { return this; }
    bool isBrushRegion() const override { return false; }
    bool isForcedEdge() const override { return true; }
    void activate() override;
    void deactivate() override;
    void changed() override {}
    QColor arrowStyle() const override;
    bool isActive() const override;
    /// Submits the Select that lays the line into the status image as forced edge.
    void applyToEngine() override;
    QVariant save() const override;
    /// Drops the line's engine mask.
    void resetEngineState(GmRegion* region = nullptr) override;

    tq::Polygon& line() { return line_; }
    const tq::Polygon& line() const { return line_; }

    // Forced edges at work -------------------------------------------------------------------
    /// The edge width the mask generation gives the line.
    int width() const { return width_; }
    /// The line's engine mask: the shape drawn one working pixel wide with round ends, in
    /// working coordinates; null when it covers no pixel of the working image.
    QImage* forcedEdgeMask();
    /// Forgets the engine mask once the engine has the line.
    void releaseForcedEdgeMask();
    /// The points in working coordinates as x, y pairs, for a mask generation to copy. Points
    /// that are not finite numbers (a damaged session) are left out.
    std::vector<float> workingPoints() const;
    // -----------------------------------------------------------------------------------------

private:
    tq::Polygon line_;
    int width_;
};
