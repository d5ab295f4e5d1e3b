#include "masking/JxCmdGenerateMask.h"

#include "masking/ForcedEdge.h"
#include "masking/GmModel.h"
#include "masking/GmRegion.h"
#include "masking/GmStatusArray.h"
#include "masking/JxCmdHelpers.h"
#include "masking/OstrivalThread.h"
#include "masking/SegmentationStuff.h"
#include "masking/TqSourceImage.h"
#include "masking/BlendingStuff.h"

#include <QCoreApplication>

std::atomic<int> theLastMaskModification{0};

namespace {

// Blend kinds of a region record.
constexpr std::uint8_t automaticBlend = 0;
constexpr std::uint8_t choicesBlend = 1;
constexpr std::uint8_t membraneBlend = 3;

void putColour(std::uint8_t (&bgr)[3], const QColor& colour)
{
    bgr[0] = std::uint8_t(colour.blue());
    bgr[1] = std::uint8_t(colour.green());
    bgr[2] = std::uint8_t(colour.red());
}

JxMaskRegion regionRecord(const QImage& mask, const BlendingOptions& options)
{
    JxMaskRegion record{};
    record.x = mask.offset().x();
    record.y = mask.offset().y();
    record.width = mask.width();
    record.height = mask.height();
    record.bytesPerLine = mask.bytesPerLine();
    record.format = mask.format();
    record.pixels = mask.constBits();
    record.requested = 0;   // every request covers the whole image
    record.foregroundOverride = options.fgChecked_ ? 1 : 0;
    record.backgroundOverride = options.bgChecked_ ? 1 : 0;
    putColour(record.foregroundColour, options.fgOverride_);
    putColour(record.backgroundColour, options.bgOverride_);
    if (options.isMembrane_) {
        record.mode = membraneBlend;
        record.firstValue = options.membrane1F_;
    } else if (options.isChoices_) {
        record.mode = choicesBlend;
        record.firstValue = options.choices1F_;
        record.secondValue = options.choices2F_;
    } else {
        record.mode = automaticBlend;
        record.blendRatio = options.blendRatioF_;
    }
    return record;
}

}  // namespace

JxCmdGenerateMask::JxCmdGenerateMask(GmModel* model)
    : OstrivalCommand(model, QCoreApplication::translate("JxCmdGenerateMask", "Creating Cut-out...")),
      autoBlendWidth_(model->imageBlendage()->options.autoBlueWidthF_),
      blendRatio_(model->imageBlendage()->options.blendRatioF_)
{
}

bool JxCmdGenerateMask::prepare()
{
    GmModel* m = model();
    if (!jxcmd::isProcessModel(m))
        return false;
    const SegmentationStuff* smeg = m->imageSmeg();
    if (!smeg || (!smeg->isAnalysisReady() && !smeg->runningAnalysis()))
        return false;
    GmStatusArray* status = m->statusArray();
    if (!(status->statusesPresent() & (JxStatusKeep | JxStatusDelete)))
        return false;
    session_ = jxcmd::modelSession(m);
    statusImage_ = jxcmd::modelStatusImage(m);
    if (!m->sourceImage() || !m->outputImage() || !statusImage_)
        return false;
    source_ = m->sourceImage()->pixelView();
    output_ = m->outputImage()->pixelView();

    edgePoints_.clear();
    for (ForcedEdge* edge : m->forcedEdges()) {
        edgePoints_.push_back(edge->workingPoints());
        forcedEdges_.push_back(JxForcedEdge{nullptr, 0, float(edge->width())});
    }
    // The records point into the copies only once every copy has its final address.
    for (std::size_t i = 0; i < forcedEdges_.size(); ++i) {
        forcedEdges_[i].points = edgePoints_[i].data();
        forcedEdges_[i].count = std::uint32_t(edgePoints_[i].size() / 2);
    }

    for (GmRegion* region : m->regions()) {
        const QImage* mask = region->regionMask();
        regionMasks_.push_back(mask ? mask->copy() : QImage());
        regionMasks_.back().setOffset(mask ? mask->offset() : QPoint());
    }
    for (std::size_t i = 0; i < regionMasks_.size(); ++i)
        regions_.push_back(regionRecord(regionMasks_[i], m->regions()[int(i)]->blendage().options));
    // A patch whose preview still stands keeps it: the engine leaves its flagged pixels alone.
    for (GmRegion* region : m->regions())
        status->markCurrentPreviews(region);
    return session_ != nullptr;
}

void JxCmdGenerateMask::execute()
{
    theLastMaskModification.store(1);
    result_ = JxGenerateMask(session_, nullptr, output_, source_, statusImage_,
                             forcedEdges_.empty() ? nullptr : forcedEdges_.data(),
                             std::int32_t(forcedEdges_.size()), autoBlendWidth_, blendRatio_,
                             regions_.empty() ? nullptr : regions_.data(),
                             std::int32_t(regions_.size()), &OstrivalThread::reportEngineProgress);
}

void JxCmdGenerateMask::hasFinished()
{
    checkResult(result_);
    if (GmModel* m = model())
        m->signalDirtyOutputImageSlot();
    if (result_ == JxOk && theEngineThread)
        theLastMaskModification.store(theEngineThread->modificationCount());
}
