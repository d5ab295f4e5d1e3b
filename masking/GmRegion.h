#pragma once

#include "masking/ArrowTarget.h"
#include "masking/SegmentationStuff.h"
#include "workspace/BlendingStuff.h"

class QImage;

/// A patch of the image analysed and blended with settings of its own in an engine
/// sub-session. The kinds of patch (rectangle, polygon, brush) derive from it.
class GmRegion : public ArrowTarget {
    Q_OBJECT
public:
    explicit GmRegion(QObject* parent = nullptr) : ArrowTarget(parent), smeg_(this), blendage_(this) {}
    /// Restores the base part from the map stored under "GmRegion" ("smeg_", "blendage_",
    /// "isProtected_"); missing keys give the defaults.
    GmRegion(const QVariant& baseMap, QObject* parent);
    ~GmRegion() override = default;

    /// The base part's map, which each kind of region stores under "GmRegion".
    QVariant saveBase() const;

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

    // Regions at work ------------------------------------------------------------------------
    /// The shape's engine mask, drawn with a solid brush and no pen (working coordinates);
    /// null when the shape covers no pixel of the working image.
    QImage* regionMask();
    // -----------------------------------------------------------------------------------------

protected:
    SegmentationStuff smeg_;
    BlendingStuff blendage_;
    bool protected_ = false;
};
