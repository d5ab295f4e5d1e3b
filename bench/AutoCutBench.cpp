// The cut-out's response to the user at 1280 x 960 (the photo case scaled up), analysed
// beforehand: from a stroke's release to the status image's `statusChanged`, and from a status
// change to the model's `cutoutChanged`, through a real engine command thread.

#include "masking/AutoCut.h"
#include "masking/GmBrushing.h"
#include "masking/GmModel.h"
#include "masking/GmStatusArray.h"
#include "masking/JxCmdSelect.h"
#include "masking/NamedImage.h"
#include "masking/OstrivalThread.h"
#include "masking/SegmentationStuff.h"
#include "masking/TqSourceImage.h"
#include "masking/BrushSizeValue.h"

#include <QCoreApplication>
#include <QImage>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <cmath>
#include <functional>

namespace {

void runUntil(const std::function<bool()>& done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

// The model with the photo case at 1280 x 960, its session open and analysed.
struct AnalysedCase {
    OstrivalThread thread;
    GmModel* model = GmModel::instance();

    AnalysedCase()
    {
        const QImage photo = QImage(ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png")
                                 .scaled(1280, 960, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        model->setImage(GmSession::KeepSettings, 1,
                        new TqSourceImage(NamedImage(photo, QUrl("file:///coffee.png"))));
        idle();
        model->imageSmeg()->analyse();
        idle();
        BrushSizeValue::instance()->setBrushSize(40);
    }
    ~AnalysedCase()
    {
        model->closeImage();
        idle();
        delete model;
    }
    void idle()
    {
        runUntil([this] { return thread.isIdle() && !model->isWaitingToOpenSession(); });
    }
};

GmBrushing* hundredPointStroke(int shift)
{
    auto* stroke = new GmBrushing(Qt::red);
    stroke->brushing().startStroke(QPointF(100, 480));
    for (int i = 1; i < 100; ++i)
        stroke->brushing().strokeTo(QPointF(100 + i * 10.5, 480 + shift + 300 * std::sin(i * 0.12)));
    return stroke;
}

void BM_StrokeReleaseToStatusChanged(benchmark::State& state)
{
    AnalysedCase bench;
    // Only the selection is timed here: no cut-out is asked for.
    QObject::disconnect(bench.model->statusArray(), &GmStatusArray::statusChanged,
                        bench.model->autoCut(), &AutoCut::cutoutNeededSlot);
    bool changed = false;
    QObject::connect(bench.model->statusArray(), &GmStatusArray::statusChanged, [&] { changed = true; });
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        GmBrushing* stroke = hundredPointStroke(round % 2 ? 20 : -20);
        const JxPixelStatus status = round++ % 2 ? JxStatusKeep : JxStatusDelete;
        changed = false;
        state.ResumeTiming();
        bench.thread.submit(new JxCmdSelect(bench.model, stroke, JxStatusAllClasses, status, 0, 1));
        runUntil([&] { return changed; });
        state.PauseTiming();
        bench.idle();   // the undo-count refresh
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StrokeReleaseToStatusChanged)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StatusChangeToCutoutChanged(benchmark::State& state)
{
    AnalysedCase bench;
    bench.thread.submit(new JxCmdSelect(bench.model, hundredPointStroke(0), JxStatusAllClasses,
                                        JxStatusDelete, 0, 1));
    bench.idle();
    bool cut = false;
    QObject::connect(bench.model, &GmModel::cutoutChanged, [&] { cut = true; });
    for (auto _ : state) {
        cut = false;
        bench.model->statusArray()->rescan();   // what every status-changing command ends with
        runUntil([&] { return cut; });
        state.PauseTiming();
        bench.idle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StatusChangeToCutoutChanged)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
