#include "masking/JxCmdNumAvailableUndoRedo.h"

#include "masking/GmModel.h"
#include "masking/JxCmdHelpers.h"

#include <QCoreApplication>

JxCmdNumAvailableUndoRedo::JxCmdNumAvailableUndoRedo(GmModel* model)
    : OstrivalCommand(model, QCoreApplication::translate("JxCmdNumAvailableUndoRedo", "Examining undo stack...")) {}

bool JxCmdNumAvailableUndoRedo::prepare() {
    session_ = jxcmd::modelSession(model());
    return session_ != nullptr;
}

void JxCmdNumAvailableUndoRedo::execute() {
    if (JxNumAvailableUndos(session_, &undos_) != JxOk)
        undos_ = 0;
    if (JxNumAvailableRedos(session_, &redos_) != JxOk)
        redos_ = 0;
    result_ = JxOk;
}

void JxCmdNumAvailableUndoRedo::hasFinished() {
    if (GmModel* target = model())
        target->setUndoCounts(undos_, redos_);
}
