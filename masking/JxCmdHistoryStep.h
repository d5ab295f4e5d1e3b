#pragma once

#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

/// One step through the image-wide session's history (undo or redo); the status image then
/// shows the statuses the step brought back.
class JxCmdHistoryStep : public OstrivalCommand {
    Q_OBJECT
public:
    using Step = int (*)(JxSession*, JxProgressCallback) noexcept;

    JxCmdHistoryStep(GmModel* model, const QString& name, Step step);

    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool isCancellable() const override { return false; }
    bool refreshesUndoCounts() const override { return true; }

private:
    Step step_;
    JxSession* session_ = nullptr;
};
