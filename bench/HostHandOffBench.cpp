// Taking a host editor's image in and handing the result back, at a real host size: two memory
// files of 4000 x 3000 pixels, 8 and 16 bits a channel (16-bit words in the swapped order, the
// slower path).
#include "shell/HostImageHandOff.h"

#include "platform/FileMapping.h"

#include <benchmark/benchmark.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int width = 4000;
constexpr int height = 3000;

class MemoryFile {
public:
    explicit MemoryFile(std::size_t bytes) {
        descriptor_ = ::memfd_create("zq-bench", 0);
        if (descriptor_ >= 0 && ::ftruncate(descriptor_, off_t(bytes)) != 0) {
            ::close(descriptor_);
            descriptor_ = -1;
        }
    }
    ~MemoryFile() {
        if (descriptor_ >= 0)
            ::close(descriptor_);
    }
    /// A copy for the hand-off to take (and close).
    std::string handOver() const {
        char text[16];
        std::snprintf(text, sizeof text, "%x", unsigned(::dup(descriptor_)));
        return text;
    }

private:
    int descriptor_ = -1;
};

std::vector<std::string> arguments(const MemoryFile& result, const MemoryFile& input, int bits) {
    return {result.handOver(), input.handOver(), std::to_string(width), std::to_string(height),
            std::to_string(bits), "big", "bench"};
}

// Times the intake (both images) or the hand-back of one run; setting up and tearing down
// are left out.
void timeHandOff(benchmark::State& state, bool intakeTimed) {
    const int bits = int(state.range(0));
    const std::size_t bytes = std::size_t(width) * height * 4 * (bits / 8);
    MemoryFile input(bytes), result(bytes);
    for (auto _ : state) {
        state.PauseTiming();
        auto handOff = std::make_unique<HostImageHandOff>();
        const std::vector<std::string> handles = arguments(result, input, bits);
        if (intakeTimed)
            state.ResumeTiming();
        const bool taken = handOff->intake(handles);
        if (!intakeTimed)
            state.ResumeTiming();
        const bool done = taken && (intakeTimed || handOff->writeBack());
        state.PauseTiming();
        if (!done)
            state.SkipWithError("the host image was refused or not written");
        handOff.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes) * (intakeTimed ? 2 : 1));
}

void BM_HostIntake(benchmark::State& state) { timeHandOff(state, true); }
void BM_HostHandBack(benchmark::State& state) { timeHandOff(state, false); }

// What this machine's memory gives a plain copy of one image of the same size: the floor
// under both figures above.
void BM_PlainCopyOfOneImage(benchmark::State& state) {
    const std::size_t bytes = std::size_t(width) * height * 4 * (state.range(0) / 8);
    zqplatform::PageBuffer from(bytes), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

}  // namespace

BENCHMARK(BM_PlainCopyOfOneImage)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HostIntake)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HostHandBack)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();
