// The mask-generation passes on an output of the size the program loads (1280 x 960): the
// resampling and blend pass along a long wavy boundary with a 20-pixel undecided band, the mark
// distances it needs, and the rendering of 50 forced edges.

#include "classification/ForcedEdgeRendering.h"
#include "classification/MarkDistances.h"
#include "classification/MaskStatus.h"
#include "classification/ResampleAndBlend.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

using namespace classification;
using Colour8 = Corvel::utility::Colour<unsigned char>;

namespace {

constexpr int outputRows = 960;
constexpr int outputColumns = 1280;
constexpr int bandWidth = 20;   // output pixels

template <typename T>
void fill(blitz::Array<T, 2>& array, const T& value) {
    for (auto it = array.begin(); it != array.end(); ++it)
        *it = value;
}

unsigned char channel(double value) {
    return static_cast<unsigned char>(std::lround(std::fmin(std::fmax(value, 0.0), 255.0)));
}

// A wavy boundary from top to bottom: keep to its left, delete to its right, an undecided
// band of 20 output pixels between. The colours are textured so that the estimates vary.
class BoundaryScene {
public:
    explicit BoundaryScene(int scale)
        : scale_(scale), rows_(outputRows / scale), columns_(outputColumns / scale),
          source_(outputRows, outputColumns), output_(outputRows, outputColumns),
          working_(rows_, columns_), status_(rows_, columns_), pristine_(rows_, columns_),
          blendMap_(rows_, columns_) {
        for (int x = 0; x < outputRows; ++x)
            for (int y = 0; y < outputColumns; ++y)
                source_(x, y) = colourAt((x + 0.5) / scale, (y + 0.5) / scale);
        for (int i = 0; i < rows_; ++i)
            for (int j = 0; j < columns_; ++j) {
                working_(i, j) = colourAt(i + 0.5, j + 0.5);
                const double across = (j + 0.5) * scale - boundaryAt((i + 0.5) * scale);
                const double half = bandWidth / 2.0;
                const unsigned char mark = across < -half ? statusKeep : across > half ? statusDelete : 1;
                pristine_(i, j) = mark | statusPending;
            }
        blendMap_ = 0;
        status_ = pristine_;
        buildMarkDistances(distances_, status_, ProgressRange());
        fill(output_, Colour8(0, 0, 0, 0));
    }

    void resetStatuses() { status_ = pristine_; }

    int blend(int mode) {
        AutoFillResult context;
        context.contextBox = IntBox::domainOf(status_);
        context.hasKeep = context.hasDelete = true;
        GenerateMaskLayer layer;
        layer.smoothingAmount = 0.5f;
        const float s = static_cast<float>(scale_);
        return resampleAndBlend<MaskFormat8>(output_, source_, working_, status_,
                                             IntBox::domainOf(status_), context, FloatPoint(s, s),
                                             blendMap_, distances_, mode, layer, ProgressRange(),
                                             working_);
    }

    void markDistances() { buildMarkDistances(distances_, status_, ProgressRange()); }

private:
    static double boundaryAt(double row) {
        return outputColumns / 2.0 + 220.0 * std::sin(row / 97.0) + 35.0 * std::sin(row / 13.0);
    }

    // Foreground warm, background cool, each with a little texture; the band mixes them.
    static Colour8 colourAt(double row, double column) {
        const double across = column - boundaryAt(row);
        const double alpha = std::fmin(std::fmax(0.5 - across / bandWidth, 0.0), 1.0);
        const double f[3] = {190 + 30 * std::sin(row / 17.0), 110 + 20 * std::cos(column / 23.0), 60};
        const double b[3] = {40, 120 + 40 * std::sin((row + column) / 41.0), 200};
        return Colour8(channel(alpha * f[0] + (1 - alpha) * b[0]),
                       channel(alpha * f[1] + (1 - alpha) * b[1]),
                       channel(alpha * f[2] + (1 - alpha) * b[2]), 255);
    }

    int scale_, rows_, columns_;
    blitz::Array<Colour8, 2> source_, output_, working_;
    blitz::Array<unsigned char, 2> status_, pristine_, blendMap_;
    MarkDistanceArray distances_;
};

void BM_BlendPass(benchmark::State& state) {
    BoundaryScene scene(static_cast<int>(state.range(0)));
    const int mode = static_cast<int>(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        scene.resetStatuses();
        state.ResumeTiming();
        benchmark::DoNotOptimize(scene.blend(mode));
    }
}
// (scale, estimate mode): the global pass (mode 2) and a colour-map layer over the whole image.
BENCHMARK(BM_BlendPass)->Args({1, 2})->Args({2, 2})->Args({1, 1})->Args({2, 1})->Unit(benchmark::kMillisecond);

void BM_MarkDistances(benchmark::State& state) {
    BoundaryScene scene(static_cast<int>(state.range(0)));
    for (auto _ : state)
        scene.markDistances();
}
BENCHMARK(BM_MarkDistances)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// 50 forced edges along the block boundaries of a keep / delete checkerboard of 160-pixel
// blocks, each a jittered polyline of 12 points over 330 pixels, 3 pixels wide.
void BM_ForcedEdges(benchmark::State& state) {
    constexpr int block = 160;
    blitz::Array<unsigned char, 2> status(outputRows, outputColumns);
    for (int i = 0; i < outputRows; ++i)
        for (int j = 0; j < outputColumns; ++j)
            status(i, j) = ((i / block + j / block) % 2 == 0) ? statusKeep : statusDelete;
    blitz::Array<Colour8, 2> source(outputRows, outputColumns), output(outputRows, outputColumns);
    fill(source, Colour8(120, 90, 60, 255));
    fill(output, Colour8(0, 0, 0, 0));

    std::vector<ForcedEdgeStroke> edges;
    for (int k = 0; edges.size() < 50; ++k) {
        ForcedEdgeStroke edge;
        edge.width = 3.0f;
        const bool alongRows = k % 2 == 0;
        const int line = block * (1 + (k / 2) % (alongRows ? 7 : 5));   // a block boundary
        const float start = 20.0f + 37.0f * static_cast<float>(k % 9);
        for (int p = 0; p < 12; ++p) {
            const float along = start + 30.0f * static_cast<float>(p);
            const float jitter = 1.5f * std::sin(static_cast<float>(p * 7 + k));
            edge.points.push_back(alongRows ? FloatPoint(along, static_cast<float>(line) + jitter)
                                            : FloatPoint(static_cast<float>(line) + jitter, along));
        }
        edges.push_back(edge);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(renderForcedEdges<MaskFormat8>(
            output, source, status, FloatPoint(1.0f, 1.0f), edges, ProgressRange()));
}
BENCHMARK(BM_ForcedEdges)->Unit(benchmark::kMillisecond);

}  // namespace
