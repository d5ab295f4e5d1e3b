#pragma once

#include "masking/ArrowTarget.h"
#include "masking/SegmentationStuff.h"
#include "workspace/BlendingStuff.h"

/// A patch of the image analysed and blended with settings of its own in an engine
/// sub-session. The kinds of patch (rectangle, polygon, brush) derive from it.
class GmRegion : public ArrowTarget {
    Q_OBJECT
public:
    explicit GmRegion(QObject* parent = nullptr) : ArrowTarget(parent), smeg_(this), blendage_(this) {}
    ~GmRegion() override = default;

    GmRegion* asRegion() override { return this; }
    ForcedEdge* asForcedEdge() override { return nullptr; }
    bool isForcedEdge() const override { return false; }

    SegmentationStuff& smeg() { return smeg_; }
    BlendingStuff& blendage() { return blendage_; }
    bool isProtected() const { return protected_; }
    /// Stores the flag and brings the engine in line (protects, or re-protects the others).
    virtual void setProtected(bool isProtected) = 0;
    /// Submits the protection of this region.
    virtual void protectInEngine() = 0;

protected:
    SegmentationStuff smeg_;
    BlendingStuff blendage_;
    bool protected_ = false;
};
