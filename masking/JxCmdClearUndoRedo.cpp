#include "masking/JxCmdClearUndoRedo.h"

#include "masking/GmModel.h"
#include "masking/JxCmdHelpers.h"

#include <QCoreApplication>

JxCmdClearUndoRedo::JxCmdClearUndoRedo(GmModel* model)
    : OstrivalCommand(model, QCoreApplication::translate("JxCmdClearUndoRedo", "Clearing Undo Stack...")) {}

bool JxCmdClearUndoRedo::prepare() {
    session_ = jxcmd::modelSession(model());
    return session_ != nullptr;
}

void JxCmdClearUndoRedo::execute() {
    result_ = JxClearUndoRedo(session_);
}

void JxCmdClearUndoRedo::hasFinished() {
    checkResult(result_);
}
