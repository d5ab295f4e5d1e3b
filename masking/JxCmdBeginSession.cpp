#include "masking/JxCmdBeginSession.h"

#include "masking/GmModel.h"
#include "masking/JxCmdHelpers.h"
#include "masking/OstrivalThread.h"
#include "masking/SegmentationStuff.h"
#include "masking/TqSourceImage.h"

#include <QCoreApplication>

JxCmdBeginSession::JxCmdBeginSession(GmModel* model, int preservation)
    : OstrivalCommand(model,
                      QCoreApplication::translate("JxCmdBeginSession", "Beginning Session...")),
      preservation_(preservation) {}

QString JxCmdBeginSession::description() const {
    return jxcmd::handleText(session_);
}

bool JxCmdBeginSession::prepare() {
    GmModel* target = model();
    engine_ = target ? target->engine() : nullptr;
    image_ = jxcmd::workingImageOf(target);
    if (target && target->sourceImage())
        working_ = target->sourceImage()->workingImage();
    holder_ = target ? target->imageSmeg() : nullptr;
    holderAlive_ = !holder_.isNull();
    return true;
}

void JxCmdBeginSession::execute() {
    if (!holderAlive_)
        return;
    session_ = JxBeginSession(engine_, image_, &OstrivalThread::reportEngineProgress);
    result_ = session_ ? JxOk : JxRefused;
    if (session_) {
        suggested_.tolerance = session_->edgeTolerance;
        suggested_.width = std::int32_t(session_->edgeWidth);
        suggested_.contrast = std::uint8_t(session_->edgeFlags & 0xFF);
        suggested_.texture = std::uint8_t((session_->edgeFlags >> 8) & 0xFF);
    }
}

void JxCmdBeginSession::hasFinished() {
    if (!holder_ || !session_)
        return;
    holder_->setSession(session_);
    if (!holder_->region()) {
        holder_->setAnalysedSession(session_);
        holder_->refreshVectorEdges();
    }
    if (GmModel* target = model())
        target->sessionBegun(suggested_, preservation_);
}
