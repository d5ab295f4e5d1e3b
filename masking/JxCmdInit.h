#pragma once

#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

/// Creates the engine of the opened image.
class JxCmdInit : public OstrivalCommand {
    Q_OBJECT
public:
    JxCmdInit(GmModel* model);

    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool isCancellable() const override { return false; }
    bool countsAsModification() const override { return true; }
    bool refreshesUndoCounts() const override { return false; }

private:
    JxEngine* engine_ = nullptr;
};
