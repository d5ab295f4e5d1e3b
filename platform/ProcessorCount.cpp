#include "platform/ProcessorCount.h"

#include <sched.h>

#include <algorithm>
#include <thread>

namespace zqplatform {

unsigned processorCount() {
    // The processors this process may run on: fewer than the machine has when it was started
    // under taskset or in a container limited to some of them. More threads than that would
    // only take turns.
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        const int count = CPU_COUNT(&allowed);
        if (count > 0)
            return static_cast<unsigned>(count);
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace zqplatform
