#pragma once

#include "masking/MaskSelection.h"
#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

#include <QImage>
#include <QPointer>

class ForcedEdge;
class GmBrushing;
class GmRegion;
class SegmentationStuff;

/// Changes statuses: every pixel whose status matches `change` takes `newStatus`, within the
/// whole image (no region: the session's whole box), a region's mask (in the region's
/// sub-session, its statuses pulled from the image before and pushed back after), a brush
/// stroke or a forced edge's line. The engine reads only the command's own copy of a mask,
/// clipped to the working image.
class JxCmdSelect : public OstrivalCommand {
    Q_OBJECT
public:
    JxCmdSelect(GmModel* model, GmRegion* region, JxPixelStatus change, JxPixelStatus newStatus);

    // Brush strokes and forced edges ----------------------------------------------------------
    /// A brush stroke: the stroke's pixels are the selection, in the active region's session
    /// or the image's. The command owns the stroke and deletes it with itself. A non-zero
    /// `edgeAware` selects along the analysed edges; `autoComplex` 0 cleans a stroke of keep
    /// over delete (or of delete over keep) with Auto complex and Despeckle.
    JxCmdSelect(GmModel* model, GmBrushing* stroke, JxPixelStatus change, JxPixelStatus newStatus,
                int edgeAware, int autoComplex);
    /// A forced edge: its line becomes status 16 where the pixels are unassigned.
    JxCmdSelect(GmModel* model, ForcedEdge* edge);
    ~JxCmdSelect() override;
    // -----------------------------------------------------------------------------------------

    QString description() const override;
    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool refreshesUndoCounts() const override { return true; }

    JxPixelStatus change() const { return change_; }
    JxPixelStatus newStatus() const { return newStatus_; }
    /// A stroke that follows the edges: refused unless the edge finding has run.
    bool needsAnalysis() const { return needsAnalysis_; }

private:
    GmRegion* region_;
    JxPixelStatus change_;
    JxPixelStatus newStatus_;
    int edgeAware_ = 0;
    JxSession* target_ = nullptr;
    JxSession* session_ = nullptr;
    JxImage* statusImage_ = nullptr;
    JxSelection selection_{0, 0, 0, 0, 0, 0, nullptr};

    // Brush strokes and forced edges ----------------------------------------------------------
    enum class Form { WholeImage, Brushing, ForcedEdge };
    Form form_ = Form::WholeImage;
    GmBrushing* stroke_ = nullptr;             // owned
    QPointer<SegmentationStuff> holder_;
    QPointer<ForcedEdge> edge_;
    bool holderIsRegions_ = false;
    bool needsAnalysis_ = false;
    int autoComplex_ = 1;
    float autoBlendWidth_ = -1.0f;
    MaskSelection mask_;                       // the engine reads only this copy
    // Snapshots of `prepare` for `execute`, which never reads a guarded pointer.
    bool pullAndPush_ = false;
    bool clean_ = false;
    // -----------------------------------------------------------------------------------------
};
