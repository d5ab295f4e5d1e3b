// The masking model's handling of its regions and forced edges.

#include "masking/GmModel.h"

#include "masking/ForcedEdge.h"
#include "masking/GmRegion.h"
#include "masking/JxCmdAnalyseImage.h"
#include "masking/JxCmdEndSession.h"
#include "masking/JxCmdGenerateMask.h"
#include "masking/JxCmdProtect.h"
#include "masking/JxCmdSelect.h"
#include "masking/Shape.h"
#include "masking/OstrivalThread.h"
#include "masking/Rectangle.h"
#include "masking/SegmentationStuff.h"

#include <QAction>
#include <QKeySequence>

namespace {

bool isRect(const QRectF& r) {
    return r.width() >= 0 && r.height() >= 0;
}

QRectF boundsOf(ArrowTarget* target) {
    tq::Shape* shape = target ? target->shape() : nullptr;
    return shape ? shape->bounds() : QRectF(0, 0, -1, -1);
}

}  // namespace

void GmModel::createPatchActions() {
    auto make = [this](const QString& text, void (GmModel::*slot)()) {
        auto* action = new QAction(text, this);
        action->setEnabled(false);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    deletePatchAction_ = make(tr("Delete Patch"), &GmModel::deleteActiveRegionSlot);
    deleteForcedEdgeAction_ = make(tr("Delete Forced Edge"), &GmModel::deleteActiveForcedEdgeSlot);
    clearMaskAction_ = make(tr("Erase Mask in Patch"), &GmModel::clearMaskInActiveRegionSlot);
    protectPatchAction_ = make(tr("Protect Patch"), &GmModel::protectActiveRegionSlot);
    protectPatchAction_->setCheckable(true);
    previewPatchAction_ = make(tr("Preview Cut-out in Patch"), &GmModel::testRenderActiveRegionSlot);
    previewPatchAction_->setIcon(QIcon(QStringLiteral(":images/tool_mark_preview.png")));
}

void GmModel::updatePatchActions() {
    GmRegion* region = activeRegion_;
    deletePatchAction_->setEnabled(region);
    clearMaskAction_->setEnabled(region && !region->isProtected());
    protectPatchAction_->setEnabled(region);
    protectPatchAction_->setChecked(region && region->isProtected());
    previewPatchAction_->setEnabled(region && region->canPreview());
    deleteForcedEdgeAction_->setEnabled(activeForcedEdge_);
    const QKeySequence deleteKey(tr("Delete"));
    deletePatchAction_->setShortcut(region ? deleteKey : QKeySequence());
    deleteForcedEdgeAction_->setShortcut(activeForcedEdge_ ? deleteKey : QKeySequence());
}

QList<ArrowTarget*> GmModel::arrowTargets() const {
    QList<ArrowTarget*> targets;
    for (GmRegion* region : regions_)
        targets.append(region);
    for (ForcedEdge* edge : forcedEdges_)
        targets.append(edge);
    return targets;
}

bool GmModel::containsArrowTarget(const QObject* object) const {
    for (const ArrowTarget* target : arrowTargets())
        if (target == object)
            return true;
    return false;
}

void GmModel::revertAllArrowTargets() {
    for (ArrowTarget* target : arrowTargets()) {
        target->resetEngineState(nullptr);
        if (target->isBrushRegion())
            deleteRegion(target->asRegion());
    }
}

void GmModel::closeArrowTargets() {
    while (!regions_.isEmpty() || !forcedEdges_.isEmpty()) {
        if (!regions_.isEmpty()) {
            GmRegion* region = regions_.first();
            deleteRegion(region);
            regions_.removeOne(region);   // also when deleteRegion found it gone
        } else {
            removeForcedEdge(forcedEdges_.first());
        }
    }
}

void GmModel::deleteRegion(GmRegion* region) {
    if (!region || !regions_.contains(region))
        return;
    if (JxCmdAnalyseImage* analysis = region->smeg().runningAnalysis())
        if (theEngineThread)
            theEngineThread->cancelCommand(analysis);
    regions_.removeOne(region);
    region->deactivate();
    if (activeRegion_ == region)
        setActiveRegion(nullptr, 1);
    const QRectF bounds = boundsOf(region);
    if (bounds.width() > 0 && bounds.height() > 0)
        emit rectDirty(ImageRectF(bounds), DirtyRegionOutline, NoPatchPreview);
    const bool endSessionTakesIt = theEngineThread && theEngineThread->isOpen();
    region->resetEngineState(region);
    // No end-session command can be submitted, so none deletes the region: the model does.
    // A command still running may read the mask the region's sub-session views, so a busy
    // thread is waited for first.
    if (!endSessionTakesIt) {
        OstrivalThread* thread = theEngineThread;
        if (thread && !thread->isIdle()) {
            for (auto done : {&OstrivalThread::closureComplete, &OstrivalThread::queueEmptied})
                connect(thread, done, region, &QObject::deleteLater);
            connect(thread, &QObject::destroyed, region, &QObject::deleteLater);
        } else {
            region->deleteLater();
        }
    }
}

void GmModel::removeForcedEdge(ForcedEdge* edge) {
    if (!edge || !forcedEdges_.removeOne(edge))
        return;
    edge->deactivate();
    if (activeForcedEdge_ == edge)
        setActiveForcedEdge(nullptr);
    delete edge;
}

void GmModel::resendForcedEdges() {
    if (theEngineThread)
        theEngineThread->submit(new JxCmdSelect(this, nullptr, JxStatusForcedEdge,
                                                JxStatusUnassigned));
    for (ForcedEdge* edge : forcedEdges_)
        edge->applyToEngine();
}

namespace {

/// Behind a waiting re-protection, a command that lets a newer one take its place: ending a
/// sub-session reads and writes no status, and the auto cut's generation is asked for again
/// after every status change (the re-protection's own finish among them). A generation
/// protected from cancelling (a placement's) must see the statuses as they were.
bool passable(const OstrivalCommand* command) {
    if (qobject_cast<const JxCmdEndSession*>(command))
        return true;
    return qobject_cast<const JxCmdGenerateMask*>(command) && !command->isProtected();
}

/// The re-protection still waiting at the end of the queue with nothing but passable
/// commands behind it, else null. The engine ends as it would have after both.
JxCmdProtect* waitingReprotection(const OstrivalThread& thread) {
    const QList<OstrivalCommand*>& queue = thread.queuedCommands();
    for (int i = queue.size() - 1; i >= 0; --i) {
        if (auto* protect = qobject_cast<JxCmdProtect*>(queue.at(i)))
            return protect->reprotects() ? protect : nullptr;
        if (!passable(queue.at(i)))
            return nullptr;
    }
    return nullptr;
}

}  // namespace

void GmModel::reapplyProtections() {
    OstrivalThread* thread = theEngineThread;
    if (!thread)
        return;
    QList<GmRegion*> protectedRegions;
    for (GmRegion* region : regions_)
        if (region->isProtected())
            protectedRegions.append(region);
    // Regions reset or deleted one after another (closing, reverting, a restore whose regions
    // the engine refuses) each ask for this: with one command per protected region, n regions
    // queued n * n commands.
    if (JxCmdProtect* waiting = waitingReprotection(*thread)) {
        waiting->retake(protectedRegions);
        return;
    }
    thread->submit(new JxCmdSelect(this, nullptr, JxStatusProtected, JxStatusUnassigned));
    thread->submit(new JxCmdProtect(this, protectedRegions));
}

GmRegion* GmModel::setActiveRegion(GmRegion* region, int announce) {
    if (region)
        setActiveForcedEdge(nullptr);
    GmRegion* old = activeRegion_;
    if (region != old) {
        if (region) {
            const int at = regions_.indexOf(region);
            if (at >= 0 && at != regions_.size() - 1)
                regions_.swapItemsAt(at, regions_.size() - 1);
        }
        activeRegion_ = region;
        emit activeRegionChanged(region);
        updatePatchActions();
        // The view options that would ask for the edges to be shown are not made here; the
        // outline change repaints what changed.
        outlineChange(boundsOf(old), boundsOf(region));
    } else if (region) {
        emit activeRegionChanged(region);
    }
    if (!region && announce == 1)
        emit activeRegionReady(nullptr);
    return old;
}

void GmModel::setActiveForcedEdge(ForcedEdge* edge) {
    if (edge)
        setActiveRegion(nullptr, 1);
    if (edge == activeForcedEdge_)
        return;
    const QRectF oldBounds = boundsOf(activeForcedEdge_);
    const QRectF newBounds = boundsOf(edge);
    activeForcedEdge_ = edge;
    updatePatchActions();
    outlineChange(oldBounds, newBounds);
}

void GmModel::outlineChange(const QRectF& oldRect, const QRectF& newRect) {
    if (!isRect(oldRect)) {
        emit rectDirty(ImageRectF(newRect), DirtyRegionOutline, NoPatchPreview);
    } else if (!isRect(newRect)) {
        emit rectDirty(ImageRectF(oldRect), DirtyRegionOutline, NoPatchPreview);
    } else if (oldRect.intersects(newRect)) {
        emit rectDirty(ImageRectF(oldRect | newRect), DirtyRegionOutline, NoPatchPreview);
    } else {
        emit rectDirty(ImageRectF(oldRect), DirtyRegionOutline, NoPatchPreview);
        emit rectDirty(ImageRectF(newRect), DirtyRegionOutline, NoPatchPreview);
    }
}

void GmModel::startRubberBand(const ImagePointF& anchor) {
    clearRubberBand();
    rubberBand_ = new tq::Rectangle(anchor);
}

void GmModel::clearRubberBand() {
    if (!rubberBand_)
        return;
    const QRectF bounds = rubberBand_->bounds();
    if (bounds.width() > 0 && bounds.height() > 0)
        emit rectDirty(ImageRectF(bounds), DirtyOutline, NoPatchPreview);
    delete rubberBand_;
    rubberBand_ = nullptr;
}

void GmModel::refreshActiveRegionOverlay() {
    if (activeRegion_)
        emit rectDirty(ImageRectF(boundsOf(activeRegion_)), DirtyOutline, NoPatchPreview);
    else
        signalDirtyImageSlot(NoPatchPreview);
}

void GmModel::addArrowTarget(ArrowTarget* target) {
    if (!target || containsArrowTarget(target))
        return;
    if (GmRegion* region = target->asRegion())
        regions_.append(region);
    else if (ForcedEdge* edge = target->asForcedEdge())
        forcedEdges_.append(edge);
    else {
        delete target;
        return;
    }
    // While the session waits to open, the opening applies every target.
    if (sourceImage_ && theEngineThread && theEngineThread->isOpen())
        target->applyToEngine();
}

void GmModel::deleteActiveRegionSlot() {
    if (activeRegion_)
        deleteRegion(activeRegion_);
}

void GmModel::deleteActiveForcedEdgeSlot() {
    if (!activeForcedEdge_)
        return;
    removeForcedEdge(activeForcedEdge_);
    resendForcedEdges();
}

void GmModel::clearMaskInActiveRegionSlot() {
    // Without an active, unprotected patch this would be the whole-image erase of every mark.
    if (!activeRegion_ || activeRegion_->isProtected())
        return;
    if (theEngineThread)
        theEngineThread->submit(new JxCmdSelect(this, activeRegion_, JxStatusKeepDeleteBlend,
                                                JxStatusUnassigned));
}

void GmModel::protectActiveRegionSlot() {
    if (!activeRegion_)
        return;
    activeRegion_->setProtected(!activeRegion_->isProtected());
    updatePatchActions();
}

void GmModel::testRenderActiveRegionSlot() {
    if (activeRegion_ && activeRegion_->canPreview())
        activeRegion_->preview();
}
