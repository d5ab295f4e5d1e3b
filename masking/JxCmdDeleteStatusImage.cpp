#include "masking/JxCmdDeleteStatusImage.h"

#include "masking/GmModel.h"
#include "masking/GmStatusArray.h"

#include <QCoreApplication>

JxCmdDeleteStatusImage::JxCmdDeleteStatusImage(GmModel* model)
    : OstrivalCommand(model, QCoreApplication::translate("JxCmdDeleteStatusImage",
                                                         "Deleting Status Image...")) {
    if (model) {
        handle_ = model->statusArray()->engineImage();
        model->setStatusImage(nullptr);
    }
}

void JxCmdDeleteStatusImage::execute() {
    // The engine checks the handle against its table of live images, so a stale one is
    // never read.
    result_ = JxCheckImage(handle_) == JxOk ? JxOk : JxBadImage;
}

void JxCmdDeleteStatusImage::hasFinished() {
    checkResult(result_);
    GmModel* target = model();
    if (!target)
        return;
    // A new status image may have arrived in the meantime: only ours is detached.
    const JxImage* current = target->statusArray()->engineImage();
    if (!current || current == handle_)
        target->setStatusImage(nullptr);
    target->statusArray()->rescan();
    target->signalDirtyImageSlot(NoPatchPreview);
}
