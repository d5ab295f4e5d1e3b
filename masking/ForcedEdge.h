#pragma once

#include "masking/ArrowTarget.h"

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
};
