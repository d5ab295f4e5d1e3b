#pragma once

#include "classification/IntBox.h"

#include <blitz/array.h>
#include <blitz/tinyvec2.h>

namespace classification {

/// One layer of a mask generation, built by the session from the caller's per-region record.
/// A layer with neither `colourMapLayer` nor `mattingLayer` set contributes only its blend
/// value (and, when solo, its area); its pixels are produced by the global pass. The default
/// layer (every field zero) is the global pass's own.
struct GenerateMaskLayer {
    blitz::Array<unsigned char, 2> mask;   // non-zero = inside; no elements = the whole box
    IntBox box;                            // working-resolution (status) coordinates
    int firstColourCount = 0;              // 0 or 1: whether firstColour is given
    int secondColourCount = 0;
    blitz::TinyVector<unsigned char, 3> firstColour{0, 0, 0};    // blue, green, red
    bool solo = false;                     // the generation is restricted to this layer
    blitz::TinyVector<unsigned char, 3> secondColour{0, 0, 0};   // blue, green, red
    float blendValue = 0.0f;               // 0..1, steers the mixed-pixel blend
    bool backgroundDetailHigh = false;
    bool colourMapLayer = false;           // produced by the blend pass with region colour maps
    float smoothingAmount = 0.0f;          // 0..1: sweeps of the region colour map's smoothing
    bool mattingLayer = false;             // produced by the matting pass
    float foregroundDetail = 0.0f;
    float backgroundDetail = 0.0f;
};

}  // namespace classification
