#pragma once

#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

/// Deletes the engine with all its sessions and images.
class JxCmdFinish : public OstrivalCommand {
    Q_OBJECT
public:
    JxCmdFinish(GmModel* model);

    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool isCancellable() const override { return false; }
    bool countsAsModification() const override { return true; }
    bool refreshesUndoCounts() const override { return false; }

private:
    JxEngine* engine_ = nullptr;
};
