#include "masking/JxCmdInit.h"

#include "masking/GmModel.h"
#include "masking/JxCmdHelpers.h"

#include <QCoreApplication>

JxCmdInit::JxCmdInit(GmModel* model)
    : OstrivalCommand(model, QCoreApplication::translate("JxCmdInit", "Initializing...")) {}

bool JxCmdInit::prepare() {
    return true;
}

void JxCmdInit::execute() {
    engine_ = JxInit();
    result_ = engine_ ? JxOk : JxOutOfMemory;
}

void JxCmdInit::hasFinished() {
    // Without an engine every later command would fail without a word.
    if (!engine_)
        throw outOfMemoryError();
    if (GmModel* target = model())
        target->setEngine(engine_);
}
