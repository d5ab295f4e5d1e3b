#include "masking/GmModel.h"

#include "masking/AutoCut.h"
#include "masking/GmRegion.h"
#include "masking/GmStatusArray.h"
#include "masking/JxCmdBeginSession.h"
#include "masking/JxCmdDeleteStatusImage.h"
#include "masking/JxCmdEndSession.h"
#include "masking/JxCmdFinish.h"
#include "masking/JxCmdInit.h"
#include "masking/JxCmdNewStatusImage.h"
#include "masking/OstrivalThread.h"
#include "masking/PixelState.h"
#include "masking/Rectangle.h"
#include "masking/SegmentationStuff.h"
#include "masking/Shape.h"
#include "masking/TqSourceImage.h"
#include "masking/WorkingResolution.h"
#include "common/PersistOptions.h"
#include "masking/BlendingStuff.h"
#include "masking/BrushSizeValue.h"

#include <QAction>
#include <QApplication>

#include <algorithm>

GmModel* theModel = nullptr;

namespace {

constexpr std::uint64_t largestWorkingPixelCount = 4000000;

bool persistOptionsOn() {
    return theOptions && theOptions->persistOptions();
}

}  // namespace

GmModel* GmModel::instance() {
    if (!theModel)
        theModel = new GmModel;
    return theModel;
}

GmModel* GmModel::existing() {
    return theModel;
}

GmModel::GmModel() {
    if (!theModel)
        theModel = this;
    qRegisterMetaType<SegmentationStuff*>("SegmentationStuff*");
    qRegisterMetaType<ImageRectF>("ImageRectF");
    qRegisterMetaType<ImagePointF>("ImagePointF");
    qRegisterMetaType<uint32_t>("uint32_t");   // the undo counts' type as the signal names it
    imageSmeg_ = new SegmentationStuff(nullptr);
    imageBlendage_ = new BlendingStuff(nullptr);
    statusArray_ = new GmStatusArray;
    autoCut_ = new AutoCut(this);
    createPatchActions();
}

GmModel::~GmModel() {
    // An image still open goes with the model. While an engine thread runs, its commands may
    // still reach into the image: closing it first is then the thread owner's business.
    if (!theEngineThread) {
        closeImage();
        // A host's pictures stay open through closeImage (the host gets its result from
        // them); the model is their last owner.
        forgetImages();
    }
    delete rubberBand_;
    delete imageSmeg_;
    delete imageBlendage_;
    delete statusArray_;
    if (theModel == this)
        theModel = nullptr;
}

// Coordinates ------------------------------------------------------------------------------

QPointF GmModel::toImagePoint(const QPointF& working) const {
    return working * resolution_;
}

QRectF GmModel::toImageRect(const QRectF& working) const {
    return scaleRect(working, resolution_);
}

QPointF GmModel::toWorkingPoint(const QPointF& image) const {
    return image * (1.0 / resolution_);
}

QRectF GmModel::toWorkingRect(const QRectF& image) const {
    return scaleRect(image, 1.0 / resolution_);
}

QRectF GmModel::scaleRect(const QRectF& rect, double factor) {
    return QRectF(rect.topLeft() * factor, rect.bottomRight() * factor);
}

void GmModel::emptyBoundsRect(QRectF& rect) {
    rect = QRectF(0.0, 0.0, -1.0, -1.0);
}

void GmModel::setUndoCounts(std::uint32_t undos, std::uint32_t redos) {
    availableUndos_ = undos;
    availableRedos_ = redos;
    emit jxUndoStackChanged(undos, redos);
}

// Session lifecycle -------------------------------------------------------------------------

bool GmModel::setImage(int preservation, int origin, TqSourceImage* source,
                       TqSourceImage* output) {
    imageOrigin_ = origin;
    // A restored model (origin 2) already holds its images: they are only re-checked and the
    // session opens over them.
    const bool restoring = origin == 2 && !source && !output && sourceImage_;
    if (sourceImage_ && !restoring) {
        // The model keeps its own images (a host run, a restore); the given ones are not used
        // and the caller must know.
        if (source != sourceImage_)
            delete source;
        if (output != outputImage_ && output != source)
            delete output;
        return false;
    }
    if (restoring) {
        if (!sourceImage_->valid())
            return false;
    } else if (!source || !source->valid()) {
        delete source;
        if (output != source)
            delete output;
        return false;
    } else {
        sourceImage_ = source;
        outputImage_ = output ? output : new TqSourceImage(*source);
    }
    if (!outputImage_ || !outputImage_->valid()) {
        forgetImages();
        return false;
    }
    if (preservation == GmSession::ChooseSettings && !persistOptionsOn()) {
        sourceImage_->refreshFromView();
        chooseResolution(std::uint64_t(sourceImage_->width()) * std::uint64_t(sourceImage_->height()));
    }
    if (theEngineThread)
        theEngineThread->submit(new JxCmdInit(this));
    imageSmeg_->setChecked(true);
    openSession(GmSession::SettingsPreservation(preservation));

    if (sourceImage_->workingImage().isNull() || sourceImage_->workingDivisor() != resolution_)
        sourceImage_->makeWorkingImage(resolution_);
    const QImage& working = sourceImage_->workingImage();
    BrushSizeValue::instance()->setBrushSize(std::min(working.width(), working.height()) / 10);
    return true;
}

void GmModel::forgetImages() {
    delete sourceImage_;
    if (outputImage_ != sourceImage_)
        delete outputImage_;
    sourceImage_ = nullptr;
    outputImage_ = nullptr;
}

void GmModel::chooseResolution(std::uint64_t pixelCount) {
    const int old = resolution_;
    int divisor = 1;
    while (pixelCount / std::uint64_t(divisor) > largestWorkingPixelCount && divisor < 8)
        divisor *= 2;
    resolution_ = divisor;
    emit resolutionChanged(old, divisor);
}

void GmModel::openSession() {
    openSession(GmSession::ChooseSettings);
}

void GmModel::openSession(GmSession::SettingsPreservation preservation) {
    OstrivalThread* thread = theEngineThread;
    if (!thread)
        return;
    if (thread->isOpen()) {
        pendingPreservation_ = preservation;
        thread->setOpen(false);
        thread->setPriority(QThread::HighPriority);
        if (!thread->isIdle()) {
            if (!waitingToOpen_) {
                emit busyChanged(true);
                QApplication::setOverrideCursor(Qt::WaitCursor);
            }
            waitingToOpen_ = true;
            disconnect(thread, &OstrivalThread::closureComplete, this,
                       QOverload<>::of(&GmModel::openSession));
            connect(thread, &OstrivalThread::closureComplete, this,
                    QOverload<>::of(&GmModel::openSession));
            return;
        }
    } else {
        // Closed: only the drain this model asked for reopens the thread; a thread closed by
        // someone else (the window draining for exit) stays closed.
        if (!waitingToOpen_)
            return;
        if (!thread->isIdle())
            return;
    }
    if (waitingToOpen_) {
        disconnect(thread, &OstrivalThread::closureComplete, this,
                   QOverload<>::of(&GmModel::openSession));
        QApplication::restoreOverrideCursor();
        emit busyChanged(false);
        waitingToOpen_ = false;
    }
    thread->setOpen(true);
    if (!sourceImage_)
        return;
    if (sourceImage_->workingImage().isNull() || sourceImage_->workingDivisor() != resolution_)
        sourceImage_->makeWorkingImage(resolution_);
    thread->submit(new JxCmdNewStatusImage(this));
    thread->submit(new JxCmdBeginSession(this, pendingPreservation_));
    for (ArrowTarget* target : arrowTargets())
        target->applyToEngine();
    emit tellImageChanged(sourceImage_);
}

void GmModel::sessionBegun(const EdgeDetectionRecord& suggested, int preservation) {
    EDOs& options = imageSmeg_->options();
    options.setDefaultsFromEngineRecord(suggested);
    if (!persistOptionsOn() && preservation == GmSession::ChooseSettings)
        options.setFromEngineRecord(suggested);
    options.applyAll();
    options.saveAll();
    emit sessionHasBegun();
    // The auto cut keeps the cut-out current from here until the session ends.
    connectAutoCut(true);
}

void GmModel::connectAutoCut(bool on) {
    if (on) {
        connect(statusArray_, &GmStatusArray::statusChanged, autoCut_, &AutoCut::cutoutNeededSlot,
                Qt::UniqueConnection);
        connect(this, &GmModel::imageBlendRatioChanged, autoCut_, &AutoCut::cutoutNeededSlot,
                Qt::UniqueConnection);
    } else {
        disconnect(statusArray_, &GmStatusArray::statusChanged, autoCut_,
                   &AutoCut::cutoutNeededSlot);
        disconnect(this, &GmModel::imageBlendRatioChanged, autoCut_, &AutoCut::cutoutNeededSlot);
    }
}

void GmModel::endSession(TqSourceImage* source, TqSourceImage* output) {
    connectAutoCut(false);
    if (OstrivalThread* thread = theEngineThread) {
        disconnect(thread, &OstrivalThread::closureComplete, this,
                   QOverload<>::of(&GmModel::openSession));
        if (waitingToOpen_) {
            // The session that was waiting for the drain will not open now: undo the wait.
            waitingToOpen_ = false;
            QApplication::restoreOverrideCursor();
            emit busyChanged(false);
            thread->setOpen(true);
        }
        thread->cancelCommandsSlot();
    }
    revertAllArrowTargets();
    bool handedOver = false;
    if (JxSession* session = imageSmeg_->session()) {
        JxSession* analysis = imageSmeg_->analysedSession();
        imageSmeg_->setAnalysedSession(nullptr);
        imageSmeg_->refreshVectorEdges();
        imageSmeg_->setSession(nullptr);
        if (OstrivalThread* thread = theEngineThread; thread && thread->isOpen()) {
            thread->submit(new JxCmdEndSession(this, session, analysis, source, output));
            handedOver = true;
        }
    }
    if (!handedOver) {
        // No command takes the images: they go now.
        delete source;
        if (output != source)
            delete output;
    }
    if (statusArray_->engineImage())
        if (OstrivalThread* thread = theEngineThread; thread && thread->isOpen())
            thread->submit(new JxCmdDeleteStatusImage(this));
}

bool GmModel::closeImage() {
    // Nothing still waiting for this picture is wanted; discarding it first spares every
    // region's removal a search of the queue for its edge finding.
    if (sourceImage_ && theEngineThread)
        theEngineThread->cancelCommandsSlot();
    // Targets belong to the open image, but one put into a model without an image (restoring,
    // tests) must not outlive the close either.
    closeArrowTargets();
    if (!sourceImage_)
        return true;
    if (hostOwnsImage_) {
        endSession(nullptr, nullptr);
    } else {
        TqSourceImage* source = sourceImage_;
        TqSourceImage* output = outputImage_ != sourceImage_ ? outputImage_ : nullptr;
        sourceImage_ = nullptr;
        outputImage_ = nullptr;
        endSession(source, output);
    }
    if (engine_)
        if (OstrivalThread* thread = theEngineThread; thread && thread->isOpen())
            thread->submit(new JxCmdFinish(this));
    emit tellImageChanged(nullptr);
    imageOrigin_ = 0;
    return true;
}

GmQuestion GmModel::resolutionQuestion(int divisor) const {
    if (!sourceImage_ || divisor == resolution_ || !isWorkingResolutionDivisor(divisor))
        return GmQuestion();
    const bool marks = statusArray_->statusesPresent() & (JxStatusDelete | JxStatusBlend);
    const bool brushPatches = std::any_of(regions_.cbegin(), regions_.cend(),
                                          [](GmRegion* region) {
                                              return region->isBrushRegion();
                                          });
    if (!marks && !brushPatches)
        return GmQuestion();
    return GmQuestion{
        tr("Confirm change of resolution"),
        tr("<p>When changing resolution, the image will be reverted, and masks laid down in "
           "the workspace will be lost.</p><p>Do you wish to continue?</p>")};
}

void GmModel::setResolution(int divisor, bool confirmed) {
    const int old = resolution_;
    if (!isWorkingResolutionDivisor(divisor)) {
        emit resolutionChanged(old, old);
        return;
    }
    if (!sourceImage_) {
        resolution_ = divisor;
        return;
    }
    if (divisor == old) {
        emit resolutionChanged(old, old);
        return;
    }
    if (!confirmed && !resolutionQuestion(divisor).isEmpty()) {
        emit resolutionChanged(old, old);
        return;
    }
    endSession(nullptr, nullptr);
    resolution_ = divisor;
    openSession(GmSession::ChooseSettings);
    scaleBrushSize(old, divisor);
    emit resolutionChanged(old, divisor);
}

void GmModel::scaleBrushSize(int oldDivisor, int newDivisor) {
    BrushSizeValue* value = BrushSizeValue::instance();
    const float scaled = float(value->brushSize()) * (float(oldDivisor) / float(newDivisor));
    value->setBrushSize(int(scaled));
}

void GmModel::setStatusImage(JxImage* statusImage) {
    statusArray_->setStatusImage(statusImage);
    const QImage& image = statusArray_->statusImage();
    emit statusImageChanged(image.isNull() ? nullptr : &image);
    if (statusImage)
        signalDirtyImageSlot(NoPatchPreview);
}

void GmModel::statusImageRefreshed() {
    statusArray_->rescan();
    signalDirtyImageSlot(NoPatchPreview);
}

void GmModel::revertOutputImage() {
    if (sourceImage_ && outputImage_ && outputImage_ != sourceImage_)
        outputImage_->copyPixelsFrom(*sourceImage_);
    // The previews the masks remember were made into the output just overwritten.
    for (GmRegion* region : regions_)
        if (tq::Shape* shape = region->shape())
            if (PixelState* state = shape->pixelState())
                state->saved = false;
}

bool GmModel::isUnmodified() const {
    if (!regions_.isEmpty() || !forcedEdges_.isEmpty())
        return false;
    switch (imageOrigin_) {
    case 0:
        return true;
    case 1:
        return availableUndos_ == 0 && availableRedos_ == 0;
    case 2:
        return availableUndos_ <= 1 && availableRedos_ == 0;
    default:
        return false;
    }
}

// Repaints ----------------------------------------------------------------------------------

void GmModel::signalDirtyImageSlot() {
    signalDirtyImageSlot(NoPatchPreview);
}

void GmModel::signalDirtyImageSlot(PatchPreviewWanted preview) {
    if (!sourceImage_)
        return;
    sourceImage_->refreshFromView();
    emit rectDirty(ImageRectF(sourceImage_->pixmap().rect()), DirtyPixels, preview);
}

void GmModel::signalDirtyOutputImageSlot() {
    if (!outputImage_)
        return;
    outputImage_->setViewChanged();
    outputImage_->refreshFromView();
    emit rectDirty(ImageRectF(outputImage_->pixmap().rect()), DirtyPixels, NoPatchPreview);
    outputImage_->refreshFromView();
    emit cutoutChanged(outputImage_->image());
}

void GmModel::dirtyRectSlot(ImageRectF r) {
    emit rectDirty(r, DirtyPixels, NoPatchPreview);
}
