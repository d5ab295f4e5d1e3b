#pragma once

#include "masking/OstrivalCommand.h"
#include "masking/EdgeDetectionRecord.h"

#include "classification/JxInterface.h"

#include <QImage>
#include <QPointer>

class SegmentationStuff;

/// Begins the image-wide session over the working image and takes the engine's suggested
/// edge-detection settings.
class JxCmdBeginSession : public OstrivalCommand {
    Q_OBJECT
public:
    JxCmdBeginSession(GmModel* model, int preservation);

    QString description() const override;
    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool isCancellable() const override { return false; }

private:
    int preservation_;
    JxEngine* engine_ = nullptr;
    JxImage image_{0, 0, 0, 0, nullptr};
    QImage working_;   // keeps the working pixels alive while the engine reads them
    QPointer<SegmentationStuff> holder_;
    bool holderAlive_ = false;   // decided in prepare: execute must not read the guarded pointer
    JxSession* session_ = nullptr;
    EdgeDetectionRecord suggested_;
};
