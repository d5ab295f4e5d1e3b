// Runs alone in its own test program: it replaces the global allocation functions so that the
// colour-space watershed's worker threads can be made to run out of memory on demand.

#include "classification/GlobalClassification.h"

#include "ColourFixtures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

namespace {

std::atomic<bool> workersOutOfMemory{false};
const std::thread::id mainThread = std::this_thread::get_id();

}  // namespace

void* operator new(std::size_t size) {
    if (workersOutOfMemory && std::this_thread::get_id() != mainThread)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }

namespace {
// Out of line, so that no caller's delete expression is seen to free what new returned.
[[gnu::noinline]] void release(void* memory) noexcept { std::free(memory); }
}  // namespace

void operator delete(void* memory) noexcept { release(memory); }
void operator delete[](void* memory) noexcept { release(memory); }
void operator delete(void* memory, std::size_t) noexcept { release(memory); }
void operator delete[](void* memory, std::size_t) noexcept { release(memory); }

using namespace classification;

TEST(ColourWatershedWorkers, RunningOutOfMemoryIsReportedAsSuchAfterTheJoin) {
    ColourClassifier classifier;
    classifier.image.reference(zqtest::noiseImage(16, 12, 99));
    classifier.buildHistograms(ProgressRange());
    for (unsigned workers : {1u, 3u}) {
        SCOPED_TRACE(workers);
        workersOutOfMemory = true;
        EXPECT_THROW(classifier.runWatershedders(ProgressRange(), workers), std::bad_alloc);
        workersOutOfMemory = false;
    }
    // With memory back, the same classifier labels every level.
    classifier.runWatershedders(ProgressRange(), 2);
    for (int level = 0; level < 7; ++level)
        EXPECT_GT(classifier.classCounts[static_cast<std::size_t>(level)], 0) << level;
}
