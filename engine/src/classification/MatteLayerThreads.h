#pragma once

#include "classification/MatteLayer.h"

namespace classification {

/// matteLayer on `threadCount` threads (the calling thread included; 0 counts as 1);
/// matteLayer runs it with one thread per processor. The result does not depend on the thread
/// count: the engine's tests compare counts through this, and the benchmark times one thread.
template <class Format>
int matteLayerOnThreads(const typename Format::Image& image,
                        const blitz::Array<unsigned char, 2>& status, typename Format::Image output,
                        const IntBox& layerBox, const FloatPoint& scale,
                        const GenerateMaskLayer& layer, ProgressRange progress,
                        unsigned threadCount);

}  // namespace classification
