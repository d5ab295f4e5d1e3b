#pragma once

#include "classification/AnalysisImage.h"
#include "classification/Histogram1D.h"
#include "classification/HistogramPeak.h"
#include "classification/IntBox.h"
#include "classification/ProgressRange.h"
#include "classification/SegmentInfo.h"

#include <blitz/array.h>
#include <blitz/tinyvec2.h>

#include <array>

namespace classification {

class GradientTables;

/// A pixel of the edge map: channel 0 the shoulder level, channel 1 the valley level of the
/// gradient stage, channel 2 the edge width in pixels.
using EdgeMapPixel = blitz::TinyVector<unsigned char, 3>;
using EdgeMap = blitz::Array<EdgeMapPixel, 2>;

/// The two ratings of a pixel corner: from the shoulder heights and from the valley heights.
using CornerRating = blitz::TinyVector<float, 2>;

using HistogramGrid = blitz::Array<Histogram1D, 2>;

/// The segmentation of the analysis image into regions by local histograms: its settings, the
/// per-stage settings cache, the arrays each stage leaves for the next, and the five stages.
///
/// The stages run in this order, each told whether an earlier stage changed its outputs and
/// each skipping its work when neither that nor its own settings changed:
///  1. cell histograms: six smoothed local histograms for every cell of a grid of
///     `resolution` pixels, one channel per worker;
///  2. histogram peaks ("Watershed first"): every cell histogram cut into humps at its valleys;
///  3. gradient map: shoulder and valley ratings of every pixel, on one worker per processor;
///  4. edge-width map: a slowly varying edge width per pixel;
///  5. watershed: a segment label for every pixel.
///
/// Used by one engine thread at a time; the stages' own threads are joined before a stage
/// returns, and only the calling thread reports progress.
class Segmentation {
public:
    static constexpr int channelCount = 6;
    static constexpr int settingsSlots = 7;
    static constexpr int wholeImageSlot = 6;

    /// The settings a new classification object starts with (colour bits 5, feature tolerance
    /// 1.1, image tolerance 2, interpolation 0, resolution 8, overlap 1, edge width 2), an
    /// empty cache, all channels on, no image.
    Segmentation();
    Segmentation(const Segmentation&) = delete;
    Segmentation& operator=(const Segmentation&) = delete;
    ~Segmentation();

    /// The settings of the analysis being run; the engine session copies its variables here.
    SegmentInfo currentSettings;
    /// The settings of the last completed run: slots 0 to 5 per channel (cell histograms and
    /// peaks), slot 6 for the whole image (edge width and watershed).
    std::array<SegmentInfo, settingsSlots> stageSettings;
    std::array<bool, channelCount> segmentationChannels;

    /// The image to analyse; the analysis box becomes its bounds and the cache is reset, so
    /// every stage recomputes at the next run. The image's storage is shared.
    void setAnalysisImage(const AnalysisImage& image);
    /// Channel flag i becomes bit i of the mask.
    void setSegmentationChannels(unsigned channelMask);
    /// Copies the current settings into the cache (slot 6 only when a channel is on).
    void storeStageSettings();
    /// Resets every cache slot to the default record: the next run recomputes everything.
    void clearStageSettings();

    const IntBox& box() const { return box_; }
    const AnalysisImage& analysisImage() const { return analysisImage_; }

    /// Threads of the cell histogram stage (at most one per channel) and of the gradient
    /// stage, the calling thread included; 0 (the default) means one per processor.
    void setWorkerCount(unsigned count) { workerCount_ = count; }
    unsigned workerCount() const { return workerCount_; }

    /// Runs the five stages on `range`; true when any stage changed its outputs. On any
    /// exception the cache is reset and the exception is rethrown unchanged (JxExCancel,
    /// std::bad_alloc, a stage thread's own failure, ...). Throws std::logic_error when no
    /// analysis image was set.
    bool runSegmentation(ProgressRange range);

    bool updateCellHistograms(bool changed, ProgressRange range);
    bool findHistogramPeaks(bool changed, ProgressRange range);
    bool watershedFirst(bool changed, int channel, ProgressRange range);
    bool computeGradientMap(bool changed, ProgressRange range);
    bool computeEdgeWidthMap(bool changed, ProgressRange range);
    bool segmentWatershed(bool changed, ProgressRange range);

    /// The cell grid of the analysis box: its corners divided by the resolution.
    IntBox cellGrid() const;
    const HistogramGrid& cellHistograms(int channel) const { return cellHistograms_[channel]; }
    const PeakList& peakList(int channel) const { return peakLists_[channel]; }

    /// Over the analysis box grown by 2 on every side.
    const EdgeMap& edgeMap() const { return edgeMap_; }
    /// The part of the edge map inside the analysis box.
    const EdgeMap& edgeMapView() const { return edgeMapView_; }
    /// Channel 2 of the edge map view; valid while the edge map is not re-sized.
    blitz::Array<unsigned char, 2> edgeWidthPlane() const;
    /// 255.99 / (maximum - minimum) of the last gradient run's corner ratings.
    float gradientScale() const { return gradientScale_; }

    /// Segment labels over the analysis box grown by 2 (empty when the watershed is off).
    const blitz::Array<int, 2>& segmentLabels() const { return segmentLabels_; }
    const blitz::Array<int, 2>& segmentLabelsView() const { return segmentLabelsView_; }
    /// Labels handed out by the last watershed (the frame's label 0 included), -1 when the
    /// watershed was off; the labelling stage rewrites it.
    int segmentCount() const { return segmentCount_; }
    void setSegmentCount(int count) { segmentCount_ = count; }

private:
    friend class HistogramUpdater;

    bool histogramTask(int channel, ProgressRange range);
    void resizeCellGrid(const IntBox& grid);

    /// Sizes the edge map to the analysis box grown by 2 (new storage when the box changed).
    void prepareEdgeMap();
    void runGradientWorkers(const GradientTables& tables, blitz::Array<CornerRating, 2>& corners,
                            ProgressRange range);
    /// Throws std::logic_error unless every cell histogram of the current grid has its peaks.
    void checkPeaksMatchHistograms() const;

    int cellSize() const;
    int smoothingRadius() const;

    AnalysisImage analysisImage_;
    IntBox box_;

    std::array<HistogramGrid, channelCount> cellHistograms_;
    std::array<PeakList, channelCount> peakLists_;
    Histogram1D rootHistogram_;

    EdgeMap edgeMap_;
    EdgeMap edgeMapView_;
    float gradientScale_ = 1.0f;

    blitz::Array<int, 2> segmentLabels_;
    blitz::Array<int, 2> segmentLabelsView_;
    int segmentCount_ = -1;

    unsigned workerCount_ = 0;
};

}  // namespace classification
