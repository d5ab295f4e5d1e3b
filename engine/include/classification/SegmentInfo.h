#pragma once

#include <cstdint>

namespace classification {

/// The settings that drive the segmentation stages. The engine session copies its variables
/// into the current record before every analysis; each stage compares the fields it reads with
/// the record kept from the last completed run to decide whether it must recompute. A
/// default-constructed record differs from any real settings in every compared field, so a
/// cache slot reset to it forces a recomputation.
struct SegmentInfo {
    std::int32_t colourBits = -1;
    float reserved1 = -1.0f;
    float reserved2 = -1.0f;
    float featureTol = -1.0f;
    float imageTol = -1.0f;
    float focus = -1.0f;
    float reserved3 = -1.0f;
    std::int32_t interpolation = -1;
    std::int32_t resolution = -1;
    std::int32_t overlap = -1;
    std::int32_t settingsStamp = -1;
    std::int32_t inFocusEdgeWidth = -1;
    std::int32_t blendMode = 0;
    std::int32_t fgSampling = 1;
    std::int32_t bgSampling = 1;
};

}  // namespace classification
