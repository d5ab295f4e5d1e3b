// Runs alone in its own test program: it replaces the global allocation functions so that the
// colour-space watershed can be made to run out of memory on demand, on its worker threads or
// on the calling thread.

#include "classification/GlobalClassification.h"

#include "ColourFixtures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

namespace {

/// Which threads run out of memory: none, the workers (every thread but the test's), or all.
enum class Exhausted { none, workers, all };
std::atomic<Exhausted> exhausted{Exhausted::none};
const std::thread::id mainThread = std::this_thread::get_id();

}  // namespace

void* operator new(std::size_t size) {
    const Exhausted now = exhausted.load();
    const bool worker = std::this_thread::get_id() != mainThread;
    if (now == Exhausted::all || (now == Exhausted::workers && worker))
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
    // Every flood allocates, wherever it runs. When only the workers run out, a team whose
    // calling thread took every level sees no failure, so that case is told apart below.
    struct Case { unsigned workers; Exhausted where; };
    const Case cases[] = {{1, Exhausted::all}, {3, Exhausted::all}, {3, Exhausted::workers}};
    for (const Case c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.workers << " workers, "
                     << (c.where == Exhausted::all ? "all threads" : "workers only"));
        bool threw = false;
        exhausted = c.where;
        try {
            classifier.runWatershedders(ProgressRange(), c.workers);
        } catch (const std::bad_alloc&) {
            threw = true;
        }
        exhausted = Exhausted::none;
        if (c.where == Exhausted::all) {
            EXPECT_TRUE(threw);
        } else if (!threw) {
            // No worker took a level: the calling thread labelled them all.
            for (int level = 0; level < 7; ++level)
                EXPECT_GT(classifier.classCounts[static_cast<std::size_t>(level)], 0) << level;
        }
    }
    // With memory back, the same classifier labels every level.
    classifier.runWatershedders(ProgressRange(), 2);
    for (int level = 0; level < 7; ++level)
        EXPECT_GT(classifier.classCounts[static_cast<std::size_t>(level)], 0) << level;
}
