#include "masking/JxCmdHistoryStep.h"

#include "masking/GmModel.h"
#include "masking/GmStatusArray.h"
#include "masking/JxCmdHelpers.h"
#include "masking/OstrivalThread.h"

JxCmdHistoryStep::JxCmdHistoryStep(GmModel* model, const QString& name, Step step)
    : OstrivalCommand(model, name), step_(step) {}

bool JxCmdHistoryStep::prepare() {
    session_ = jxcmd::modelSession(model());
    return session_ != nullptr;
}

void JxCmdHistoryStep::execute() {
    result_ = step_(session_, &OstrivalThread::reportEngineProgress);
}

void JxCmdHistoryStep::hasFinished() {
    checkResult(result_);
    if (GmModel* target = model()) {
        target->statusArray()->rescan();
        target->signalDirtyImageSlot(NoPatchPreview);
    }
}
