#include "masking/JxCmdAnalyseImage.h"

#include "masking/GmModel.h"
#include "masking/GmRegion.h"
#include "masking/JxCmdEndSession.h"
#include "masking/JxCmdHelpers.h"
#include "masking/OstrivalThread.h"
#include "masking/SegmentationStuff.h"

#include <QCoreApplication>

JxCmdAnalyseImage::JxCmdAnalyseImage(GmModel* model, GmRegion* region,
                                     SegmentationStuff* holder)
    : OstrivalCommand(model,
                      region ? QCoreApplication::translate("JxCmdAnalyseImage",
                                                           "Finding Edges in Patch...", "[tq3]")
                             : QCoreApplication::translate("JxCmdAnalyseImage",
                                                           "Finding Edges in Image...")),
      region_(region),
      holder_(holder) {
    if (holder)
        options_ = holder->options().appliedRecord();
}

QString JxCmdAnalyseImage::description() const {
    return jxcmd::handleText(analysisSession_);
}

void JxCmdAnalyseImage::setRegionSelection(const QImage& mask) {
    mask_ = mask;
    if (mask_.isNull()) {
        hasSelection_ = false;
        return;
    }
    selection_ = JxSelection{mask_.offset().x(), mask_.offset().y(), mask_.width(),
                             mask_.height(), int(mask_.bytesPerLine()),
                             mask_.format() == QImage::Format_Indexed8 ? 0 : 1, mask_.constBits()};
    hasSelection_ = true;
}

bool JxCmdAnalyseImage::prepare() {
    if (!holder_)
        return false;
    analysisSession_ = holder_->analysedSession();
    if (!analysisSession_) {
        if (region_) {
            // A region's analysis sub-session lies in the image-wide session, over the mask
            // the region's shape keeps: the engine reads it until the sub-session ends, and
            // the region's end-session command keeps that mask alive until then. The holder
            // still existing means its region does too.
            session_ = jxcmd::modelSession(model());
            const QImage* mask = region_->regionMask();
            setRegionSelection(mask ? *mask : QImage());
        } else {
            session_ = holder_->session() ? holder_->session() : jxcmd::modelSession(model());
            analysisSession_ = session_;   // the image-wide session analyses itself
        }
    }
    if (!analysisSession_ && !(session_ && region_ && hasSelection_))
        return false;
    holder_->vectorEdges().clear();
    if (GmModel* target = model())
        target->signalDirtyImageSlot(NoPatchPreview);
    return true;
}

void JxCmdAnalyseImage::execute() {
    if (!analysisSession_) {
        analysisSession_ = JxBeginSubSession(session_, &selection_, 1,
                                             &OstrivalThread::reportEngineProgress);
        createdHere_ = analysisSession_ != nullptr;
        qWarning("JxBeginSubSession (for analysis) finished (%p)",
                 static_cast<void*>(analysisSession_));
        result_ = analysisSession_ ? JxOk : JxRefused;
    }
    if (analysisSession_) {
        const std::int32_t flags = std::int32_t(options_.contrast) |
                                   (std::int32_t(options_.texture) << 8);
        result_ = JxSetEdgeDetectionOptions(analysisSession_, options_.tolerance,
                                            std::uint32_t(options_.width), flags);
        if (result_ == JxOk)
            result_ = JxAnalyseImage(analysisSession_, &OstrivalThread::reportEngineProgress);
    }
}

void JxCmdAnalyseImage::hasFinished() {
    checkResult(result_);
    if (createdHere_) {
        if (holder_) {
            holder_->setAnalysedSession(analysisSession_);
            holder_->refreshVectorEdges();
        } else if (OstrivalThread* thread = theEngineThread) {
            thread->submit(new JxCmdEndSession(model(), analysisSession_, nullptr, nullptr, nullptr));
        }
    }
    if (!holder_)
        return;
    // Only the holder's latest analysis speaks for its options: one that a newer analysis
    // cancelled or overtook must leave the newer one's applied options alone.
    const bool latest = holder_->runningAnalysis() == this;
    if (result_ == JxOk && analysisSession_) {
        if (latest)
            holder_->options().saveAll();   // what a later failure goes back to
        if (GmModel* target = model())
            emit target->smegChanged();
        holder_->refreshVectorEdges();
    } else if (latest) {
        // The analysis did not take: the options of the last one that did come back.
        holder_->options().restoreAll();
    }
}
