#include "masking/JxCmdNewStatusImage.h"

#include "masking/GmModel.h"
#include "masking/GmStatusArray.h"
#include "masking/JxCmdHelpers.h"
#include "masking/TqSourceImage.h"

#include <QCoreApplication>

JxCmdNewStatusImage::JxCmdNewStatusImage(GmModel* model)
    : OstrivalCommand(model, QCoreApplication::translate("JxCmdNewStatusImage",
                                                         "Creating New Status Image...")) {}

bool JxCmdNewStatusImage::prepare() {
    GmModel* target = model();
    engine_ = target ? target->engine() : nullptr;
    image_ = jxcmd::workingImageOf(target);
    if (target && target->sourceImage())
        working_ = target->sourceImage()->workingImage();
    return true;
}

void JxCmdNewStatusImage::execute() {
    handle_ = JxNewImage(engine_, image_);
    result_ = handle_ ? JxOk : JxRefused;
}

void JxCmdNewStatusImage::hasFinished() {
    GmModel* target = model();
    if (!target)
        return;
    target->setStatusImage(handle_);
}
