#pragma once

#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

/// Detaches the status image from the engine's status buffer at once; on the engine thread it
/// only checks that the handle still names an engine image (the engine frees its images when
/// it is finished).
class JxCmdDeleteStatusImage : public OstrivalCommand {
    Q_OBJECT
public:
    explicit JxCmdDeleteStatusImage(GmModel* model);

    void execute() override;
    void hasFinished() override;
    bool isCancellable() const override { return false; }

private:
    JxImage* handle_ = nullptr;
};
