#include "masking/JxCmdUndo.h"

#include "masking/GmModel.h"
#include "masking/JxCmdHelpers.h"
#include "masking/GmStatusArray.h"
#include "masking/OstrivalThread.h"

#include <QCoreApplication>

JxCmdUndo::JxCmdUndo(GmModel* model)
    : OstrivalCommand(model, QCoreApplication::translate("JxCmdUndo", "Undoing...")) {}

bool JxCmdUndo::prepare() {
    session_ = jxcmd::modelSession(model());
    return session_ != nullptr;
}

void JxCmdUndo::execute() {
    result_ = JxUndo(session_, &OstrivalThread::reportEngineProgress);
}

void JxCmdUndo::hasFinished() {
    checkResult(result_);
    if (GmModel* target = model()) {
        target->statusArray()->rescan();
        target->signalDirtyImageSlot(NoPatchPreview);
    }
}
