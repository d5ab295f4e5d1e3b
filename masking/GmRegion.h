#pragma once

#include "masking/ArrowTarget.h"
#include "masking/SegmentationStuff.h"
#include "masking/BlendingStuff.h"

class QImage;
struct JxSession;

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

    void activate() override;
    void deactivate() override;
    /// Ends the region's sub-session and begins it again over the altered outline.
    void changed() override;
    QColor arrowStyle() const override;
    bool isActive() const override;
    /// Begins the region's sub-session, analyses it when its edge finding is on, and protects
    /// it when it is protected.
    void applyToEngine() override;
    /// Clears the vector edges and takes the region out of the engine's protection for the
    /// moment. Without `region` the sub-session is ended and the region kept; with it (when the
    /// engine command thread is open) the sub-session is ended and `region` deleted.
    void resetEngineState(GmRegion* region = nullptr) override;

    SegmentationStuff& smeg() { return smeg_; }
    BlendingStuff& blendage() { return blendage_; }
    bool isProtected() const { return protected_; }
    /// Stores the flag and brings the engine in line (protects, or re-protects the others).
    virtual void setProtected(bool isProtected);
    /// Submits the protection of this region.
    virtual void protectInEngine();
    /// The engine began the region's sub-session: the outline takes the sub-session's edges.
    void shapeEdgesRebuilt(const JxSession* subSession);

    // Regions at work ------------------------------------------------------------------------
    /// The shape's engine mask, drawn with a solid brush and no pen (working coordinates);
    /// null when the shape covers no pixel of the working image.
    QImage* regionMask();
    // -----------------------------------------------------------------------------------------

protected:
    /// The type key and base part every kind of region writes first.
    QVariantMap saveHead(int type) const;

    SegmentationStuff smeg_;
    BlendingStuff blendage_;
    bool protected_ = false;
};
