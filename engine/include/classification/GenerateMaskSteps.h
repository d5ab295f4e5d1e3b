#pragma once

#include "classification/ForcedEdgeStroke.h"
#include "classification/GenerateMaskLayer.h"
#include "classification/IntBox.h"
#include "classification/PolylineRounder.h"   // FloatPoint

#include <blitz/array.h>

#include <set>
#include <vector>

// The bookkeeping of a mask generation around its passes: which boxes it works on, which
// passes run for which layers, the blend map, and the work bits that tell a pass which
// working cells it must produce. The generate-mask core strings these together.

namespace classification {

/// The kinds of pass, run in ascending order: the matting layers first, then the colour-map
/// layers, then the global blend over what is left.
enum MaskPassKind : int { mattingPassKind = 0, colourMapPassKind = 1, globalPassKind = 2 };

/// The output pixels of a working box: (trunc(lower * scale), trunc((upper + 1) * scale - 1))
/// per axis in single precision, ordered, and intersected with `outputDomain`.
IntBox outputBoxOf(const IntBox& generationBox, const FloatPoint& scale,
                   const IntBox& outputDomain);

/// The generation box grown on each axis by a sixteenth of the status image's extent (the
/// extent of the status domain with both corners divided by 16) and clipped to the domain:
/// the neighbourhood whose statuses feed the colour estimates of a part-image generation.
IntBox marginBoxOf(const IntBox& generationBox, const IntBox& statusDomain);

/// Whether working cell (i, j) lies in the layer's area: always when the layer has no mask;
/// else where the mask is non-zero (cells outside the mask's domain are outside the area).
/// The caller keeps (i, j) inside the layer's box.
inline bool insideLayerMask(const GenerateMaskLayer& layer, int i, int j) {
    if (layer.mask.numElements() == 0)
        return true;
    const blitz::Array<unsigned char, 2>& m = layer.mask;
    return i >= m.lbound(0) && i <= m.ubound(0) && j >= m.lbound(1) && j <= m.ubound(1) &&
           m(i, j) != 0;
}

/// The pass kinds of a generation, and the solo restriction. Without a solo layer: the global
/// pass, plus the colour-map and matting passes that some layer asks for. At the first solo
/// layer: only that layer's pass; the generation box shrinks to the layer's box (clipped to the
/// generation box, so a region sticking out of the image cannot widen it; the caller treats an
/// empty result as nothing to do, and then no status has been touched); the cells of the box
/// outside the layer's mask become done and those inside lose the done bit; `layers` keeps only
/// that layer.
std::set<int> planMaskPasses(std::vector<GenerateMaskLayer>& layers, IntBox& generationBox,
                             blitz::Array<unsigned char, 2> status);

/// A blend value as a blend-map byte: clamped to [0, 1] (NaN counts as 0), times 255,
/// truncated.
unsigned char blendMapByte(float blendValue);

/// The blend map over the generation box: the default blend everywhere, then each layer's
/// blend value over its area, later layers over earlier ones.
blitz::Array<unsigned char, 2> buildBlendMap(const IntBox& generationBox, float defaultBlend,
                                             const std::vector<GenerateMaskLayer>& layers);

/// The working box a layer's own pass covers: the layer's box inside the requested box (when
/// there is one) and the generation box; empty when they do not meet.
IntBox layerPassBox(const GenerateMaskLayer& layer, const IntBox* requestedBox,
                    const IntBox& generationBox);

/// Marks the cells a layer's pass must produce: every cell of `box` (inside the status
/// image) that lies in the layer's area becomes pending, every other cell of it stops being
/// pending.
void markLayerCells(blitz::Array<unsigned char, 2> status, const IntBox& box,
                    const GenerateMaskLayer& layer);

/// Marks every cell of `box` pending (the global pass).
void markAllCells(blitz::Array<unsigned char, 2> status, const IntBox& box);

/// After a pass: every pending cell of `box` becomes done, so later passes leave it alone.
void relabelPendingCells(blitz::Array<unsigned char, 2> status, const IntBox& box);

/// Clears both work bits of every cell of `box` (clipped to the status image).
void clearWorkBits(blitz::Array<unsigned char, 2> status, const IntBox& box);

/// The progress fraction at which the matting pass of layer `index` (0-based, of `count`
/// layers) ends: half the core's range, shared out by position in the layer list.
float mattingProgressFraction(int index, int count);

/// Forced edges from working to output coordinates: widths times the first axis' scale,
/// points moved to their pixel centres (+0.5) and scaled per axis.
void scaleForcedEdges(std::vector<ForcedEdgeStroke>& edges, const FloatPoint& scale);

}  // namespace classification
