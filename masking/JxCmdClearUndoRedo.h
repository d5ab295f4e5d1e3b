#pragma once

#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

/// Empties the undo and redo history of the image-wide session.
class JxCmdClearUndoRedo : public OstrivalCommand {
    Q_OBJECT
public:
    JxCmdClearUndoRedo(GmModel* model);

    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool isCancellable() const override { return false; }
    bool countsAsModification() const override { return true; }
    bool refreshesUndoCounts() const override { return true; }

private:
    JxSession* session_ = nullptr;
};
