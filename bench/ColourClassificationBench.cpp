// Colour classification of a photo: keys and tables, the colour-space watershed on all
// cores, and the partition, at the working size and at twice that size.

// Qt first: Blitz++ defines a macro CT that breaks QColor's declarations.
#include <QImage>

#include "classification/GlobalClassification.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <stdexcept>
#include <string>

using namespace classification;

namespace {

/// The photo as an analysis image of the given size. Planes 0 to 2 are the colour channels
/// (blue, green, red) at 7 bits; planes 3 to 5 stand in for the texture planes: the 3 x 3
/// minimum of the same channels. Like the real planes they follow the colours closely, which
/// is what decides how many distinct keys the tables hold.
AnalysisImage analysisImageOfPhoto(int width, int height) {
    QImage photo(QString::fromUtf8(ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png"));
    if (photo.isNull())
        throw std::runtime_error("bench photo missing");
    photo = photo.convertToFormat(QImage::Format_RGB32)
                .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    AnalysisImage image(height, width);
    for (int i = 0; i < height; ++i) {
        const auto* line = reinterpret_cast<const QRgb*>(photo.constScanLine(i));
        for (int j = 0; j < width; ++j) {
            const QRgb rgb = line[j];
            image(i, j) = AnalysisPixel(qBlue(rgb) >> 1, qGreen(rgb) >> 1, qRed(rgb) >> 1, 0, 0, 0);
        }
    }
    for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j)
            for (int c = 0; c < 3; ++c) {
                unsigned char low = 255;
                for (int di = std::max(0, i - 1); di <= std::min(height - 1, i + 1); ++di)
                    for (int dj = std::max(0, j - 1); dj <= std::min(width - 1, j + 1); ++dj)
                        low = std::min(low, image(di, dj)[c]);
                image(i, j)[c + 3] = low;
            }
    return image;
}

void BM_ColourClassification(benchmark::State& state) {
    const AnalysisImage image = analysisImageOfPhoto(static_cast<int>(state.range(0)),
                                                     static_cast<int>(state.range(1)));
    blitz::Array<int, 2> classes(image.shape());
    for (auto _ : state) {
        ColourClassifier classifier;
        classifier.image.reference(image);
        classifier.buildHistograms(ProgressRange());
        classifier.runWatershedders(ProgressRange());
        benchmark::DoNotOptimize(classifier.partition(3, classes, ProgressRange()));
    }
}

void BM_ColourTables(benchmark::State& state) {
    const AnalysisImage image = analysisImageOfPhoto(static_cast<int>(state.range(0)),
                                                     static_cast<int>(state.range(1)));
    ColourClassifier classifier;
    classifier.image.reference(image);
    for (auto _ : state)
        classifier.buildHistograms(ProgressRange());
    state.counters["level0cells"] = static_cast<double>(classifier.tables[0].size());
    state.counters["level3cells"] = static_cast<double>(classifier.tables[3].size());
}

void BM_ColourWatershed(benchmark::State& state) {
    const AnalysisImage image = analysisImageOfPhoto(static_cast<int>(state.range(0)),
                                                     static_cast<int>(state.range(1)));
    ColourClassifier classifier;
    classifier.image.reference(image);
    for (auto _ : state) {
        state.PauseTiming();
        classifier.buildHistograms(ProgressRange());
        state.ResumeTiming();
        classifier.runWatershedders(ProgressRange());
    }
    state.counters["level0classes"] = classifier.classCounts[0];
    state.counters["level3classes"] = classifier.classCounts[3];
}

void BM_ColourPartition(benchmark::State& state) {
    const AnalysisImage image = analysisImageOfPhoto(static_cast<int>(state.range(0)),
                                                     static_cast<int>(state.range(1)));
    ColourClassifier classifier;
    classifier.image.reference(image);
    classifier.buildHistograms(ProgressRange());
    classifier.runWatershedders(ProgressRange());
    blitz::Array<int, 2> classes(image.shape());
    for (auto _ : state)
        benchmark::DoNotOptimize(classifier.partition(3, classes, ProgressRange()));
}

}  // namespace

BENCHMARK(BM_ColourClassification)->Args({640, 480})->Args({1280, 960})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ColourTables)->Args({640, 480})->Args({1280, 960})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColourWatershed)->Args({640, 480})->Args({1280, 960})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ColourPartition)->Args({640, 480})->Args({1280, 960})->Unit(benchmark::kMillisecond);
