#include "classification/Rancour.h"

namespace classification {

void Rancour::operator()() {
    static constexpr int componentOfTask[3] = {2, 1, 0};
    if (task_ < 0 || task_ > 2)
        return;
    const ByteImage channel =
        input_.extractComponent(static_cast<unsigned char>(0), componentOfTask[task_], 4);
    classification_->filterChannel(texture_[task_], texture_[task_ + 3], channel, radius_,
                                   ProgressRange());
}

}  // namespace classification
