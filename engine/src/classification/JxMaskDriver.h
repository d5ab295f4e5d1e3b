#pragma once

#include "classification/ForcedEdgeStroke.h"
#include "classification/GenerateMaskLayer.h"
#include "classification/IntBox.h"
#include "classification/JxInterface.h"
#include "classification/MaskPixelFormat.h"
#include "classification/PolylineRounder.h"   // FloatPoint

#include <cstdint>
#include <vector>

class JxInImage;
class JxInProgress;
class JxInSession;

/// The session's side of "Generate mask": turns the flat interface's region and forced-edge
/// records into the core's layers and strokes, hands the core the session's statuses and
/// mask-generation settings, and publishes what the generation changed.
namespace JxMaskDriver {

/// One layer per region, in the records' order, field for field: the region's box (its
/// image rectangle as rows and columns; not clipped here), its mask viewing the caller's bytes
/// in image coordinates (none without pixels), the colour overrides and colours, the requested
/// flag as `solo`, the blend ratio as `blendValue`, a second value above 0.5 as
/// `backgroundDetailHigh`, mode 3 (membrane) as `colourMapLayer` with the first value as
/// `smoothingAmount`, mode 1 (choices) as `mattingLayer` with the two values as
/// `foregroundDetail` and `backgroundDetail`. The records must have passed JxMaskRequest.
std::vector<classification::GenerateMaskLayer> layersFromRegions(const JxMaskRegion* regions,
                                                                 std::int32_t count);

/// One stroke per forced edge, points turned from (x, y) to (row, column), consecutive
/// duplicates dropped; edges left with fewer than two points are dropped.
std::vector<classification::ForcedEdgeStroke> strokesFromForcedEdges(
    const JxForcedEdge* edges, std::int32_t count);

/// Whether the session has what a generation needs: a session that can be analysed must
/// itself be analysed, one that cannot must share its parent's analysis.
bool canGenerate(const JxInSession& session);

/// Runs the generation of the format on `session`: `output` covers the output box (output
/// coordinates), `source` the whole source; `statusBox` (working coordinates) or null for
/// the whole image; `blendRatio` already clamped. Returns JxNotAnalysed when the session
/// cannot generate, else the core's result. The changed rectangle is published on every way
/// out; exceptions propagate.
template <class Format>
int generate(JxInSession& session, typename Format::Image output,
             const typename Format::Image& source, JxInImage& statusImage,
             const classification::IntBox* statusBox, const classification::FloatPoint& scale,
             const JxForcedEdge* forcedEdges, std::int32_t forcedEdgeCount, float autoBlendWidth,
             float blendRatio, const JxMaskRegion* regions, std::int32_t regionCount,
             JxInProgress& reporter);

}  // namespace JxMaskDriver
