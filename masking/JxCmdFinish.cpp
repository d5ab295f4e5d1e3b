#include "masking/JxCmdFinish.h"

#include "masking/GmModel.h"
#include "masking/JxCmdHelpers.h"

#include <QCoreApplication>

JxCmdFinish::JxCmdFinish(GmModel* model)
    : OstrivalCommand(model, QCoreApplication::translate("JxCmdFinish", "Finishing...")) {}

bool JxCmdFinish::prepare() {
    engine_ = model() ? model()->engine() : nullptr;
    return engine_ != nullptr;
}

void JxCmdFinish::execute() {
    result_ = JxFinish(engine_);
}

void JxCmdFinish::hasFinished() {
    if (GmModel* target = model())
        target->setEngine(nullptr);
    checkResult(result_);
}
