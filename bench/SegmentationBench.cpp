// The segmentation of a photo: the whole pipeline and each stage on its own, at the working
// size of the bench photo and at twice that size, on all cores.

#include "PngImage.h"

#include "classification/Segmentation.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace classification;

namespace {

/// The photo bilinearly resampled to width x height, as an analysis image: planes 0 to 2 are
/// the 3 x 3 minimum of the blue, green and red channels, planes 3 to 5 the 3 x 3 maximum,
/// standing in for the texture planes (two rank filters per channel) that the engine makes.
AnalysisImage analysisImageOfPhoto(int width, int height) {
    static const zqbench::PngImage photo =
        zqbench::readPng(ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png");
    blitz::Array<blitz::TinyVector<unsigned char, 3>, 2> colour(height, width);
    for (int i = 0; i < height; ++i) {
        const float sy = std::max(0.0f, (i + 0.5f) * photo.height / height - 0.5f);
        const int y0 = std::min(static_cast<int>(sy), photo.height - 1);
        const int y1 = std::min(y0 + 1, photo.height - 1);
        const float fy = sy - y0;
        for (int j = 0; j < width; ++j) {
            const float sx = std::max(0.0f, (j + 0.5f) * photo.width / width - 0.5f);
            const int x0 = std::min(static_cast<int>(sx), photo.width - 1);
            const int x1 = std::min(x0 + 1, photo.width - 1);
            const float fx = sx - x0;
            for (int c = 0; c < 3; ++c) {
                const float top = photo.at(y0, x0, 2 - c) * (1 - fx) + photo.at(y0, x1, 2 - c) * fx;
                const float bottom = photo.at(y1, x0, 2 - c) * (1 - fx) + photo.at(y1, x1, 2 - c) * fx;
                colour(i, j)[c] = static_cast<unsigned char>(top * (1 - fy) + bottom * fy + 0.5f);
            }
        }
    }
    AnalysisImage image(height, width);
    for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j)
            for (int c = 0; c < 3; ++c) {
                unsigned char low = 255, high = 0;
                for (int di = std::max(0, i - 1); di <= std::min(height - 1, i + 1); ++di)
                    for (int dj = std::max(0, j - 1); dj <= std::min(width - 1, j + 1); ++dj) {
                        low = std::min(low, colour(di, dj)[c]);
                        high = std::max(high, colour(di, dj)[c]);
                    }
                image(i, j)[c] = low;
                image(i, j)[c + 3] = high;
            }
    return image;
}

void BM_RunSegmentation(benchmark::State& state) {
    const AnalysisImage image = analysisImageOfPhoto(static_cast<int>(state.range(0)),
                                                     static_cast<int>(state.range(1)));
    Segmentation segmentation;
    segmentation.setWorkerCount(static_cast<unsigned>(state.range(2)));
    for (auto _ : state) {
        segmentation.setAnalysisImage(image);   // a new image: every stage recomputes
        benchmark::DoNotOptimize(segmentation.runSegmentation(ProgressRange()));
    }
    state.counters["segments"] = segmentation.segmentCount();
    state.counters["gradientScale"] = segmentation.gradientScale();
}

/// One stage, recomputed on the results of a complete run.
void runStage(benchmark::State& state, const std::function<void(Segmentation&)>& stage) {
    const AnalysisImage image = analysisImageOfPhoto(static_cast<int>(state.range(0)),
                                                     static_cast<int>(state.range(1)));
    Segmentation segmentation;
    segmentation.setAnalysisImage(image);
    segmentation.runSegmentation(ProgressRange());
    for (auto _ : state)
        stage(segmentation);
}

void BM_CellHistograms(benchmark::State& state) {
    runStage(state, [](Segmentation& s) {
        s.clearStageSettings();
        s.updateCellHistograms(false, ProgressRange());
    });
}

void BM_HistogramPeaks(benchmark::State& state) {
    runStage(state, [](Segmentation& s) { s.findHistogramPeaks(true, ProgressRange()); });
}

void BM_GradientMap(benchmark::State& state) {
    runStage(state, [](Segmentation& s) { s.computeGradientMap(true, ProgressRange()); });
}

void BM_EdgeWidthMap(benchmark::State& state) {
    runStage(state, [](Segmentation& s) { s.computeEdgeWidthMap(true, ProgressRange()); });
}

void BM_SegmentWatershed(benchmark::State& state) {
    runStage(state, [](Segmentation& s) { s.segmentWatershed(true, ProgressRange()); });
}

}  // namespace

// Third argument: gradient workers, 0 = one per processor.
BENCHMARK(BM_RunSegmentation)->Args({640, 480, 0})->Args({1280, 960, 0})->Args({1280, 960, 1})
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CellHistograms)->Args({640, 480})->Args({1280, 960})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HistogramPeaks)->Args({640, 480})->Args({1280, 960})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GradientMap)->Args({640, 480})->Args({1280, 960})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EdgeWidthMap)->Args({640, 480})->Args({1280, 960})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SegmentWatershed)->Args({640, 480})->Args({1280, 960})->Unit(benchmark::kMillisecond);
