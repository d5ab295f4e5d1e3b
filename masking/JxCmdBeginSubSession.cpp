#include "masking/JxCmdBeginSubSession.h"

#include "masking/GmModel.h"
#include "masking/GmRegion.h"
#include "masking/GmShapeHost.h"
#include "masking/JxCmdHelpers.h"
#include "masking/OstrivalThread.h"
#include "masking/SegmentationStuff.h"

#include <QCoreApplication>
#include <QImage>

JxCmdBeginSubSession::JxCmdBeginSubSession(GmModel* model, GmRegion* region)
    : OstrivalCommand(model, QCoreApplication::translate("JxCmdBeginSubSession",
                                                         "Beginning Sub-Session...", "[tq3]")),
      region_(region) {}

QString JxCmdBeginSubSession::description() const {
    return jxcmd::handleText(subSession_);
}

bool JxCmdBeginSubSession::prepare() {
    if (!region_)
        return false;
    session_ = jxcmd::modelSession(model());
    if (!session_) {
        qWarning("JxCmdBeginSubSession::prepare: No JxSession!");
        return false;
    }
    const QImage* mask = region_->regionMask();
    GmShapeHost* host = GmShapeHost::current();
    const QRect working = host ? host->workingImageRect() : QRect();
    // The engine does not clip: a mask reaching outside the working image is never handed on.
    if (!mask || mask->format() != QImage::Format_Indexed8
        || !working.contains(QRect(mask->offset(), mask->size()))) {
        qWarning("JxCmdBeginSubSession::prepare: No JxSelection!");
        regionUseless_ = true;
        return false;
    }
    selection_ = JxSelection{mask->offset().x(), mask->offset().y(), mask->width(), mask->height(),
                             int(mask->bytesPerLine()), 0, mask->constBits()};
    return true;
}

void JxCmdBeginSubSession::execute() {
    subSession_ = JxBeginSubSession(session_, &selection_, 0, &OstrivalThread::reportEngineProgress);
    result_ = subSession_ ? JxOk : JxRefused;
    regionUseless_ = !subSession_;
}

void JxCmdBeginSubSession::hasFinished() {
    checkResult(result_);
    if (!region_)
        return;
    SegmentationStuff& holder = region_->smeg();
    holder.setSession(subSession_);
    if (subSession_) {
        region_->shapeEdgesRebuilt(subSession_);
        return;
    }
    GmModel* target = model();
    if (regionUseless_ && target && target->regions().contains(region_.data()))
        target->deleteRegion(region_.data());
}
