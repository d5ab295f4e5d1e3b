#include "masking/SegmentationStuff.h"

#include "masking/GmModel.h"
#include "masking/JxCmdAnalyseImage.h"
#include "masking/OstrivalThread.h"

#include "classification/JxInterface.h"

#include <QVariantMap>

SegmentationStuff::SegmentationStuff(GmRegion* region) : region_(region) {
    if (region) {
        if (GmModel* model = GmModel::existing(); model && model->imageSmeg()) {
            options_.copyValues(model->imageSmeg()->options());
            options_.revertAll();
        }
    }
}

SegmentationStuff::SegmentationStuff(const QVariant& map, GmRegion* region)
    : region_(region), options_(map.toMap().value(QStringLiteral("edos_"))) {
    const QVariant checked = map.toMap().value(QStringLiteral("isChecked_"));
    checked_ = checked.canConvert<bool>() ? checked.toBool() : false;
}

SegmentationStuff::~SegmentationStuff() = default;

QVariant SegmentationStuff::toVariant() const {
    QVariantMap values;
    values.insert(QStringLiteral("isChecked_"), checked_);
    values.insert(QStringLiteral("edos_"), options_.toVariant());
    return values;
}

void SegmentationStuff::setChecked(bool checked) {
    const bool changed = checked_ != checked;
    checked_ = checked;
    GmModel* model = GmModel::existing();
    if (!model)
        return;
    emit model->smegChanged();
    // A region's flag says whether it finds its edges with options of its own: the edge
    // panel hears of it as of a change of the active region.
    if (region_ && changed)
        emit model->ownSmegStatusChanged(region_);
}

void SegmentationStuff::analyse(QObject* context, std::function<void()> changed) {
    options_.applyAll();
    OstrivalThread* thread = theEngineThread;
    if (runningAnalysis_ && thread)
        thread->cancelCommand(runningAnalysis_.data());
    GmModel* model = GmModel::instance();
    auto* command = new JxCmdAnalyseImage(model, region_, this);
    runningAnalysis_ = command;
    if (!region_)
        emit model->imageAnalysisHasBegun();
    // Connected before the submission: a command whose prepare fails is finished and deleted
    // inside `submit`.
    if (changed) {
        changed();
        if (context)
            connect(command, &QObject::destroyed, context, std::move(changed));
    }
    if (thread)
        thread->submit(command);
    else
        delete command;
    emit model->smegChanged();
}

void SegmentationStuff::refreshVectorEdges() {
    vectorEdges_.set(analysedSession_);
    if (GmModel* model = GmModel::existing())
        model->signalDirtyImageSlot(DiscardPatchPreview);
}

bool SegmentationStuff::isAnalysisReady() const {
    // The engine command thread rewrites the session's record while an analysis of it runs:
    // it is read only when none is queued or running.
    return analysedSession_ && !runningAnalysis_ && analysedSession_->analysed == 1;
}

JxCmdAnalyseImage* SegmentationStuff::runningAnalysis() const {
    return runningAnalysis_.data();
}
