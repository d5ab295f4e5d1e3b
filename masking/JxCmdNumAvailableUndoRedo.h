#pragma once

#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

/// Reads how many undo and redo steps the image-wide session holds. The engine command thread runs it itself, on the GUI thread, after every command that changes the history.
class JxCmdNumAvailableUndoRedo : public OstrivalCommand {
    Q_OBJECT
public:
    JxCmdNumAvailableUndoRedo(GmModel* model);

    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool isCancellable() const override { return true; }
    bool countsAsModification() const override { return true; }
    bool refreshesUndoCounts() const override { return false; }

private:
    JxSession* session_ = nullptr;
    std::uint32_t undos_ = 0;
    std::uint32_t redos_ = 0;
};
