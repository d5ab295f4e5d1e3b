#include "classification/Segmentation.h"

#include "classification/ProgressMessage.h"

#include <algorithm>
#include <stdexcept>

namespace classification {

Segmentation::Segmentation() : currentSettings(SegmentInfo::initial()) {
    segmentationChannels.fill(true);
    // The owner of every peak list's first entry: one bin holding the count 1.
    rootHistogram_.setRange(0, 0, 8, 0);
    rootHistogram_.bin(0) = 1;
}

Segmentation::~Segmentation() = default;

void Segmentation::setAnalysisImage(const AnalysisImage& image) {
    analysisImage_.reference(image);
    box_ = IntBox::domainOf(image);
    clearStageSettings();
}

void Segmentation::setSegmentationChannels(unsigned channelMask) {
    for (int c = 0; c < channelCount; ++c)
        segmentationChannels[c] = (channelMask & (1u << c)) != 0;
}

void Segmentation::storeStageSettings() {
    for (int c = 0; c < channelCount; ++c)
        stageSettings[c] = currentSettings;
    if (std::any_of(segmentationChannels.begin(), segmentationChannels.end(),
                    [](bool on) { return on; }))
        stageSettings[wholeImageSlot] = currentSettings;
}

void Segmentation::clearStageSettings() { stageSettings.fill(SegmentInfo()); }

int Segmentation::cellSize() const { return std::max(currentSettings.resolution, 1); }

int Segmentation::smoothingRadius() const { return std::max(currentSettings.overlap, 0); }

IntBox Segmentation::cellGrid() const {
    const int v = cellSize();
    // Integer division truncates toward zero, also for negative corners.
    return IntBox(box_.lower[0] / v, box_.lower[1] / v, box_.upper[0] / v, box_.upper[1] / v);
}

blitz::Array<unsigned char, 2> Segmentation::edgeWidthPlane() const {
    if (edgeMapView_.numElements() == 0)
        return blitz::Array<unsigned char, 2>();
    return edgeMapView_[2];
}

bool Segmentation::runSegmentation(ProgressRange range) {
    if (std::none_of(segmentationChannels.begin(), segmentationChannels.end(),
                     [](bool on) { return on; })) {
        range.report(1.0f);
        return false;
    }
    if (analysisImage_.numElements() == 0)
        throw std::logic_error("segmentation without an analysis image");
    try {
        const bool cells = updateCellHistograms(false, range.subRange(0.14285715f));
        const bool peaks = findHistogramPeaks(cells, range.subRange(0.2857143f));
        bool changed = cells || peaks;
        const bool gradient = computeGradientMap(changed, range.subRange(0.42857143f));
        changed = changed || gradient;
        const bool widths = computeEdgeWidthMap(changed, range.subRange(0.44285715f));
        changed = changed || widths;
        const bool labels = segmentWatershed(changed, range.subRange(1.0f));
        storeStageSettings();
        return changed || labels;
    } catch (...) {
        // Partly written arrays must not be mistaken for results at the next run.
        clearStageSettings();
        throw;
    }
}

bool Segmentation::findHistogramPeaks(bool changed, ProgressRange range) {
    bool recomputed = false;
    for (int c = 0; c < channelCount; ++c) {
        const float end = static_cast<float>(c / 6.0 + 0.165);
        recomputed = watershedFirst(changed, c, range.subRange(end)) || recomputed;
    }
    return recomputed;
}

bool Segmentation::watershedFirst(bool changed, int channel, ProgressRange range) {
    if (!changed && stageSettings[channel].featureTol == currentSettings.featureTol)
        return false;
    PeakList& peaks = peakLists_[channel];
    HistogramGrid& grid = cellHistograms_[channel];
    peaks.clear();
    HistogramPeak root;
    root.peakBin = 0;
    root.peakHeight = rootHistogram_.bin(0);
    root.histogram = &rootHistogram_;
    peaks.push_back(root);
    if (peaks.capacity() < static_cast<std::size_t>(grid.numElements()))
        peaks.reserve(static_cast<std::size_t>(grid.numElements()));
    range.report(0.25f, range.ui ? progressMessage("classification/Segmentation", 1371,
                                                   "Watershed first")
                                 : std::string());

    const float ratio = currentSettings.featureTol;
    for (int x = grid.lbound(0); x <= grid.ubound(0); ++x)
        for (int y = grid.lbound(1); y <= grid.ubound(1); ++y) {
            Histogram1D& histogram = grid(x, y);
            const std::size_t begin = peaks.size();
            histogram.firstPeak = static_cast<int>(begin);
            splitHistogramPeaks(histogram, peaks, ratio);
            histogram.endPeak = static_cast<int>(peaks.size());
            for (std::size_t k = begin; k < peaks.size(); ++k) {
                peaks[k].histogram = &histogram;
                peaks[k].peakHeight = histogram.bin(peaks[k].peakBin);
            }
        }
    range.report(0.5f);

    for (HistogramPeak& peak : peaks) {
        if (peak.valleyBin == -1) {
            peak.valleyBin = 256;
            peak.valleyHeight = 0;
        } else {
            peak.valleyHeight = peak.histogram->bin(peak.valleyBin);
        }
    }
    range.report(0.75f);

    for (int x = grid.lbound(0); x <= grid.ubound(0); ++x)
        for (int y = grid.lbound(1); y <= grid.ubound(1); ++y)
            selectSignificantValley(grid(x, y), peaks);
    range.report(1.0f);
    return true;
}

void Segmentation::checkPeaksMatchHistograms() const {
    const IntBox cells = cellGrid();
    for (int c = 0; c < channelCount; ++c) {
        const HistogramGrid& grid = cellHistograms_[c];
        if (!boxEquals(IntBox::domainOf(grid), cells))
            throw std::logic_error("cell histograms of another grid");
        const auto peakCount = static_cast<int>(peakLists_[c].size());
        for (auto cell = grid.begin(); cell != grid.end(); ++cell)
            if (!cell->hasBins() || cell->firstPeak < 1 || cell->endPeak <= cell->firstPeak ||
                cell->endPeak > peakCount ||
                (cell->selectedPeak != -1 &&
                 (cell->selectedPeak < cell->firstPeak || cell->selectedPeak >= cell->endPeak)))
                throw std::logic_error("cell histograms without their peaks");
    }
}

}  // namespace classification
