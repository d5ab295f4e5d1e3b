// The main window at the end of a cut-out, offscreen, on the photo case scaled to 1280 x 960
// with a real engine command thread: from Finish to the cut-out item shown on the composition,
// with the engine idle and with a mask generation still to run, and closing an idle window.

#include "MainWindowCase.h"

#include "composition/scene/FrolixWidget.h"
#include "masking/GmBrushing.h"
#include "masking/GmModel.h"
#include "masking/JxCmdGenerateMask.h"
#include "masking/JxCmdSelect.h"
#include "masking/NamedImage.h"
#include "masking/OstrivalThread.h"
#include "masking/TqSourceImage.h"
#include "shell/TqMainWindow.h"
#include "masking/BrushSizeValue.h"
#include "workspace/ImageView.h"

#include <QCoreApplication>
#include <QImage>
#include <QPointer>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using zqbench::engineIdle;
using zqbench::placed;
using zqbench::runUntil;
using zqbench::scratch;

const QImage& photo() {
    static const QImage scaled =
        QImage(ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png")
            .scaled(1280, 960, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return scaled;
}

// Opens the photo as the cut-out being edited and waits until its session is open.
void openPhoto(TqMainWindow* window) {
    GmModel::instance()->setImage(0, 1, new TqSourceImage(NamedImage(photo(), QUrl("file:///coffee.png"))),
                                  nullptr);
    window->showCutoutTab();
    runUntil(engineIdle);
}

// A brush dab of `status` (2 keep, 4 delete) submitted as one stroke.
void stroke(const QPointF& at, int status) {
    auto* dab = new GmBrushing(Qt::red);
    dab->brushing().startStroke(at);
    theEngineThread->submit(
        new JxCmdSelect(GmModel::instance(), dab, 15, JxPixelStatus(status), 0, 1));
}

void finish(benchmark::State& state, bool maskPending) {
    scratch();
    QPointer<TqMainWindow> window = new TqMainWindow;
    BrushSizeValue::instance()->setBrushSize(40);
    for (auto _ : state) {
        state.PauseTiming();
        openPhoto(window);
        // Keep over the cup, delete over the brick: the automatic cut-out follows each.
        stroke(QPointF(640, 480), 2);
        stroke(QPointF(100, 100), 4);
        if (maskPending) {
            // Another keep stroke: its status change asks for a new generation of the cut-out.
            stroke(QPointF(600, 450), 2);
        } else {
            // Idle: the cut-out of the last marks is generated before Finish.
            runUntil([] {
                return engineIdle() &&
                       theEngineThread->modificationCount() == theLastMaskModification.load();
            });
        }
        state.ResumeTiming();
        window->createCutoutItemDone();
        runUntil([&] { return placed(window); });
        QCoreApplication::processEvents();   // the item painted
        state.PauseTiming();
        runUntil(engineIdle);
        state.ResumeTiming();
    }
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    delete window.data();
}

void BM_FinishToItemShownIdleEngine(benchmark::State& state) { finish(state, false); }
BENCHMARK(BM_FinishToItemShownIdleEngine)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FinishToItemShownMaskPending(benchmark::State& state) { finish(state, true); }
BENCHMARK(BM_FinishToItemShownMaskPending)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CloseIdleWindow(benchmark::State& state) {
    scratch();
    for (auto _ : state) {
        state.PauseTiming();
        QPointer<TqMainWindow> window = new TqMainWindow;
        QCoreApplication::processEvents();
        state.ResumeTiming();
        window->close();
        runUntil([&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return window.isNull();
        });
    }
}
BENCHMARK(BM_CloseIdleWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
