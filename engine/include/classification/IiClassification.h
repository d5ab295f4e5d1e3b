#pragma once

#include "Colour.h"
#include "classification/IntBox.h"
#include "classification/Quantiser.h"
#include "classification/SegmentInfo.h"
#include "classification/UndoHistory.h"

#include <blitz/array.h>
#include <blitz/tinyvec2.h>

#include <array>
#include <optional>

namespace classification {

using ColourImage = blitz::Array<Corvel::utility::Colour<unsigned char>, 2>;
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

    /// Adds `changed` to the box of statuses changed since the session last published it.
    void growChangedBox(const IntBox& changed);
    /// The changed box since the last call, forgotten by this call.
    std::optional<IntBox> takeChangedBox();

    /// The working box as a command starts: empty.
    void resetWorkingBox() { workingBox = IntBox(1, 0, 0, 0); }

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
