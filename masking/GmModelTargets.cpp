// The masking model's handling of its regions and forced edges.

#include "masking/GmModel.h"

#include "masking/ForcedEdge.h"
#include "masking/GmRegion.h"
#include "masking/JxCmdAnalyseImage.h"
#include "masking/JxCmdSelect.h"
#include "masking/OstrivalThread.h"
#include "masking/SegmentationStuff.h"
#include "masking/Shape.h"

#include <QAction>
#include <QKeySequence>

namespace {

// The outline's bounds in image coordinates; the empty rectangle without a target or shape.
ImageRectF outlineOf(ArrowTarget* target) {
    tq::Shape* shape = target ? target->shape() : nullptr;
    return shape ? ImageRectF(shape->bounds()) : ImageRectF();
}

bool hasArea(const QRectF& r) { return r.width() > 0 && r.height() > 0; }

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
    const ImageRectF bounds = outlineOf(region);
    if (hasArea(bounds))
        emit rectDirty(bounds, DirtyRegionOutline, NoPatchPreview);
    const bool endSessionTakesIt = theEngineThread && theEngineThread->isOpen();
    region->resetEngineState(region);
    // No end-session command can be submitted, so none deletes the region.
    if (!endSessionTakesIt)
        region->deleteLater();
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

void GmModel::reapplyProtections() {
    if (theEngineThread)
        theEngineThread->submit(new JxCmdSelect(this, nullptr, JxStatusProtected,
                                                JxStatusUnassigned));
    for (GmRegion* region : regions_)
        if (region->isProtected())
            region->protectInEngine();
}

GmRegion* GmModel::setActiveRegion(GmRegion* region, int announce) {
    GmRegion* old = activeRegion_;
    if (region)
        setActiveForcedEdge(nullptr);
    if (region != old) {
        if (region) {
            const int at = regions_.indexOf(region);
            if (at >= 0 && at != regions_.size() - 1)
                regions_.swapItemsAt(at, regions_.size() - 1);
        }
        activeRegion_ = region;
        emit activeRegionChanged(region);
        updatePatchActions();
        outlineChange(outlineOf(old), outlineOf(region));
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
    const ImageRectF oldBounds = outlineOf(activeForcedEdge_);
    activeForcedEdge_ = edge;
    updatePatchActions();
    outlineChange(oldBounds, outlineOf(edge));
}

void GmModel::refreshActiveRegionOverlay() {
    if (activeRegion_)
        emit rectDirty(outlineOf(activeRegion_), DirtyOutline, NoPatchPreview);
    else
        signalDirtyImageSlot(NoPatchPreview);
}

void GmModel::outlineChange(const ImageRectF& oldRect, const ImageRectF& newRect) {
    auto isNone = [](const QRectF& r) { return r.width() < 0 || r.height() < 0; };
    if (isNone(oldRect)) {
        emit rectDirty(newRect, DirtyRegionOutline, NoPatchPreview);
    } else if (isNone(newRect)) {
        emit rectDirty(oldRect, DirtyRegionOutline, NoPatchPreview);
    } else if (oldRect.intersects(newRect)) {
        emit rectDirty(ImageRectF(oldRect.united(newRect)), DirtyRegionOutline, NoPatchPreview);
    } else {
        emit rectDirty(oldRect, DirtyRegionOutline, NoPatchPreview);
        emit rectDirty(newRect, DirtyRegionOutline, NoPatchPreview);
    }
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
