// The whole way through the program, offscreen, with a real engine command thread, on the
// photo case at full size: the photo opened as the cut-out and analysed, keep and delete marks
// where the trimap is sure, the cut-out generated, Finish, the cut-out item placed on the
// composition, and the composed picture saved as PNG. Each step's time is a counter of its
// own, and the process's peak memory after the run is another.

#include "MainWindowCase.h"

#include "composition/scene/CutoutItem.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/ItemScene.h"
#include "shell/FileHandler.h"
#include "masking/GmBrushing.h"
#include "masking/GmModel.h"
#include "masking/JxCmdGenerateMask.h"
#include "masking/JxCmdSelect.h"
#include "masking/OstrivalThread.h"
#include "masking/SegmentationStuff.h"
#include "masking/TqSourceImage.h"
#include "shell/TqMainWindow.h"
#include "tests/masking/MaskPixels.h"
#include "masking/BrushSizeValue.h"
#include "workspace/ImageView.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGraphicsItem>
#include <QImage>
#include <QPointer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <vector>

namespace {

using zqbench::engineIdle;
using zqbench::placed;
using zqbench::runUntil;
using zqbench::scratch;

const QString casePath = QStringLiteral(ZQ_BENCH_DATA_DIR "/coffee-on-brick/");
constexpr int brushSize = 25;
constexpr int markStep = 32;   // a dab every 32 pixels where the trimap is sure around it

bool analysed() {
    GmModel* model = GmModel::existing();
    return engineIdle() && model && model->imageSmeg() && model->imageSmeg()->isAnalysisReady();
}

bool maskGenerated() {
    return engineIdle() && theEngineThread->modificationCount() == theLastMaskModification.load();
}

int cutoutItems() {
    int count = 0;
    if (theItemScene)
        for (QGraphicsItem* item : theItemScene->items())
            count += dynamic_cast<CutoutItem*>(item) != nullptr;
    return count;
}

struct Dab {
    QPointF at;
    JxPixelStatus status;
};

// The keep dabs (trimap 255) and delete dabs (trimap 0), computed once: finding them is the
// bench's work, not the program's.
const std::vector<Dab>& marks() {
    static const std::vector<Dab> dabs = [] {
        std::vector<Dab> found;
        const QImage trimap = QImage(casePath + "trimap.png").convertToFormat(QImage::Format_Grayscale8);
        for (int y = markStep / 2; y < trimap.height(); y += markStep)
            for (int x = markStep / 2; x < trimap.width(); x += markStep) {
                if (masktest::sureAround(trimap, x, y, brushSize / 2 + 2, 255))
                    found.push_back({QPointF(x, y), JxStatusKeep});
                else if (masktest::sureAround(trimap, x, y, brushSize / 2 + 2, 0))
                    found.push_back({QPointF(x, y), JxStatusDelete});
            }
        return found;
    }();
    return dabs;
}

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_WholeWay(benchmark::State& state) {
    QTemporaryDir& folder = scratch();
    if (marks().empty()) {
        state.SkipWithError("the trimap gave no marks");
        return;
    }
    const QString saved = folder.filePath("composed.png");
    double openAndAnalysis = 0, marksToMask = 0, finishToPlaced = 0, savePng = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A fresh window each time: every run starts on an empty composition.
        QPointer<TqMainWindow> window = new TqMainWindow;
        BrushSizeValue::instance()->setBrushSize(brushSize);
        QCoreApplication::processEvents();
        QFile::remove(saved);
        state.ResumeTiming();

        auto start = std::chrono::steady_clock::now();
        if (!theFileHandler->openAsCutout(new TqSourceImage(casePath + "image.png"), nullptr)) {
            state.SkipWithError("the photo was not opened");
            break;
        }
        runUntil(analysed);
        openAndAnalysis += msSince(start);

        start = std::chrono::steady_clock::now();
        for (const Dab& dab : marks()) {
            auto* stroke = new GmBrushing(Qt::red);
            stroke->brushing().startStroke(dab.at);
            theEngineThread->submit(
                new JxCmdSelect(GmModel::instance(), stroke, JxStatusAllClasses, dab.status, 0, 1));
        }
        runUntil(maskGenerated);
        marksToMask += msSince(start);

        start = std::chrono::steady_clock::now();
        window->createCutoutItemDone();
        runUntil([&] { return placed(window); });
        QCoreApplication::processEvents();   // the item painted
        finishToPlaced += msSince(start);

        start = std::chrono::steady_clock::now();
        QString problem;
        if (!FrolixObject::instance()->saveFinalImage(saved, &problem)) {
            state.SkipWithError(qPrintable(problem));
            break;
        }
        savePng += msSince(start);

        state.PauseTiming();
        if (cutoutItems() != 1 || QFileInfo(saved).size() <= 0) {
            state.SkipWithError("no cut-out item placed, or no picture saved");
            break;
        }
        runUntil(engineIdle);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        delete window.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    const auto perRun = benchmark::Counter::kAvgIterations;
    state.counters["open_analysis_ms"] = benchmark::Counter(openAndAnalysis, perRun);
    state.counters["marks_mask_ms"] = benchmark::Counter(marksToMask, perRun);
    state.counters["finish_placed_ms"] = benchmark::Counter(finishToPlaced, perRun);
    state.counters["save_png_ms"] = benchmark::Counter(savePng, perRun);
    state.counters["marks"] = double(marks().size());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;   // Linux gives kilobytes
}
BENCHMARK(BM_WholeWay)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
