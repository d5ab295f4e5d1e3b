// Median down-scaling of a working image, as the source image does for every large picture.

#include "classification/JxInterface.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

struct BenchFrame {
    BenchFrame(int width, int height)
        : width(width), height(height), bytes(static_cast<std::size_t>(width) * height * 4) {}
    JxImage image() { return JxImage{width, height, width * 4, JxFormatRgba8, bytes.data()}; }

    int width, height;
    std::vector<std::uint8_t> bytes;
};

/// A photo-like source: smooth gradients with noise, so that the selection does real work.
BenchFrame makeSource(int width, int height) {
    BenchFrame frame(width, height);
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> noise(-12, 12);
    std::size_t i = 0;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            const int base[4] = {column * 255 / width, row * 255 / height,
                                 (row + column) * 255 / (width + height), 255};
            for (int k = 0; k < 3; ++k)
                frame.bytes[i++] = static_cast<std::uint8_t>(std::clamp(base[k] + noise(random), 0, 255));
            frame.bytes[i++] = 255;
        }
    return frame;
}

void BM_ScaleImage(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const int factor = static_cast<int>(state.range(2));
    BenchFrame source = makeSource(width, height);
    BenchFrame destination((width + factor - 1) / factor, (height + factor - 1) / factor);
    for (auto _ : state) {
        const int result = JxScaleImage(destination.image(), source.image());
        if (result != JxOk)
            state.SkipWithError("JxScaleImage refused");
        benchmark::DoNotOptimize(destination.bytes.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(width) * height);
}

}  // namespace

BENCHMARK(BM_ScaleImage)
    ->ArgNames({"width", "height", "factor"})
    ->Args({1280, 960, 2})->Args({1280, 960, 4})->Args({1280, 960, 8})
    ->Args({2560, 1920, 2})->Args({2560, 1920, 4})->Args({2560, 1920, 8})
    ->Unit(benchmark::kMillisecond);
