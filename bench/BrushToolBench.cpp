// The masking brushes and the edge-finding options on the photo scaled to 1280 x 960, through a
// real engine command thread and a real canvas: from the release of an Erase stroke to the paint
// that shows the new cut-out, and from the last of fifty values dragged through on the number of
// edges to the end of the one edge finding that follows; and the repaint of the whole visible
// view with the vector edges shown and a stroke still being painted, at three zooms.
#include "masking/GmModel.h"
#include "masking/NamedImage.h"
#include "masking/OstrivalThread.h"
#include "masking/SegmentationStuff.h"
#include "masking/TqSourceImage.h"
#include "workspace/DeleteExactTool.h"
#include "masking/EDOs.h"
#include "workspace/EdgeDetectionOptions.h"
#include "workspace/EraseExactTool.h"
#include "workspace/GmTool.h"
#include "workspace/GmZoomWidget.h"
#include "workspace/ImageView.h"
#include "workspace/ModelPort.h"
#include "workspace/ToolOptions.h"
#include "workspace/TqWorkspace.h"
#include "workspace/ViewOptions.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace {

void runUntil(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Counts the canvas's paints.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

// The photo open in the model, on a canvas, with the edge-finding options that analyse it.
struct BrushScene {
    OstrivalThread thread;
    GmModel* model = GmModel::instance();
    std::unique_ptr<EdgeDetectionOptions> edges;
    std::unique_ptr<ImageView> view;
    std::unique_ptr<ToolOptions> options;
    std::unique_ptr<NoTool> noTool;
    std::unique_ptr<DeleteExactTool> erase;
    std::unique_ptr<EraseExactTool> restore;

    BrushScene() {
        ModelPort::instance()->attach(model);
        edges = std::make_unique<EdgeDetectionOptions>(false, true);
        view = std::make_unique<ImageView>();
        view->resize(1300, 980);
        view->show();
        GmTool::setImageView(view.get());
        options = std::make_unique<ToolOptions>();
        noTool = std::make_unique<NoTool>(options.get());
        erase = std::make_unique<DeleteExactTool>(nullptr, nullptr, nullptr, options.get());
        restore = std::make_unique<EraseExactTool>(nullptr, nullptr, nullptr, options.get());
        const QImage photo = QImage(ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png")
                                 .scaled(1280, 960, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                 .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        model->setImage(GmSession::ChooseSettings, 1,
                        new TqSourceImage(NamedImage(photo, QUrl("file:///coffee.png"))));
        idle();
        view->zoomToSlot(1.0);
        QCoreApplication::processEvents();
        BrushingTool::setBrushSize(40);
    }
    ~BrushScene() {
        restore.reset();
        erase.reset();
        noTool.reset();
        options.reset();
        GmTool::setImageView(nullptr);
        view.reset();
        model->closeImage();
        idle();
        edges.reset();
        delete model;
    }
    void idle() {
        runUntil([this] { return thread.isIdle() && !model->isWaitingToOpenSession(); });
    }
    GmZoomWidget* canvas() const { return view->workspace()->canvas(); }
    void mouse(QEvent::Type type, const QPoint& pos, Qt::MouseButtons held) {
        QMouseEvent event(type, pos, canvas()->mapToGlobal(pos), Qt::LeftButton, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(canvas(), &event);
    }
};

void BM_EraseReleaseToCutoutPainted(benchmark::State& state) {
    BrushScene scene;
    PaintCounter counter;
    scene.canvas()->installEventFilter(&counter);
    bool cut = false;
    int paintsAtCut = 0;
    QObject::connect(scene.model, &GmModel::cutoutChanged, [&] {
        cut = true;
        paintsAtCut = counter.paints;
    });
    const QPoint from = scene.canvas()->displayRect().topLeft() + QPoint(100, 600);
    for (auto _ : state) {
        state.PauseTiming();
        // Erase, and Restore in between so that every timed Erase changes the statuses.
        scene.restore->installSlot();
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1)
                scene.erase->installSlot();
            scene.mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
            for (int i = 1; i <= 20; ++i)
                scene.mouse(QEvent::MouseMove, from + QPoint(i * 40, (i % 3) * 10), Qt::LeftButton);
            cut = false;
            if (pass == 1)
                state.ResumeTiming();
            scene.mouse(QEvent::MouseButtonRelease, from + QPoint(800, 0), Qt::NoButton);
            runUntil([&] { return cut && counter.paints > paintsAtCut; });
            if (pass == 0)
                scene.idle();
        }
        state.PauseTiming();
        scene.idle();
        state.ResumeTiming();
    }
    scene.canvas()->removeEventFilter(&counter);
}
BENCHMARK(BM_EraseReleaseToCutoutPainted)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DragNumberOfEdgesThroughFiftyValues(benchmark::State& state) {
    BrushScene scene;
    EdgeDetectionOptions& edges = *scene.edges;
    int analyses = 0;
    QObject::connect(scene.model, &GmModel::imageAnalysisHasBegun, [&] { ++analyses; });
    int round = 0;
    int mostPerDrag = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const int first = round++ % 2 ? 30 : 40;
        analyses = 0;
        edges.sensitivitySlider->setSliderDown(true);
        for (int v = first; v < first + 49; ++v) {
            edges.sensitivitySlider->setValue(v);
            QCoreApplication::processEvents();
        }
        edges.sensitivitySlider->setValue(first + 49);
        state.ResumeTiming();
        edges.sensitivitySlider->setSliderDown(false);
        scene.idle();
        state.PauseTiming();
        mostPerDrag = std::max(mostPerDrag, analyses);
        if (scene.model->imageSmeg()->options().sensitivity_.applied != first + 49 ||
            !scene.model->imageSmeg()->isAnalysisReady())
            state.SkipWithError("the last value was not analysed");
        state.ResumeTiming();
    }
    state.counters["analyses per drag"] = mostPerDrag;
}
BENCHMARK(BM_DragNumberOfEdgesThroughFiftyValues)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RepaintWithEdgesAndPendingStroke(benchmark::State& state) {
    BrushScene scene;
    ViewOptions viewOptions;
    viewOptions.setShowVectorEdges(true);
    scene.view->zoomToSlot(state.range(0) / 100.0);
    QCoreApplication::processEvents();
    // A stroke across the middle of what is shown, not yet released.
    scene.erase->installSlot();
    const QRect shown = scene.view->workspace()->viewport()->rect().translated(
        scene.view->workspace()->horizontalScrollBar()->value(),
        scene.view->workspace()->verticalScrollBar()->value());
    const QPoint from = shown.center() - QPoint(shown.width() / 4, 0);
    scene.mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    for (int i = 1; i <= 20; ++i)
        scene.mouse(QEvent::MouseMove, from + QPoint(i * shown.width() / 40, (i % 3) * 10),
                    Qt::LeftButton);
    if (!viewOptions.showsVectorEdges() || scene.model->imageSmeg()->vectorEdges().isEmpty())
        state.SkipWithError("no vector edges to show");
    for (auto _ : state)
        scene.canvas()->repaint(shown);
    scene.mouse(QEvent::MouseButtonRelease, from, Qt::NoButton);
    scene.idle();
    state.SetLabel("zoom " + std::to_string(state.range(0)) + " %");
}
BENCHMARK(BM_RepaintWithEdgesAndPendingStroke)->Arg(100)->Arg(25)->Arg(400)
    ->Unit(benchmark::kMillisecond);

} // namespace
