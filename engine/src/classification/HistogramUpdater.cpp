#include "classification/HistogramUpdater.h"

#include "classification/Segmentation.h"

namespace classification {

bool HistogramUpdater::operator()() {
    return owner_->histogramTask(channel_, ProgressRange(nullptr, 0.0f, 1.0f));
}

}  // namespace classification
