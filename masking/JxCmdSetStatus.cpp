#include "masking/JxCmdSetStatus.h"

#include "masking/GmModel.h"
#include "masking/GmStatusArray.h"
#include "masking/JxCmdHelpers.h"
#include "masking/OstrivalThread.h"

#include <QCoreApplication>

JxCmdSetStatus::JxCmdSetStatus(GmModel* model, const QImage& statuses)
    : OstrivalCommand(model,
                      QCoreApplication::translate("JxCmdSetStatus", "Setting Status Image...")),
      statuses_(statuses.convertToFormat(QImage::Format_Indexed8)) {}

bool JxCmdSetStatus::prepare() {
    session_ = jxcmd::modelSession(model());
    statusImage_ = jxcmd::modelStatusImage(model());
    if (!session_ || statuses_.isNull())
        return false;
    selection_ = JxSelection{statuses_.offset().x(), statuses_.offset().y(), statuses_.width(),
                             statuses_.height(), int(statuses_.bytesPerLine()), JxFormatStatus,
                             statuses_.constBits()};
    return true;
}

void JxCmdSetStatus::execute() {
    result_ = JxSetStatus(session_, statusImage_, &selection_, &OstrivalThread::reportEngineProgress);
}

void JxCmdSetStatus::hasFinished() {
    checkResult(result_);
    if (GmModel* target = model()) {
        target->statusArray()->rescan();
        target->signalDirtyImageSlot(NoPatchPreview);
    }
}
