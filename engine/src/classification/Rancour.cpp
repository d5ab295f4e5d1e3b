#include "classification/Rancour.h"

namespace classification {

void Rancour::operator()() {
    static constexpr int componentOfTask[3] = {2, 1, 0};
    while (task_ != -1) {
        const ByteImage channel = input_.extractComponent(
            static_cast<unsigned char>(0), componentOfTask[task_], 4);
        classification_->filterChannel(texture_[task_], texture_[task_ + 3], channel, radius_,
                                       ProgressRange());
        task_ = classification_->nextTextureTask();
    }
}

}  // namespace classification
