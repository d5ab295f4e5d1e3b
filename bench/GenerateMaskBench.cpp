// "Generate mask" through the flat interface on the coffee-on-brick photo at 640 x 480 and
// scaled to 1280 x 960, 8-bit and 16-bit, with the analysis and the marks done beforehand.
// Counters: the error figures over the trimap's band and the process's peak memory.
#include "MaskSessionCase.h"   // Qt first (see there)

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <string>

using namespace classification;

namespace {

const std::string caseFolder = ZQ_BENCH_DATA_DIR "/coffee-on-brick";

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;   // ru_maxrss is in kilobytes
}

template <class Format>
void BM_GenerateMask(benchmark::State& state) {
    const int imageScale = static_cast<int>(state.range(0));
    zqbench::MattingCase<MaskFormat8> photo(caseFolder, imageScale, 1);
    zqbench::MattingCase<Format> source(caseFolder, imageScale, 1);
    const int format = Format::maximum == 255     ? JxFormatRgba8
                       : Format::maximum == 65535 ? JxFormatRgba16
                                                  : JxFormatRgba16Max32768;
    zqbench::MaskSession masking(photo, 1);
    typename Format::Image output(source.image.shape());
    output = typename Format::Pixel(0, 0, 0, 0);
    const JxImage outputImage = zqbench::flatImageOf(output, format);
    const JxImage sourceImage = zqbench::flatImageOf(source.image, format);
    for (auto _ : state) {
        if (masking.generate(outputImage, sourceImage) != JxOk)
            state.SkipWithError("generation failed");
    }
    const zqbench::MattingError error = zqbench::matteError<Format>(output, source);
    state.counters["SAD"] = error.sad;
    state.counters["MSE"] = error.mse;
    state.counters["peakMB"] = peakMegabytes();
    state.SetLabel(std::to_string(output.columns()) + "x" + std::to_string(output.rows()));
}

}  // namespace

BENCHMARK_TEMPLATE(BM_GenerateMask, MaskFormat8)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_GenerateMask, MaskFormat16)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_GenerateMask, MaskFormat15)->Arg(1)->Unit(benchmark::kMillisecond);
