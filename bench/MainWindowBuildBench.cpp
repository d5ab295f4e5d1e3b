// The main window offscreen: building the whole window (views, tools, palette, panels, actions)
// and switching between the cut-out and the composition tab (palette, panels, enabledness).
#include "masking/GmModel.h"
#include "shell/TqMainWindow.h"
#include "workspace/ImageView.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

static void registerProgramResources() { Q_INIT_RESOURCE(resources); }

namespace {

// Settings go to a scratch folder: the window writes its state at every close.
void useScratchSettings(const QTemporaryDir& folder) {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()));
    QCoreApplication::setOrganizationName(QStringLiteral("BrenmoorTech"));
    QCoreApplication::setApplicationName(QStringLiteral("ZolquistBench"));
}

void closeWindow(TqMainWindow* window) {
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_BuildMainWindow(benchmark::State& state) {
    registerProgramResources();
    QTemporaryDir folder;
    useScratchSettings(folder);
    for (auto _ : state) {
        auto* window = new TqMainWindow;
        QCoreApplication::processEvents();
        state.PauseTiming();
        closeWindow(window);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BuildMainWindow)->Unit(benchmark::kMillisecond);

// One switch to the other tab and the first pass of its settings; the deferred second pass
// is the same work again.
void BM_SwitchViewTab(benchmark::State& state) {
    registerProgramResources();
    QTemporaryDir folder;
    useScratchSettings(folder);
    auto* window = new TqMainWindow;
    QCoreApplication::processEvents();
    int tab = ImageView::MaskingTab;
    for (auto _ : state) {
        window->imageView()->ensureViewTab(tab, ImageView::ViewTab(tab));
        QCoreApplication::processEvents();
        tab = tab == ImageView::MaskingTab ? ImageView::CompositionTab : ImageView::MaskingTab;
    }
    closeWindow(window);
}
BENCHMARK(BM_SwitchViewTab)->Unit(benchmark::kMillisecond);

}  // namespace
