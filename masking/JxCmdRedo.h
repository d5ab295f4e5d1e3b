#pragma once

#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

/// Redoing one step of the image-wide session's history.
class JxCmdRedo : public OstrivalCommand {
    Q_OBJECT
public:
    JxCmdRedo(GmModel* model);

    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool isCancellable() const override { return false; }
    bool countsAsModification() const override { return true; }
    bool refreshesUndoCounts() const override { return true; }

private:
    JxSession* session_ = nullptr;
};
