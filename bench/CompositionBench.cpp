// The composition's final image, modified test, view repaint, preview and saving on a canvas of
// 1280 x 960 with 20 items (twelve cut-outs, four text fields, four speech bubbles); the colour
// effect and the clone of a 1280 x 960 cut-out.
#include "composition/scene/ArrowTipItemHandle.h"
#include "composition/scene/BackdropController.h"
#include "composition/scene/CutoutItem.h"
#include "composition/scene/FinalImageAssembler.h"
#include "composition/scene/FinalImagePreviewDialog.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/FrolixWidget.h"
#include "composition/scene/ItemController.h"
#include "composition/scene/SpeechBubbleItem.h"
#include "composition/scene/TextFieldItem.h"
#include "masking/SavedCutoutState.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

/// A cut-out as the masking view makes them: an opaque shape on transparent surroundings.
QPixmap cutoutPixmap(const QSize& size, const QColor& colour) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(QPointF(0, 0), size).adjusted(4, 4, -4, -4));
    painter.end();
    return QPixmap::fromImage(image);
}

// One composition for every benchmark: built before the first, torn down after the last.
struct Composition {
    Composition() {
        view = std::make_unique<FrolixWidget>();
        view->setFrameShape(QFrame::NoFrame);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->resize(1280, 960);
        ItemController::instance()->setCanvasSize(QSize(1280, 960));
        theBackdropController->setBackgroundColor(QColor(230, 220, 200));
        // Twelve cut-outs, four text fields and four bubbles (two of them thought bubbles).
        for (int i = 0; i < 20; ++i) {
            const QPointF place((i % 5) * 250, (i / 5) * 230);
            FrolixItem* item = nullptr;
            if (i % 5 == 3) {
                item = new TextFieldItem(view->itemScene(),
                                         QStringLiteral("Text field number %1").arg(i), place);
            } else if (i % 5 == 4) {
                lastBubbleBodyShape = i % 2;
                lastBubbleTailShape = i % 2;
                auto* bubble = new SpeechBubbleItem;
                bubble->setPos(place);
                bubble->arrowTip()->setTipPos(place + QPointF(-80, 200));
                bubble->arrowTipMoved();
                item = bubble;
            } else {
                auto* cutout = new CutoutItem(view->itemScene(),
                                              cutoutPixmap(QSize(240, 180),
                                                           QColor::fromHsv(i * 18, 200, 220)),
                                              new SavedCutoutState(nullptr));
                cutout->setPos(place);
                cutout->setTransform(QTransform().rotate(i * 7));
                item = cutout;
            }
            item->setItemOpacity(i % 2 ? 0.8 : 1.0);
        }
        lastBubbleBodyShape = 0;
        lastBubbleTailShape = 0;
        view->itemScene()->clearSelection();
        view->show();
        QCoreApplication::processEvents();
        view->fitImageOnScreenSlot();
    }
    std::unique_ptr<FrolixWidget> view;
};

Composition* composition = nullptr;

void BM_RenderFinalPixmap(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(renderFinalPixmap());
}
BENCHMARK(BM_RenderFinalPixmap)->Unit(benchmark::kMillisecond);

void BM_IsModified(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(FrolixObject::instance()->isModified());
}
BENCHMARK(BM_IsModified)->Unit(benchmark::kMillisecond);

void BM_RepaintViewport(benchmark::State& state) {
    QWidget* viewport = composition->view->viewport();
    for (auto _ : state)
        viewport->repaint();
}
BENCHMARK(BM_RepaintViewport)->Unit(benchmark::kMillisecond);

void BM_BuildPreviewDialog(benchmark::State& state) {
    for (auto _ : state)
        FinalImagePreviewDialog preview;
}
BENCHMARK(BM_BuildPreviewDialog)->Unit(benchmark::kMillisecond);

void BM_SaveFinalImage(benchmark::State& state, const char* fileName) {
    QTemporaryDir folder;
    const QString path = folder.filePath(fileName);
    for (auto _ : state)
        if (!FrolixObject::instance()->saveFinalImage(path))
            state.SkipWithError("saving failed");
}
BENCHMARK_CAPTURE(BM_SaveFinalImage, jpeg, "final.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveFinalImage, png, "final.png")->Unit(benchmark::kMillisecond);

/// A 1280 x 960 cut-out at half tint and half saturation, the slowest row of the effect
/// table: what every step of a panel slider costs.
void BM_EffectPixmap(benchmark::State& state) {
    CutoutItem item(composition->view->itemScene(), cutoutPixmap(QSize(1280, 960), Qt::darkCyan),
                    new SavedCutoutState(nullptr));
    item.tintStrength = 0.5f;
    item.saturation = 0.5f;
    for (auto _ : state)
        benchmark::DoNotOptimize(item.effectPixmap());
}
BENCHMARK(BM_EffectPixmap)->Unit(benchmark::kMillisecond);

/// Cloning a 1280 x 960 cut-out with its saved state, whose file of its own receives a copy
/// of a session as large as the picture's pixels.
void BM_CloneCutout(benchmark::State& state) {
    auto* saved = new SavedCutoutState(nullptr);
    QFile session(saved->fileName());
    if (!session.open(QIODevice::WriteOnly) ||
        session.write(QByteArray(1280 * 960 * 4, '\x5a')) != 1280 * 960 * 4)
        state.SkipWithError("no session bytes");
    session.close();
    CutoutItem item(composition->view->itemScene(), cutoutPixmap(QSize(1280, 960), Qt::darkCyan),
                    saved);
    for (auto _ : state) {
        FrolixItem* copy = item.clone();
        state.PauseTiming();
        delete copy;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CloneCutout)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    int result = 0;
    {
        Composition built;
        composition = &built;
        result = benchmark::ReportUnrecognizedArguments(argc, argv) ? 1 : 0;
        if (result == 0)
            benchmark::RunSpecifiedBenchmarks();
        composition = nullptr;
    }
    benchmark::Shutdown();
    return result;
}
