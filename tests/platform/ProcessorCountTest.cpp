#include "platform/ProcessorCount.h"

#include <gtest/gtest.h>

#include <sched.h>

#include <vector>

namespace {

/// Restricts the calling thread to some processors for its lifetime, then gives back the
/// processors it had.
class PinnedThread {
public:
    explicit PinnedThread(const std::vector<int>& processors) {
        CPU_ZERO(&previous_);
        valid_ = sched_getaffinity(0, sizeof previous_, &previous_) == 0;
        cpu_set_t wanted;
        CPU_ZERO(&wanted);
        for (int processor : processors)
            CPU_SET(processor, &wanted);
        valid_ = valid_ && sched_setaffinity(0, sizeof wanted, &wanted) == 0;
    }
    ~PinnedThread() { sched_setaffinity(0, sizeof previous_, &previous_); }
    bool valid() const { return valid_; }

private:
    cpu_set_t previous_;
    bool valid_ = false;
};

/// The processors the calling thread may run on now.
std::vector<int> allowedProcessors() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    std::vector<int> processors;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        for (int k = 0; k < CPU_SETSIZE; ++k)
            if (CPU_ISSET(k, &allowed))
                processors.push_back(k);
    return processors;
}

}  // namespace

TEST(ProcessorCount, CountsTheProcessorsTheProcessMayRunOn) {
    const std::vector<int> allowed = allowedProcessors();
    ASSERT_FALSE(allowed.empty());
    EXPECT_EQ(zqplatform::processorCount(), allowed.size());
    {
        // As under `taskset -c <one processor>`: one worker thread, not one per processor of
        // the machine.
        PinnedThread one({allowed.front()});
        ASSERT_TRUE(one.valid());
        EXPECT_EQ(zqplatform::processorCount(), 1u);
    }
    if (allowed.size() >= 2) {
        PinnedThread two({allowed[0], allowed[1]});
        ASSERT_TRUE(two.valid());
        EXPECT_EQ(zqplatform::processorCount(), 2u);
    }
    EXPECT_EQ(zqplatform::processorCount(), allowed.size());
}
