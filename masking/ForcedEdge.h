#pragma once

#include "masking/ArrowTarget.h"

class QImage;

/// A line the engine must treat as an edge.
class ForcedEdge : public ArrowTarget {
    Q_OBJECT
public:
    using ArrowTarget::ArrowTarget;
    ~ForcedEdge() override = default;

    GmRegion* asRegion() override { return nullptr; }
    ForcedEdge* asForcedEdge() override { return this; }
    bool isBrushRegion() const override { return false; }
    bool isForcedEdge() const override { return true; }

    // Forced edges at work -------------------------------------------------------------------
    /// The edge width the mask generation gives the line.
    virtual int width() const = 0;
    /// The line's engine mask: the shape drawn one working pixel wide with round ends, in
    /// working coordinates; null when it covers no pixel of the working image.
    QImage* forcedEdgeMask();
    /// Forgets the engine mask once the engine has the line.
    void releaseForcedEdgeMask();
    // -----------------------------------------------------------------------------------------
};
