#include "workspace/ModelPort.h"

#include "masking/BlendingStuff.h"
#include "masking/GmBrushing.h"
#include "masking/GmModel.h"
#include "masking/GmRegion.h"
#include "masking/GmStatusArray.h"
#include "masking/JxCmdSelect.h"
#include "masking/OstrivalThread.h"
#include "masking/TqSourceImage.h"

#include <QCoreApplication>
#include <QPointer>

ModelPort* ModelPort::instance() {
    // Parented to the application so that it goes before the application does; a later
    // application of the same process (tests make several) gets a new one.
    static QPointer<ModelPort> port;
    if (!port) {
        port = new ModelPort;
        port->setParent(QCoreApplication::instance());
    }
    if (!port->model_ && GmModel::existing())
        port->attach(GmModel::existing());
    return port;
}

ModelPort* ModelPort::withModel() {
    GmModel::instance();
    return instance();
}

void ModelPort::attach(GmModel* model) {
    if (model_ == model)
        return;
    if (model_)
        disconnect(model_, nullptr, this, nullptr);
    model_ = model;
    if (!model) {
        setPictures(QImage(), QImage());
        return;
    }
    connect(model, &GmModel::tellImageChanged, this, [this] {
        takeModelPictures();
        emit tellImageChanged();
        emit usabilityMayHaveChanged();
    });
    connect(model, QOverload<ImageRectF, DirtyHint, PatchPreviewWanted>::of(&GmModel::rectDirty),
            this, [this](ImageRectF rect, DirtyHint hint, PatchPreviewWanted) {
                // The document may have refreshed its pixels in place; the copies are shared,
                // so taking them again costs nothing.
                takeModelPictures();
                emit rectDirty(rect, int(hint));
            });
    connect(model, &GmModel::cutoutChanged, this, [this](const QImage& image) { output_ = image; });
    connect(model, &GmModel::resolutionChanged, this, [this](int oldRes, int newRes) {
        resolution_ = newRes;
        emit resolutionChanged(oldRes, newRes);
    });
    connect(model, &GmModel::hintOpacityChanged, this, &ModelPort::hintOpacityChanged);
    connect(model, &GmModel::showOriginal, this, &ModelPort::showOriginal);
    connect(model, &GmModel::changeBackgroundColour, this, &ModelPort::changeBackgroundColour);
    connect(model, &GmModel::activeRegionChanged, this, &ModelPort::usabilityMayHaveChanged);
    connect(model, &GmModel::smegChanged, this, &ModelPort::usabilityMayHaveChanged);
    connect(model, &GmModel::tellImageChanged, this, &ModelPort::modelImageChanged);
    connect(model, &GmModel::sessionHasBegun, this, &ModelPort::sessionBegun);
    connect(model, &GmModel::activeRegionChanged, this, &ModelPort::activeRegionChanged);
    connect(model, &GmModel::ownSmegStatusChanged, this, &ModelPort::ownSegmentationStatusChanged);
    // A document deleted without closing its image leaves nothing to show.
    connect(model, &QObject::destroyed, this, [this] {
        source_ = QImage();
        sourcePixmap_ = QPixmap();
        output_ = QImage();
        resolution_ = 1;
        emit tellImageChanged();
    });
    if (theEngineThread)
        connect(theEngineThread, &OstrivalThread::stateChanged, this,
                &ModelPort::usabilityMayHaveChanged);
    takeModelPictures();
    emit tellImageChanged();
    emit usabilityMayHaveChanged();
}

void ModelPort::takeModelPictures() {
    const TqSourceImage* source = model_ ? model_->sourceImage() : nullptr;
    if (!source) {
        source_ = QImage();
        sourcePixmap_ = QPixmap();
        output_ = QImage();
    } else {
        model_->sourceImage()->refreshFromView();
        source_ = source->image();
        sourcePixmap_ = source->pixmap();
        if (TqSourceImage* output = model_->outputImage()) {
            output->refreshFromView();
            output_ = output->image();
        } else {
            output_ = QImage();
        }
    }
    resolution_ = model_ ? model_->resolution() : 1;
}

void ModelPort::setPictures(const QImage& source, const QImage& output) {
    if (model_)
        return;
    source_ = source;
    sourcePixmap_ = source.isNull() ? QPixmap() : QPixmap::fromImage(source);
    output_ = output;
    emit tellImageChanged();
    emit usabilityMayHaveChanged();
}

void ModelPort::setOutput(const QImage& output) {
    if (model_)
        return;
    output_ = output;
    repaintAll();
}

void ModelPort::setResolution(int divisor) {
    if (model_ || (divisor != 1 && divisor != 2 && divisor != 4 && divisor != 8))
        return;
    const int old = resolution_;
    resolution_ = divisor;
    emit resolutionChanged(old, divisor);
}

bool ModelPort::releaseActiveTarget() {
    if (!model_)
        return false;
    if (model_->activeRegion()) {
        model_->setActiveRegion(nullptr, 1);
        return true;
    }
    if (model_->activeForcedEdge()) {
        model_->setActiveForcedEdge(nullptr);
        return true;
    }
    return false;
}

void ModelPort::repaintAll() {
    if (model_) {
        model_->signalDirtyImageSlot();
        return;
    }
    if (!source_.isNull())
        emit rectDirty(QRectF(QPointF(0, 0), QSizeF(source_.size())), 0);
}

bool ModelPort::hasModel() const {
    return model_;
}

bool ModelPort::modelHasImage() const {
    return model_ && model_->sourceImage();
}

int ModelPort::modelResolution() const {
    return model_ ? model_->resolution() : 1;
}

GmRegion* ModelPort::activeRegion() const {
    return model_ ? model_->activeRegion() : nullptr;
}

ForcedEdge* ModelPort::activeForcedEdge() const {
    return model_ ? model_->activeForcedEdge() : nullptr;
}

SegmentationStuff* ModelPort::imageSegmentation() const {
    return model_ ? model_->imageSmeg() : nullptr;
}

BlendingOptions* ModelPort::imageBlendingOptions() const {
    return model_ && model_->imageBlendage() ? &model_->imageBlendage()->options : nullptr;
}

QList<ArrowTarget*> ModelPort::arrowTargets() const {
    return model_ ? model_->arrowTargets() : QList<ArrowTarget*>();
}

QList<GmBrushing*> ModelPort::strokes() const {
    return model_ ? model_->brushings() : QList<GmBrushing*>();
}

QImage ModelPort::statusImage() const {
    return model_ && model_->statusArray() ? model_->statusArray()->statusImage() : QImage();
}

GmRegion* ModelPort::setActiveRegion(GmRegion* region, int announce) {
    return model_ ? model_->setActiveRegion(region, announce) : nullptr;
}

void ModelPort::selectWithStroke(GmBrushing* stroke, int change, int newStatus, int edgeAware) {
    if (!model_ || !theEngineThread) {
        delete stroke;
        return;
    }
    theEngineThread->submit(new JxCmdSelect(model_, stroke, JxPixelStatus(change),
                                            JxPixelStatus(newStatus), edgeAware, 0),
                            false);
}

void ModelPort::announceImageBlendRatio(float ratio) {
    if (model_)
        emit model_->imageBlendRatioChanged(ratio);
}
