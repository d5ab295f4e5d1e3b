#include "classification/HistogramUpdater.h"

#include "classification/Segmentation.h"

namespace classification {

void HistogramUpdater::operator()() {
    while (task_ != -1) {
        // A task's own range reports nothing: the hand-out reports the stage's progress.
        owner_->orTaskResult(owner_->histogramTask(task_, ProgressRange(nullptr, 0.0f, 1.0f)));
        task_ = owner_->takeNextTask();
    }
}

}  // namespace classification
