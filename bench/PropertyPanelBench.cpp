// The property panel's reaction to a selection change (page switch and every chooser's read)
// and the composition view's repaint with thought bubbles, at 1280 x 960.
#include "composition/panels/PropertyPanelWindow.h"
#include "composition/scene/ArrowTipItemHandle.h"
#include "composition/scene/FrolixWidget.h"
#include "composition/scene/ItemController.h"
#include "composition/scene/SpeechBubbleItem.h"
#include "composition/scene/TextFieldItem.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Canvas {
    Canvas() {
        view = std::make_unique<FrolixWidget>();
        view->setFrameShape(QFrame::NoFrame);
        view->resize(1280, 960);
        ItemController::instance()->setCanvasSize(QSize(1280, 960));
        view->show();
        QCoreApplication::processEvents();
    }
    ~Canvas() { view.reset(); }
    std::unique_ptr<FrolixWidget> view;
};

void BM_SelectionChangeWithPanel(benchmark::State& state) {
    Canvas canvas;
    PropertyPanelWindow panel;
    auto* text = new TextFieldItem(theItemScene, QStringLiteral("A text field"), QPointF(300, 300));
    auto* bubble = new SpeechBubbleItem;
    // One round selects the other item alone: the page switches and every chooser reads.
    QGraphicsItem* items[] = {text, bubble};
    int next = 0;
    for (auto _ : state) {
        theItemScene->clearSelection();
        items[next]->setSelected(true);
        next = 1 - next;
    }
}
BENCHMARK(BM_SelectionChangeWithPanel)->Unit(benchmark::kMillisecond);

void BM_RepaintThoughtBubbles(benchmark::State& state) {
    lastBubbleBodyShape = 1;
    lastBubbleTailShape = 1;
    Canvas canvas;
    for (int i = 0; i < 10; ++i) {
        auto* bubble = new SpeechBubbleItem;
        bubble->setPos((i % 5) * 240, (i / 5) * 420);
        bubble->arrowTip()->setTipPos(bubble->mapToScene(bubble->bubbleRect().bottomRight() +
                                                         QPointF(200, 250)));
        bubble->arrowTipMoved();
        bubble->updateHandles();
    }
    theItemScene->clearSelection();
    canvas.view->fitImageOnScreenSlot();
    QWidget* viewport = canvas.view->viewport();
    for (auto _ : state)
        viewport->repaint();
    lastBubbleBodyShape = 0;
    lastBubbleTailShape = 0;
}
BENCHMARK(BM_RepaintThoughtBubbles)->Unit(benchmark::kMillisecond);

}  // namespace
