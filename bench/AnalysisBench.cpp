// Analyse Image on the bench photo at the working size (640 x 480) and at the largest size
// the program loads (1280 x 960), and the selection commands on the analysed larger session.
// All cores: every stage runs one worker per processor.

// Qt first: Blitz++ defines a macro that breaks Qt's colour declarations.
#include <QImage>
#include <QString>

#include "classification/JxInterface.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace {

QImage photoOfSize(int width, int height, const char* file = "image.png") {
    QImage photo(QString::fromUtf8(ZQ_BENCH_DATA_DIR "/coffee-on-brick/") + QString::fromUtf8(file));
    if (photo.isNull())
        throw std::runtime_error("bench photo missing");
    return photo.convertToFormat(QImage::Format_ARGB32)
        .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

JxImage bufferOf(QImage& image) {
    return JxImage{image.width(), image.height(), static_cast<std::int32_t>(image.bytesPerLine()),
                   JxFormatRgba8, image.bits()};
}

void reportPeakMemory(benchmark::State& state) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peakMB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

/// An engine, status image and analysed session over the photo.
class AnalysedPhoto {
public:
    AnalysedPhoto(int width, int height) : photo(photoOfSize(width, height)) {
        const JxImage buffer = bufferOf(photo);
        engine = JxInit();
        status = JxNewImage(engine, buffer);
        session = JxBeginSession(engine, buffer, nullptr);
        if (!session || JxAnalyseImage(session, nullptr) != JxOk)
            throw std::runtime_error("analysis failed");
    }
    ~AnalysedPhoto() { JxFinish(engine); }
    AnalysedPhoto(const AnalysedPhoto&) = delete;
    AnalysedPhoto& operator=(const AnalysedPhoto&) = delete;

    QImage photo;
    JxEngine* engine = nullptr;
    JxImage* status = nullptr;
    JxSession* session = nullptr;
};

void BM_BeginSessionAndAnalyse(benchmark::State& state) {
    QImage photo = photoOfSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const JxImage buffer = bufferOf(photo);
    for (auto _ : state) {
        JxEngine* engine = JxInit();
        JxSession* session = JxBeginSession(engine, buffer, nullptr);
        if (JxAnalyseImage(session, nullptr) != JxOk)
            state.SkipWithError("analysis failed");
        state.PauseTiming();
        JxFinish(engine);
        state.ResumeTiming();
    }
    reportPeakMemory(state);
}

void BM_SelectConnectedColour(benchmark::State& state) {
    AnalysedPhoto analysed(1280, 960);
    // One click on the cup. At class level 0 mode 1 follows the click's region; at another
    // level it first partitions the colours anew (alternating between two levels, so that
    // every iteration pays for it) and then grows into the hit classes.
    const JxSelection seed{640, 480, 1, 1, 1, 0, nullptr};
    const int level = static_cast<int>(state.range(0));
    long iteration = 0;
    for (auto _ : state) {
        const float classLevel = level == 0 ? 0.0f : static_cast<float>(level + (iteration++ % 2));
        if (JxSelect(analysed.session, analysed.status, &seed, 2, 15, 1, classLevel, nullptr) != JxOk)
            state.SkipWithError("select failed");
        state.PauseTiming();
        state.counters["changedArea"] =
            static_cast<double>(analysed.session->changedWidth) * analysed.session->changedHeight;
        JxUndo(analysed.session, nullptr);
        state.ResumeTiming();
    }
    reportPeakMemory(state);
}

void BM_AutoFill(benchmark::State& state) {
    AnalysedPhoto analysed(1280, 960);
    // The trimap's keep pixels as the user's marks; the rest is filled, with a blend band.
    QImage trimap = photoOfSize(1280, 960, "trimap.png").convertToFormat(QImage::Format_Grayscale8);
    std::vector<unsigned char> marks(static_cast<std::size_t>(1280) * 960);
    for (int y = 0; y < 960; ++y)
        for (int x = 0; x < 1280; ++x)
            marks[static_cast<std::size_t>(y) * 1280 + x] = trimap.constScanLine(y)[x] == 255 ? 2 : 0;
    const JxSelection keep{0, 0, 1280, 960, 1280, 0, marks.data()};
    JxSetStatus(analysed.session, analysed.status, &keep, nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        JxBeginUndoGroup(analysed.session);
        state.ResumeTiming();
        if (JxAutoFill(analysed.session, analysed.status, nullptr, 2, 1.0f, nullptr) != JxOk)
            state.SkipWithError("auto fill failed");
        state.PauseTiming();
        JxUndo(analysed.session, nullptr);
        state.ResumeTiming();
    }
    reportPeakMemory(state);
}

}  // namespace

BENCHMARK(BM_BeginSessionAndAnalyse)->Args({640, 480})->Args({1280, 960})
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_SelectConnectedColour)->Arg(0)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AutoFill)->Unit(benchmark::kMillisecond)->UseRealTime();
