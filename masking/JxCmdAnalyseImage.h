#pragma once

#include "masking/OstrivalCommand.h"
#include "masking/EdgeDetectionRecord.h"

#include "classification/JxInterface.h"

#include <QImage>
#include <QPointer>

class GmRegion;
class SegmentationStuff;

/// Finds the edges of the image or of a region with the holder's applied options; begins the
/// holder's analysis sub-session first when it has none.
class JxCmdAnalyseImage : public OstrivalCommand {
    Q_OBJECT
public:
    JxCmdAnalyseImage(GmModel* model, GmRegion* region, SegmentationStuff* holder);

    QString description() const override;
    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool countsAsModification() const override { return false; }

    /// The selection a region's analysis begins its sub-session with; null without region.
    /// Filled by the region's shape (the mask image must stay alive until the command is gone).
    void setRegionSelection(const QImage& mask);

private:
    GmRegion* region_;
    QPointer<SegmentationStuff> holder_;
    EdgeDetectionRecord options_;
    JxSession* analysisSession_ = nullptr;
    JxSession* session_ = nullptr;
    QImage mask_;
    JxSelection selection_{0, 0, 0, 0, 0, 0, nullptr};
    bool hasSelection_ = false;
    bool createdHere_ = false;
};
