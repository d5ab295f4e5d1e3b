#include "masking/JxCmdEndSession.h"

#include "masking/GmModel.h"
#include "masking/GmRegion.h"
#include "masking/JxCmdHelpers.h"
#include "masking/OstrivalThread.h"
#include "masking/PixelState.h"
#include "masking/SegmentationStuff.h"
#include "masking/Shape.h"
#include "masking/TqSourceImage.h"

#include <QCoreApplication>

namespace {

QString endSessionName() {
    return QCoreApplication::translate("JxCmdEndSession", "Ending Session...");
}

}  // namespace

JxCmdEndSession::JxCmdEndSession(GmModel* model, JxSession* session, JxSession* subSession,
                                 TqSourceImage* source, TqSourceImage* output)
    : OstrivalCommand(model, endSessionName()),
      session_(session),
      subSession_(subSession),
      source_(source),
      output_(output),
      handlesGiven_(session || subSession) {}

JxCmdEndSession::JxCmdEndSession(GmModel* model, SegmentationStuff* holder, tq::Shape* shape)
    : OstrivalCommand(model, endSessionName()),
      session_(nullptr),
      subSession_(nullptr),
      handlesGiven_(false),
      holder_(holder) {
    if (shape)
        oldPixelState_ = shape->takePixelState();
}

JxCmdEndSession::JxCmdEndSession(GmModel* model, GmRegion* region)
    : OstrivalCommand(model, endSessionName()),
      session_(nullptr),
      subSession_(nullptr),
      handlesGiven_(false),
      holder_(region ? &region->smeg() : nullptr),
      region_(region) {}

// Also runs for a command discarded after the library died or trapped by a closed thread:
// what it holds would leak otherwise. The old pixel state goes only here, after the engine
// ended the sub-session that read its mask.
JxCmdEndSession::~JxCmdEndSession() {
    delete source_;
    delete output_;
    delete region_.data();
    for (const Joined& other : joined_)
        delete other.region.data();
}

void JxCmdEndSession::addRegion(GmRegion* region) {
    if (region && region != region_)
        joined_.push_back(Joined{region});
}

QString JxCmdEndSession::description() const {
    return jxcmd::handleText(session_) + QStringLiteral(", ") + jxcmd::handleText(subSession_);
}

bool JxCmdEndSession::prepare() {
    if (handlesGiven_)
        return true;
    if (!holder_)
        return false;
    session_ = holder_->session();
    holder_->setSession(nullptr);
    if (!holder_->region()) {
        holder_->setAnalysedSession(nullptr);
        holder_->refreshVectorEdges();
    }
    if (!subSession_)
        subSession_ = holder_->analysedSession();
    if (holder_->analysedSession()) {
        holder_->setAnalysedSession(nullptr);
        holder_->refreshVectorEdges();
    }
    bool any = session_ || subSession_;
    for (Joined& other : joined_) {
        if (!other.region)
            continue;
        SegmentationStuff& holder = other.region->smeg();
        other.session = holder.session();
        other.subSession = holder.analysedSession();
        holder.setSession(nullptr);
        if (holder.analysedSession()) {
            holder.setAnalysedSession(nullptr);
            holder.refreshVectorEdges();
        }
        any = any || other.session || other.subSession;
    }
    return any;
}

void JxCmdEndSession::execute() {
    if (session_)
        result_ = JxEndSession(session_, &OstrivalThread::reportEngineProgress);
    if (subSession_ && subSession_ != session_)
        result_ = JxEndSession(subSession_, &OstrivalThread::reportEngineProgress);
    for (const Joined& other : joined_) {
        // The first failure is the command's result; the other sessions still end.
        const int kept = result_;
        if (other.session)
            result_ = JxEndSession(other.session, &OstrivalThread::reportEngineProgress);
        if (other.subSession && other.subSession != other.session)
            result_ = JxEndSession(other.subSession, &OstrivalThread::reportEngineProgress);
        if (kept != JxOk && kept != JxRefused)
            result_ = kept;
    }
}

void JxCmdEndSession::hasFinished() {
    const bool closingImage = source_ != nullptr;
    // The images, the old pixel state and the region go whatever the engine said; the
    // destructor deletes them.
    checkResult(result_);
    if (closingImage)
        if (GmModel* target = model())
            target->setUndoCounts(0, 0);
}
