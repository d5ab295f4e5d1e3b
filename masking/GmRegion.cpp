#include "masking/GmRegion.h"

#include "masking/GmModel.h"
#include "masking/GmModelKeys.h"
#include "masking/JxCmdAnalyseImage.h"
#include "masking/JxCmdBeginSubSession.h"
#include "masking/JxCmdEndSession.h"
#include "masking/JxCmdProtect.h"
#include "masking/OstrivalThread.h"
#include "masking/Shape.h"

#include <QBrush>
#include <QPen>
#include <QPointer>
#include <QVariantMap>

QImage* GmRegion::regionMask()
{
    tq::Shape* outline = shape();
    return outline ? outline->maskImage(QPen(Qt::NoPen), QBrush(Qt::color1)) : nullptr;
}

GmRegion::GmRegion(const QVariant& baseMap, QObject* parent)
    : ArrowTarget(parent),
      smeg_(baseMap.toMap().value(GmKeys::smeg), this),
      blendage_(baseMap.toMap().value(GmKeys::blendage), this),
      protected_(baseMap.toMap().value(GmKeys::isProtected).toBool()) {}

QVariant GmRegion::saveBase() const
{
    QVariantMap m;
    m[GmKeys::smeg] = smeg_.toVariant();
    m[GmKeys::blendage] = blendage_.toVariant();
    m[GmKeys::isProtected] = protected_;
    return m;
}

QVariantMap GmRegion::saveHead(int type) const
{
    QVariantMap m;
    m[GmKeys::type] = type;
    m[GmKeys::regionBase] = saveBase();
    return m;
}

void GmRegion::activate()
{
    if (GmModel* model = GmModel::existing())
        model->setActiveRegion(this, 1);
}

void GmRegion::deactivate()
{
    if (isActive())
        GmModel::existing()->setActiveRegion(nullptr, 1);
}

bool GmRegion::isActive() const
{
    const GmModel* model = GmModel::existing();
    return model && model->activeRegion() == this;
}

QColor GmRegion::arrowStyle() const
{
    return outlineColour(isActive());
}

void GmRegion::changed()
{
    if (JxCmdAnalyseImage* analysis = smeg_.runningAnalysis())
        if (theEngineThread)
            theEngineThread->cancelCommand(analysis);
    resetEngineState(nullptr);
    if (GmModel* model = GmModel::existing())
        model->setActiveRegion(this, 1);
    applyToEngine();
}

void GmRegion::applyToEngine()
{
    GmModel* model = GmModel::existing();
    if (!model)
        return;
    // A command the thread can finish at once (its prepare failed) may delete the region
    // before `submit` returns: a region the engine cannot hold goes.
    QPointer<GmRegion> self(this);
    submitToEngine(new JxCmdBeginSubSession(model, this));
    if (self && smeg_.isChecked())
        smeg_.analyse();
    if (self && protected_)
        protectInEngine();
}

void GmRegion::resetEngineState(GmRegion* region)
{
    GmModel* model = GmModel::existing();
    smeg_.vectorEdges().clear();
    if (model)
        model->signalDirtyImageSlot(NoPatchPreview);
    if (protected_ && model) {
        // Every protection is lifted and the others laid down again; this one comes back
        // when the region is applied again.
        protected_ = false;
        model->reapplyProtections();
        protected_ = true;
    }
    if (!model)
        return;
    if (region) {
        if (!engineThreadOpen())
            return;
        // Removed right after another region (a picture closing, a restore's refused regions):
        // both end in the command already waiting.
        const QList<OstrivalCommand*>& queue = theEngineThread->queuedCommands();
        auto* waiting = queue.isEmpty() ? nullptr : qobject_cast<JxCmdEndSession*>(queue.last());
        if (waiting && waiting->endsRegions())
            waiting->addRegion(region);
        else
            theEngineThread->submit(new JxCmdEndSession(model, region));
        return;
    }
    if (engineThreadOpen()) {
        theEngineThread->submit(new JxCmdEndSession(model, &smeg_, shape()));
    } else if (!smeg_.session() && !smeg_.analysedSession()) {
        // No sub-session reads the mask: it can go now. One that still exists keeps it.
        if (tq::Shape* outline = shape())
            outline->dropEngineMask();
    }
}

void GmRegion::setProtected(bool isProtected)
{
    protected_ = isProtected;
    GmModel* model = GmModel::existing();
    if (!model)
        return;
    if (isProtected)
        protectInEngine();
    else
        model->reapplyProtections();
    emit model->protectionChanged(this);
}

void GmRegion::protectInEngine()
{
    if (GmModel* model = GmModel::existing())
        submitToEngine(new JxCmdProtect(model, this));
}

void GmRegion::shapeEdgesRebuilt(const JxSession* subSession)
{
    tq::Shape* outline = shape();
    if (!outline)
        return;
    outline->rebuildEdges(subSession);
    if (GmModel* model = GmModel::existing())
        emit model->rectDirty(ImageRectF(outline->bounds()), DirtyOutline, NoPatchPreview);
}
