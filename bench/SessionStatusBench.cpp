// SetStatus and Undo over a whole working image of the size the program loads (1280 x 960).

#include "classification/JxInterface.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int width = 1280;
constexpr int height = 960;

/// An engine with a status image and a session over an opaque image, and two sets of
/// statuses that differ along a ragged boundary, as a brush stroke leaves them, or (with
/// `everywhere`) at every pixel, the worst case for the undo runs.
class Fixture {
public:
    explicit Fixture(bool everywhere) : rgba(static_cast<size_t>(width) * height * 4, 255) {
        const JxImage image{width, height, width * 4, JxFormatRgba8, rgba.data()};
        engine = JxInit();
        status = JxNewImage(engine, image);
        session = JxBeginSession(engine, image, nullptr);
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<unsigned char>& bytes = statuses[pass];
            bytes.resize(static_cast<size_t>(width) * height);
            for (int y = 0; y < height; ++y) {
                const int boundary = width / 2 + ((y * 37) % 101) - 50 + pass * 20;
                for (int x = 0; x < width; ++x) {
                    const bool keep = everywhere ? pass == 0 : x < boundary;
                    bytes[static_cast<size_t>(y) * width + x] = keep ? 2 : 4;
                }
            }
        }
    }
    ~Fixture() { JxFinish(engine); }

    int setStatus(int pass) {
        const JxSelection selection{0, 0, width, height, width, 0, statuses[pass].data()};
        return JxSetStatus(session, status, &selection, nullptr);
    }

    std::vector<unsigned char> rgba;
    std::vector<unsigned char> statuses[2];
    JxEngine* engine = nullptr;
    JxImage* status = nullptr;
    JxSession* session = nullptr;
};

void BM_SetStatusWholeImage(benchmark::State& state) {
    Fixture f(state.range(0) != 0);
    int pass = 0;
    for (auto _ : state) {
        JxBeginUndoGroup(f.session);   // one group per command, as the application does
        benchmark::DoNotOptimize(f.setStatus(pass));
        pass ^= 1;
    }
}
BENCHMARK(BM_SetStatusWholeImage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_UndoWholeImage(benchmark::State& state) {
    Fixture f(state.range(0) != 0);
    f.setStatus(0);
    f.setStatus(1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(JxUndo(f.session, nullptr));
        state.PauseTiming();
        JxRedo(f.session, nullptr);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoWholeImage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
