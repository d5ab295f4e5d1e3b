#include "masking/JxCmdSelect.h"

#include "masking/ForcedEdge.h"
#include "masking/GmBrushing.h"
#include "masking/GmModel.h"
#include "masking/GmRegion.h"
#include "masking/GmShapeHost.h"
#include "masking/GmStatusArray.h"
#include "masking/JxCmdHelpers.h"
#include "masking/OstrivalThread.h"
#include "masking/SegmentationStuff.h"
#include "masking/BlendingStuff.h"

#include <QBrush>
#include <QCoreApplication>
#include <QPen>

namespace {

QRect workingRect()
{
    GmShapeHost* host = GmShapeHost::current();
    return host ? host->workingImageRect() : QRect();
}

}  // namespace

JxCmdSelect::JxCmdSelect(GmModel* model, GmRegion* region, JxPixelStatus change,
                         JxPixelStatus newStatus)
    : OstrivalCommand(model, QCoreApplication::translate("JxCmdSelect", "Making Selection..."),
                      JxOk),
      region_(region),
      change_(change),
      newStatus_(newStatus) {
    if (!region)
        return;
    holder_ = &region->smeg();
    holderIsRegions_ = true;
    if (const QImage* mask = region->regionMask())
        mask_.assign(*mask, workingRect());
}

// Brush strokes and forced edges --------------------------------------------------------------

JxCmdSelect::JxCmdSelect(GmModel* model, GmBrushing* stroke, JxPixelStatus change,
                         JxPixelStatus newStatus, int edgeAware, int autoComplex)
    : OstrivalCommand(model, QCoreApplication::translate("JxCmdSelect", "Brushing...", "tq3"), JxOk),
      region_(nullptr),
      change_(change),
      newStatus_(newStatus),
      edgeAware_(edgeAware),
      form_(Form::Brushing),
      stroke_(stroke),
      needsAnalysis_(edgeAware != 0),
      autoComplex_(autoComplex)
{
    GmRegion* active = model->activeRegion();
    holder_ = active ? &active->smeg() : model->imageSmeg();
    holderIsRegions_ = active != nullptr;
    autoBlendWidth_ = active ? active->blendage().options.autoBlueWidthF_
                             : model->imageBlendage()->options.autoBlueWidthF_;
    if (!stroke_)
        return;
    // A stroke made for another working image (a restored one, or one from before a
    // resolution change) is refused, never passed on: its pixels mean other places.
    const Brushing& brushing = stroke_->brushing();
    if (brushing.size() != workingRect().size())
        return;
    if (const auto mask = stroke_->brushing().renderMask(QPen(), QBrush()))
        mask_.assign(*mask, workingRect());
}

JxCmdSelect::JxCmdSelect(GmModel* model, ForcedEdge* edge)
    : OstrivalCommand(model,
                      QCoreApplication::translate("JxCmdSelect", "Creating Forced Edge...", "tq3"),
                      JxOk),
      region_(nullptr),
      change_(JxStatusUnassigned),
      newStatus_(JxStatusForcedEdge),
      form_(Form::ForcedEdge),
      edge_(edge)
{
    if (edge)
        if (const QImage* mask = edge->forcedEdgeMask())
            mask_.assign(*mask, workingRect());
}

JxCmdSelect::~JxCmdSelect()
{
    delete stroke_;
}

// ---------------------------------------------------------------------------------------------

QString JxCmdSelect::description() const {
    return jxcmd::handleText(target_);
}

bool JxCmdSelect::prepare() {
    if (!jxcmd::isProcessModel(model()))
        return false;
    session_ = jxcmd::modelSession(model());
    statusImage_ = jxcmd::modelStatusImage(model());
    switch (form_) {
    case Form::Brushing: {
        if (!holder_ || mask_.isEmpty())
            return false;
        // A stroke that follows the edges needs the edges first; refused without a message.
        if (needsAnalysis_ && holder_->isChecked() && !holder_->isAnalysisReady())
            return false;
        target_ = (needsAnalysis_ && holder_->isChecked()) ? holder_->analysedSession()
                                                           : holder_->session();
        selection_ = mask_.record();
        pullAndPush_ = holderIsRegions_;
        const JxPixelStatus shown = model()->statusArray()->statusesPresent();
        clean_ = autoComplex_ == 0
            && ((newStatus_ == JxStatusKeep && (shown & JxStatusDelete))
                || (newStatus_ == JxStatusDelete && (shown & JxStatusKeep)));
        break;
    }
    case Form::ForcedEdge:
        if (!edge_ || mask_.isEmpty())
            return false;
        target_ = session_;
        selection_ = mask_.record();
        break;
    case Form::WholeImage:
        if (region_) {
            if (!holder_ || mask_.isEmpty())
                return false;
            target_ = holder_->session();
            selection_ = mask_.record();
            pullAndPush_ = true;
            break;
        }
        target_ = session_;
        if (target_)
            selection_ = JxSelection{target_->x, target_->y, target_->width, target_->height, 0,
                                     0, nullptr};
        break;
    }
    return target_ && statusImage_;
}

void JxCmdSelect::execute() {
    if (result_ == JxOk && pullAndPush_)
        result_ = JxPullParentStatus(target_, statusImage_);
    // Statuses that only move protection in and out, and forced edges, are not steps the user
    // undoes.
    if (result_ == JxOk && change_ != newStatus_ && form_ != Form::ForcedEdge &&
        change_ != JxStatusProtected && newStatus_ != JxStatusProtected)
        result_ = JxBeginUndoGroup(session_);
    if (result_ == JxOk)
        result_ = JxSelect(target_, statusImage_, &selection_, newStatus_, change_, edgeAware_,
                           0.0f, &OstrivalThread::reportEngineProgress);
    // Cleaning a stroke laid over the other mark: a failed or cancelled Auto complex is the
    // command's result, so it is reported and Despeckle does not run after it.
    if (result_ == JxOk && clean_)
        result_ = JxAutoComplex(target_, statusImage_, autoBlendWidth_,
                                &OstrivalThread::reportEngineProgress);
    if (result_ == JxOk && clean_)
        result_ = JxDespeckleSelection(target_, statusImage_, 3,
                                       &OstrivalThread::reportEngineProgress);
    if (result_ == JxOk && pullAndPush_)
        result_ = JxPushStatusToParent(target_, statusImage_);
}

void JxCmdSelect::hasFinished() {
    checkResult(result_);
    if (form_ == Form::ForcedEdge && edge_)
        edge_->releaseForcedEdgeMask();
    if (GmModel* target = model()) {
        target->statusArray()->rescan();
        target->signalDirtyImageSlot(NoPatchPreview);
    }
}
