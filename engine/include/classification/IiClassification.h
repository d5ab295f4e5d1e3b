#pragma once

#include "Colour.h"
#include "classification/EdgePolylineList.h"
#include "classification/ForcedEdgeStroke.h"
#include "classification/GenerateMaskLayer.h"
#include "classification/GlobalClassification.h"
#include "classification/IntBox.h"
#include "classification/ProgressRange.h"
#include "classification/Quantiser.h"
#include "classification/SegmentInfo.h"
#include "classification/Segmentation.h"
#include "classification/UndoHistory.h"

#include <blitz/array.h>
#include <blitz/tinyvec2.h>

#include <array>
#include <optional>
#include <vector>

namespace classification {

using ColourImage = blitz::Array<Corvel::utility::Colour<unsigned char>, 2>;
using ColourImage16 = blitz::Array<Corvel::utility::Colour<unsigned short>, 2>;
using ByteImage = blitz::Array<unsigned char, 2>;
using LabelImage = blitz::Array<int, 2>;
/// A pixel of the six-plane texture image the analysis works on.
using AnalysisPixel = blitz::TinyVector<unsigned char, 6>;
using AnalysisImage = blitz::Array<AnalysisPixel, 2>;
/// A pixel of the edge map: shoulder level, valley level, edge width.
using EdgeMapPixel = blitz::TinyVector<unsigned char, 3>;
using EdgeMap = blitz::Array<EdgeMapPixel, 2>;

/// What the engine knows about one session's image between commands: the analysis settings
/// copied from the variables, the analysis results a sub-session can take over, the work array
/// and boxes of the status commands, and the undo history of the session's statuses.
///
/// Every array is indexed in the pixel grid of the top session; a sub-session's arrays cover
/// only its box.
class IiClassification {
public:
    static constexpr int maximumUndoGroups = 200;

    /// `source` is the session's image (a sub-session's part of its parent's image, with the
    /// parent's indices); its storage is shared, not copied. `parent` is the parent session's
    /// classification, or null.
    IiClassification(IiClassification* parent, bool analysable, const ColourImage& source);
    IiClassification(const IiClassification&) = delete;
    IiClassification& operator=(const IiClassification&) = delete;
    ~IiClassification();

    /// The box the analysis covers.
    IntBox box() const { return analysisBox; }
    /// The domain of the session's image.
    IntBox domain() const { return IntBox::domainOf(colourImage); }

    /// The analysis works on `image` from now on, over its index box; every stage's cached
    /// settings are forgotten, so the next analysis recomputes them all.
    void setAnalysisImage(const AnalysisImage& image);

    /// Takes over the parent's analysis results over this object's box, sharing their storage.
    /// A parent result that does not cover the box is not taken over.
    void copyFromParent();

    /// Writes the work values inside `workingBox` into `status` and records the change as one
    /// step in `history` (none: not recorded). A pixel changes only where both its work value
    /// and its status are not 0; it takes the work value's `statusBits` and keeps its other bits.
    /// A result of 0 is never written, since 0 marks a pixel no command changes.
    void commitWorkStatus(ByteImage status, UndoHistory* history);

    /// Writes `newStatuses` into `status` where both domains meet, recording the change in this
    /// object's history; a new status of 0 and a pixel whose status is 0 leave the pixel as it is.
    void setStatus(ByteImage status, const ByteImage& newStatuses);

    /// The segmentation of the analysis image with the current settings: runs the stages whose
    /// inputs changed (see Segmentation), keeps the cache in `stageSettings`, and publishes the
    /// edge map (over the analysis box grown by 2), its edge-width plane, the gradient scale, the
    /// segment labels (over the box grown by 2; empty when the image tolerance is 1 or less) and
    /// their count. Throws what the stages throw, after resetting the cache.
    bool runSegmentation(ProgressRange range);

    /// Adds `changed` to the box of statuses changed since the session last published it.
    void growChangedBox(const IntBox& changed);
    /// The changed box since the last call, forgotten by this call.
    std::optional<IntBox> takeChangedBox();

    /// Generates the cut-out's colours and alpha into `output` (output resolution, over the
    /// output box of the generation; source, statuses and forced edges as the session's driver
    /// prepares them) in 8-bit pixels; generateMask16 and generateMask15 do the same for 16-bit
    /// pixels with maximum 65535 and 32768. `requestedBox` (working resolution) or null for the
    /// whole image; `scale` output pixels per working pixel on each axis (1, 2, 4 or 8);
    /// `layers` may be reduced to a solo layer. Returns 1 when there is nothing to generate or
    /// a matting layer failed and no forced edge was drawn, else 0. On every exception the
    /// statuses are as before the call, and an early or failed part-image generation leaves no
    /// status changed.
    int generateMask8(ColourImage output, const ColourImage& source, ByteImage status,
                      const IntBox* requestedBox, const FloatPoint& scale,
                      std::vector<ForcedEdgeStroke> forcedEdges, float autoFillParameter,
                      float defaultBlend, std::vector<GenerateMaskLayer>* layers,
                      ProgressRange progress);
    int generateMask16(ColourImage16 output, const ColourImage16& source, ByteImage status,
                       const IntBox* requestedBox, const FloatPoint& scale,
                       std::vector<ForcedEdgeStroke> forcedEdges, float autoFillParameter,
                       float defaultBlend, std::vector<GenerateMaskLayer>* layers,
                       ProgressRange progress);
    int generateMask15(ColourImage16 output, const ColourImage16& source, ByteImage status,
                       const IntBox* requestedBox, const FloatPoint& scale,
                       std::vector<ForcedEdgeStroke> forcedEdges, float autoFillParameter,
                       float defaultBlend, std::vector<GenerateMaskLayer>* layers,
                       ProgressRange progress);

    /// The working box as a command starts: empty.
    void resetWorkingBox() { workingBox = IntBox(1, 0, 0, 0); }

    // The analysis ("Analyse Image"). Each throws JxExCancel when the reporter cancels,
    // std::bad_alloc when memory runs out, anything else on failure; all worker threads are
    // joined before any of them returns or throws.

    /// The pipeline: texture stage, colour classification, segmentation, labelling, region
    /// restriction to `regionMask` (over the source box, 0 = outside) and partition.
    void analyse(const ByteImage* regionMask, ProgressRange range);
    /// The six-plane texture image from the source, one colour channel per task, on one thread
    /// per processor (`workerCount`); does nothing while the texture is current.
    void runTextureFilter(ProgressRange range);
    /// Fills texture planes `plane` and `secondPlane` from one colour channel.
    void filterChannel(ByteImage plane, ByteImage secondPlane, const ByteImage& channel,
                       int radius, ProgressRange range);
    /// Numbers the regions of the segmentation into `regionLabels` and `segmentCount`.
    void labelSegments();
    /// The class image at the requested class level, one class per region.
    void partition(ProgressRange range);
    /// The boundaries between regions as float polylines (empty when "imageTol" is 1 or less).
    void buildVectorEdges(EdgePolylineList& edges, ProgressRange range);
    /// Whether the arrays that the selection commands read of an analysis are here.
    bool hasSegmentationArrays() const;

    // The status commands. Each works on `status`, a view of the session's statuses over (part
    // of) its box, writes `workStatus` and commits with undo recording.

    /// Gives `newStatus` to the pixels chosen by `mode` (0 box, 1 connected colour, 2 whole
    /// classes, 3 connected regions) whose status passes the from test.
    void select(const IntBox& selectionBox, const ByteImage* mask, ByteImage status, int mode,
                unsigned char newStatus, unsigned char bits, unsigned char fromStatus,
                unsigned char fromMask, int classLevel, ProgressRange range);
    /// Closes the holes that the last Select left, up to `strength` pixels wide.
    void despeckleSelection(ByteImage status, int strength, ProgressRange range);
    void fillSelectionHoles(ByteImage status, int strength, ProgressRange range);
    /// Refines the last Select by a watershed over the level image around its working box.
    void autoComplex(ByteImage status, ProgressRange range, float blendScale);
    /// Gives every open pixel of `box` (or the whole status array) the status opposite to
    /// `fillStatus`, with a blend band along the boundary when `blendScale` is not 0.
    void autoFill(ByteImage status, const IntBox* box, unsigned char fillStatus,
                  float blendScale, UndoHistory* history, ProgressRange range);

    // Analysis settings.
    SegmentInfo currentSettings = SegmentInfo::initial();
    std::array<SegmentInfo, 7> stageSettings{};
    std::array<bool, 6> segmentationChannels{{true, true, true, true, true, true}};
    int maxColourBits = 8;
    float tPercent = 0.16f;
    int smoothingRadius = 1;
    int requestedClassCount = -1;   // -1: automatic
    int resultingClassCount = 0;
    int bSmooth = 0;                // the mask generation's settings, set before each generation
    int bCareful = 0;
    int bGreedy = 0;
    int vMidPoint = 0;              // the vector edges' settings, set before each extraction
    float vSimplify = 1.0f;
    float vSmooth = 1.0f;
    float sourceAlphaThreshold = 1.0f;   // a source pixel is opaque from this fraction of full alpha

    // The image and the analysis results.
    ColourImage colourImage;
    ColourImage workingCopy;        // the texture stage's copy of the source
    bool workingCopyCurrent = false;
    int textureState = 0;           // 2: the analysis image matches the settings
    AnalysisImage analysisImage;
    IntBox analysisBox{0, 0, 0, 0};
    EdgeMap edgeMap;                // levels and edge widths of the last analysis
    ByteImage edgeWidthPlane;       // the edge-width channel of edgeMap
    float gradientScale = 1.0f;
    LabelImage segmentLabels;       // the segmentation's labels
    LabelImage regionLabels;        // one label per segment, -1 outside every segment
    int segmentCount = 0;
    LabelImage classLabels;         // the colour class of every pixel
    LabelImage classLabelsStorage;  // classLabels with a two-pixel margin
    Quantiser quantiser;
    Segmentation segmentation;      // the stages' grids, peaks, workers and cache

    // The analysis machinery.
    ColourClassifier classifier;
    /// Threads of every analysis stage and of the matting of a mask generation, the calling
    /// thread included; 0 means one per processor.
    unsigned workerCount = 0;

    // The parameters of the last Select, read by Despeckle selection and Auto complex.
    unsigned char selectNewStatus = 0;
    unsigned char selectFromStatus = 0;
    unsigned char selectFromMask = 0;
    int selectMode = 0;

    // The status commands.
    ByteImage workStatus;           // a status command's new values; 0 where it changes nothing
    ByteImage workStatusStorage;    // workStatus with a one-pixel margin of 1s
    IntBox workingBox = IntBox::none();
    unsigned char statusBits = 0;   // the bits the current command may change
    std::optional<IntBox> changedBox;
    UndoHistory undoHistory{maximumUndoGroups};

    IiClassification* parent;   // null once the parent session has ended
    const bool analysable;
};

}  // namespace classification
