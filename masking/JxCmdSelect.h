#pragma once

#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

#include <QImage>
#include <QPointer>

class GmRegion;
class SegmentationStuff;

/// Changes statuses: every pixel whose status matches `change` takes `newStatus`. Built here
/// for the whole image (no region): the selection is the session's whole box.
class JxCmdSelect : public OstrivalCommand {
    Q_OBJECT
public:
    JxCmdSelect(GmModel* model, GmRegion* region, JxPixelStatus change, JxPixelStatus newStatus);

    QString description() const override;
    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool refreshesUndoCounts() const override { return true; }

    JxPixelStatus change() const { return change_; }
    JxPixelStatus newStatus() const { return newStatus_; }

private:
    GmRegion* region_;
    JxPixelStatus change_;
    JxPixelStatus newStatus_;
    int edgeAware_ = 0;
    JxSession* target_ = nullptr;
    JxSession* session_ = nullptr;
    JxImage* statusImage_ = nullptr;
    JxSelection selection_{0, 0, 0, 0, 0, 0, nullptr};
};
