#include "masking/JxCmdSelect.h"

#include "masking/GmModel.h"
#include "masking/GmStatusArray.h"
#include "masking/JxCmdHelpers.h"
#include "masking/OstrivalThread.h"

#include <QCoreApplication>

JxCmdSelect::JxCmdSelect(GmModel* model, GmRegion* region, JxPixelStatus change,
                         JxPixelStatus newStatus)
    : OstrivalCommand(model, QCoreApplication::translate("JxCmdSelect", "Making Selection..."),
                      JxOk),
      region_(region),
      change_(change),
      newStatus_(newStatus) {}

QString JxCmdSelect::description() const {
    return jxcmd::handleText(target_);
}

bool JxCmdSelect::prepare() {
    if (!jxcmd::isProcessModel(model()))
        return false;
    // Selections in a patch need the region's mask, which regions hand in themselves.
    if (region_)
        return false;
    session_ = jxcmd::modelSession(model());
    statusImage_ = jxcmd::modelStatusImage(model());
    target_ = session_;
    if (target_)
        selection_ = JxSelection{target_->x, target_->y, target_->width, target_->height, 0,
                                 0, nullptr};
    return target_ && statusImage_;
}

void JxCmdSelect::execute() {
    // Statuses that only move protection in and out are not steps the user undoes.
    if (result_ == JxOk && change_ != newStatus_ && change_ != JxStatusProtected &&
        newStatus_ != JxStatusProtected)
        result_ = JxBeginUndoGroup(session_);
    if (result_ == JxOk)
        result_ = JxSelect(target_, statusImage_, &selection_, newStatus_, change_, edgeAware_,
                           0.0f, &OstrivalThread::reportEngineProgress);
}

void JxCmdSelect::hasFinished() {
    checkResult(result_);
    if (GmModel* target = model()) {
        target->statusArray()->rescan();
        target->signalDirtyImageSlot(NoPatchPreview);
    }
}
