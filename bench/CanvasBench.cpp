// Repaint cost of the masking canvas: a 1280 x 960 view of the photo scaled to 1280 x 960, seen
// through a translucency of 1/3 with the cut-out over it, at zoom 1, 1/4 and 4; and the time from
// a mouse move to the end of the paint that shows the brush there.
#include "workspace/BrushingTool.h"
#include "workspace/GmTool.h"
#include "workspace/GmZoomWidget.h"
#include "workspace/ImageView.h"
#include "workspace/ModelPort.h"
#include "workspace/ToolOptions.h"
#include "workspace/TqWorkspace.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QImage scaledPhoto() {
    QImage photo(QStringLiteral(ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png"));
    if (photo.isNull())
        photo = QImage(640, 480, QImage::Format_ARGB32_Premultiplied);
    return photo.scaled(1280, 960, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The cut-out: the photo where the left two thirds are kept, transparent elsewhere.
QImage cutOut(const QImage& photo) {
    QImage output = photo.copy();
    QPainter painter(&output);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.fillRect(QRect(photo.width() * 2 / 3, 0, photo.width(), photo.height()), Qt::transparent);
    return output;
}

// Counts the canvas's paint events and the pixels they cover, so the figures show real paints.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            const QRect r = static_cast<QPaintEvent*>(event)->rect();
            pixels += double(r.width()) * r.height();
        }
        return false;
    }
    int paints = 0;
    double pixels = 0;
};

struct CanvasScene {
    CanvasScene() {
        const QImage photo = scaledPhoto();
        ModelPort::instance()->setPictures(photo, cutOut(photo));
        view = std::make_unique<ImageView>();
        view->resize(1280 + 20, 960 + 20);
        view->show();
        QCoreApplication::processEvents();
        canvas = view->workspace()->canvas();
        emit ModelPort::instance()->hintOpacityChanged();  // 1/3
        options = std::make_unique<ToolOptions>();
        noTool = std::make_unique<NoTool>(options.get());
    }
    ~CanvasScene() {
        noTool.reset();
        options.reset();
        view.reset();
        ModelPort::instance()->setPictures(QImage(), QImage());
    }
    void zoom(double factor) {
        view->zoomToSlot(factor);
        QCoreApplication::processEvents();
    }

    std::unique_ptr<ImageView> view;
    GmZoomWidget* canvas = nullptr;
    std::unique_ptr<ToolOptions> options;
    std::unique_ptr<NoTool> noTool;
};

void BM_CanvasRepaint(benchmark::State& state) {
    CanvasScene scene;
    scene.zoom(state.range(0) / 100.0);
    const QRect visible = scene.view->workspace()->viewport()->rect().translated(
        scene.view->workspace()->horizontalScrollBar()->value(),
        scene.view->workspace()->verticalScrollBar()->value());
    for (auto _ : state)
        scene.canvas->repaint(visible);
    state.SetLabel("zoom " + std::to_string(state.range(0)) + " %");
}
BENCHMARK(BM_CanvasRepaint)->Arg(100)->Arg(25)->Arg(400)->Unit(benchmark::kMillisecond);

class BenchBrush : public BrushingTool {
public:
    BenchBrush() : BrushingTool("Erase", "Erase", QIcon(), QString(), QString(), nullptr, nullptr,
                                nullptr, nullptr) {
        setOptionsWidget(brushOptionsPanel(), false);
    }
    void beginStroke(const QPointF&) override {}
    void endStroke() override {}
};

void BM_BrushMoveToPaint(benchmark::State& state) {
    CanvasScene scene;
    scene.zoom(1.0);
    BenchBrush brush;
    brush.installSlot();
    BrushingTool::setBrushSize(int(state.range(0)));
    QPoint pos = scene.canvas->displayRect().center();
    int step = 0;
    PaintCounter counter;
    scene.canvas->installEventFilter(&counter);
    for (auto _ : state) {
        // Back and forth, so the brush stays over the middle of the photo.
        pos += (step++ % 2) ? QPoint(3, 2) : QPoint(-3, -2);
        QMouseEvent move(QEvent::MouseMove, pos, scene.canvas->mapToGlobal(pos), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(scene.canvas, &move);
        scene.canvas->repaint(scene.canvas->brushCursorRect().united(
            QRect(pos, QSize(1, 1)).adjusted(-state.range(0), -state.range(0), state.range(0),
                                             state.range(0))));
    }
    scene.canvas->removeEventFilter(&counter);
    state.SetLabel("brush " + std::to_string(state.range(0)) + " px, " +
                   std::to_string(int(counter.pixels / std::max(1, counter.paints))) +
                   " px per paint");
}
BENCHMARK(BM_BrushMoveToPaint)->Arg(10)->Arg(400)->Unit(benchmark::kMillisecond);

} // namespace
