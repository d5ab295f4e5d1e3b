#pragma once

#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

#include <QImage>

/// Writes a whole status image (one status byte per working pixel) into the engine: the
/// statuses of a restored session.
class JxCmdSetStatus : public OstrivalCommand {
    Q_OBJECT
public:
    JxCmdSetStatus(GmModel* model, const QImage& statuses);

    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool isCancellable() const override { return false; }
    bool countsAsModification() const override { return false; }
    bool refreshesUndoCounts() const override { return true; }

private:
    QImage statuses_;
    JxSession* session_ = nullptr;
    JxImage* statusImage_ = nullptr;
    JxSelection selection_{0, 0, 0, 0, 0, 0, nullptr};
};
