#include "masking/JxCmdRedo.h"

#include "masking/GmModel.h"
#include "masking/JxCmdHelpers.h"
#include "masking/GmStatusArray.h"
#include "masking/OstrivalThread.h"

#include <QCoreApplication>

JxCmdRedo::JxCmdRedo(GmModel* model)
    : OstrivalCommand(model, QCoreApplication::translate("JxCmdRedo", "Redoing...")) {}

bool JxCmdRedo::prepare() {
    session_ = jxcmd::modelSession(model());
    return session_ != nullptr;
}

void JxCmdRedo::execute() {
    result_ = JxRedo(session_, &OstrivalThread::reportEngineProgress);
}

void JxCmdRedo::hasFinished() {
    checkResult(result_);
    if (GmModel* target = model()) {
        target->statusArray()->rescan();
        target->signalDirtyImageSlot(NoPatchPreview);
    }
}
