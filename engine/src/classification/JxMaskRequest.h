#pragma once

#include "classification/IntBox.h"
#include "classification/JxInterface.h"

#include <cstdint>

/// What JxGenerateMask makes of its caller's arguments before any work: every check that
/// keeps the generation inside the caller's buffers and records, the output scale, and the
/// boxes of the generation at working and at output resolution.
struct JxMaskRequest {
    int scale = 0;                       // output pixels per status pixel: 1, 2, 4 or 8
    bool hasRectangle = false;
    classification::IntBox statusBox;    // the status image, or its part inside the rectangle
    classification::IntBox outputBox;    // the output pixels of statusBox
    float blendRatio = 0.0f;             // clamped to [0, 1]

    /// JxOk with every field set, or JxRefused when:
    /// - `source` is not format 1, 2 or 3, or `output` has another format or size, or either
    ///   is not a readable buffer (width and height above 0, data set and aligned, stride a
    ///   whole number of pixels and at least width pixels);
    /// - no scale fits the output (chooseMaskScale);
    /// - the rectangle does not meet the status image;
    /// - the blend width or the blend ratio is NaN;
    /// - a count is negative, records are missing for a positive count, a forced edge has a
    ///   positive point count and no points, a region's corners do not fit an int32, a
    ///   region with pixels has a size below 1 or fewer bytes per line than its width, or a
    ///   region's ratio or mode values are not finite.
    /// `statusImage` is a checked status image (format 0).
    static int make(const JxImage& statusImage, const JxRect* rectangle, const JxImage& output,
                    const JxImage& source, float autoBlendWidth, float blendRatio,
                    const JxForcedEdge* forcedEdges, std::int32_t forcedEdgeCount,
                    const JxMaskRegion* regions, std::int32_t regionCount,
                    JxMaskRequest& request);
};

/// The output scale from the sizes of the status image and the output: the ratio
/// (output - 1) / (status - 1) in single precision picks 1 inside (0.9, 1.1), 2 inside
/// (1.8, 2.2), 4 inside (3.6, 4.4), else 8. Rows and columns must pick the same scale (a
/// single column has no ratio and leaves the choice to the rows), and the output must be the
/// status image times the scale, each axis rounded up when the working image was made (so
/// the status size is the output size divided by the scale, rounded up). 0 when the status
/// image has fewer than 2 rows or when the sizes do not fit one scale.
int chooseMaskScale(int statusWidth, int statusHeight, int outputWidth, int outputHeight);
