// The matting pass of one matting layer over the whole coffee-on-brick photo: 640 x 480 and
// the photo scaled to 1280 x 960, with statuses at the image's resolution (scale 1) or at half
// of it (scale 2), on every processor and, for comparison, on one thread. Counters give the
// error figures of the result over the trimap's band.
#include "MattingCase.h"

#include "classification/MatteLayer.h"
#include "classification/RowWorkers.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace classification;

namespace {

const std::string caseFolder = ZQ_BENCH_DATA_DIR "/coffee-on-brick";

/// Arguments: image scale, status scale, threads (0: one per processor).
template <class Format>
void BM_MatteLayer(benchmark::State& state) {
    const int imageScale = static_cast<int>(state.range(0));
    const int statusScale = static_cast<int>(state.range(1));
    const unsigned threads = RowWorkers::threadsFor(static_cast<unsigned>(state.range(2)));
    const zqbench::MattingCase<Format> bench(caseFolder, imageScale, statusScale);
    const GenerateMaskLayer layer = bench.layer(0.5f, 0.5f);
    typename Format::Image output = bench.image.copy();
    for (auto _ : state) {
        const int result = matteLayer<Format>(
            bench.image, bench.status, output, bench.statusBox(),
            FloatPoint(statusScale, statusScale), layer, ProgressRange(), threads);
        benchmark::DoNotOptimize(result);
    }
    const zqbench::MattingError error = zqbench::matteError<Format>(output, bench);
    state.counters["SAD"] = error.sad;
    state.counters["MSE"] = error.mse;
    state.SetLabel(std::to_string(bench.image.columns()) + "x"
                   + std::to_string(bench.image.rows()) + ", " + std::to_string(threads)
                   + " threads");
}

}  // namespace

// The wall time is what counts: the workers' time is not the main thread's CPU time.
BENCHMARK_TEMPLATE(BM_MatteLayer, MaskFormat8)
    ->Args({1, 1, 0})->Args({1, 2, 0})->Args({2, 1, 0})->Args({2, 2, 0})
    ->Args({1, 1, 1})->Args({2, 1, 1})
    ->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_MatteLayer, MaskFormat16)
    ->Args({1, 1, 0})->Args({2, 2, 0})->Args({1, 1, 1})
    ->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_MatteLayer, MaskFormat15)
    ->Args({1, 1, 0})->UseRealTime()->Unit(benchmark::kMillisecond);
