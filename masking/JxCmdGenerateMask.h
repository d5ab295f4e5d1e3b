#pragma once

#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

#include <QImage>

#include <atomic>
#include <vector>

/// The modification count of the engine command thread when the last mask generation
/// succeeded; 1 while a generation runs on the engine command thread.
extern std::atomic<int> theLastMaskModification;

/// Generates the whole image's cut-out into the output image from the statuses, the forced
/// edges and the regions with their own blending settings. Everything the engine reads is
/// taken in `prepare` and owned by the command: the forced edges' points and the regions'
/// masks are copies, so a target deleted while the command runs changes nothing it reads.
class JxCmdGenerateMask : public OstrivalCommand {
    Q_OBJECT
public:
    explicit JxCmdGenerateMask(GmModel* model);

    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool refreshesUndoCounts() const override { return true; }

    int forcedEdgeCount() const { return int(forcedEdges_.size()); }
    int regionCount() const { return int(regions_.size()); }

private:
    float autoBlendWidth_;
    float blendRatio_;
    JxSession* session_ = nullptr;
    JxImage* statusImage_ = nullptr;
    JxImage output_{};
    JxImage source_{};
    std::vector<std::vector<float>> edgePoints_;
    std::vector<JxForcedEdge> forcedEdges_;
    std::vector<QImage> regionMasks_;
    std::vector<JxMaskRegion> regions_;
};
