#include "platform/ProcessorCount.h"

#include <algorithm>
#include <thread>

namespace zqplatform {

unsigned processorCount() {
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace zqplatform
