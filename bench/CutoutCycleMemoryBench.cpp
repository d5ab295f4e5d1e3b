// The program's memory over a session of repeated cut-outs, offscreen, on the real main window
// and engine command thread: each cycle opens the photo, lays 20 brush strokes, places the
// cut-out with Finish, deletes the item and empties the trash. Nothing may stay behind from
// one cycle to the next, so the resident size levels off once Qt's caches and the allocator's
// pools have filled. Reported per cycle on the error stream: the resident size, the resident
// size once the allocator has handed its free memory back (`malloc_trim`: every command runs
// on a thread of its own, and the free memory the allocator keeps for those threads swings by
// tens of MB from one cycle to the next), and the main heap in use. The run fails when the
// trimmed size after the last cycle lies more than 20 MB above the one after the fifth.

#include "MainWindowCase.h"

#include "composition/scene/FrolixItem.h"
#include "masking/GmBrushing.h"
#include "masking/GmModel.h"
#include "masking/GmStatusArray.h"
#include "masking/JxCmdGenerateMask.h"
#include "masking/JxCmdSelect.h"
#include "masking/OstrivalThread.h"
#include "shell/TqMainWindow.h"
#include "masking/BrushSizeValue.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QSettings>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

namespace {

using zqbench::engineIdle;
using zqbench::placed;
using zqbench::runUntil;
using zqbench::scratch;

constexpr int cycles = 30;
constexpr double allowedGrowthMb = 20.0;

double residentMb() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double heapInUseMb() {
    return double(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

void settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// One cycle: open, 20 strokes, Finish, delete the placed item, and (when asked) empty the trash.
void cycle(TqMainWindow* window, bool emptyTrash) {
    window->loadFile(QStringLiteral(ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png"));
    runUntil([] { return engineIdle() && GmModel::instance()->sourceImage(); });
    GmModel* model = GmModel::instance();
    for (int i = 0; i < 20; ++i) {
        auto* dab = new GmBrushing(Qt::red);
        dab->brushing().startStroke(QPointF(40 + 28 * i, 60 + 18 * i));
        dab->brushing().strokeTo(QPointF(60 + 28 * i, 90 + 18 * i));
        theEngineThread->submit(new JxCmdSelect(model, dab, JxStatusAllClasses,
                                                i % 3 ? JxStatusKeep : JxStatusDelete, 0, 1));
    }
    runUntil([] {
        return engineIdle() &&
               theEngineThread->modificationCount() == theLastMaskModification.load();
    });
    window->createCutoutItemDone();
    runUntil([&] { return placed(window); });
    runUntil(engineIdle);
    if (!liveItems.isEmpty())
        liveItems.last()->trash();
    if (emptyTrash)
        FrolixItem::emptyTrash();
    settle();
}

void cutoutCycles(benchmark::State& state, const char* label, bool emptyTrash) {
    scratch();
    QSettings().setValue(QStringLiteral("OnImageLoad"), 1);   // an opened photo becomes a cut-out
    QPointer<TqMainWindow> window = new TqMainWindow;
    BrushSizeValue::instance()->setBrushSize(20);
    std::vector<double> resident, trimmed, heap;
    for (auto _ : state) {
        resident.clear();
        trimmed.clear();
        heap.clear();
        for (int i = 0; i < cycles; ++i) {
            cycle(window, emptyTrash);
            resident.push_back(residentMb());
            malloc_trim(0);
            trimmed.push_back(residentMb());
            heap.push_back(heapInUseMb());
        }
    }
    std::fprintf(stderr, "%s: cycle, resident MB, resident after trim MB, main heap in use MB\n",
                 label);
    for (std::size_t i = 0; i < resident.size(); ++i)
        std::fprintf(stderr, "  %2zu %8.1f %8.1f %8.1f\n", i + 1, resident[i], trimmed[i], heap[i]);
    state.counters["rss5_MB"] = resident[4];
    state.counters["rss30_MB"] = resident.back();
    state.counters["trimmedGrowth_MB"] = trimmed.back() - trimmed[4];
    state.counters["heapGrowth_MB"] = heap.back() - heap[4];
    if (emptyTrash && trimmed.back() - trimmed[4] > allowedGrowthMb)
        state.SkipWithError("the resident size grew more than 20 MB from the fifth cycle to the last");
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    delete window.data();
}

void BM_CutoutCyclesEmptyingTheTrash(benchmark::State& state) { cutoutCycles(state, "emptying the trash", true); }
BENCHMARK(BM_CutoutCyclesEmptyingTheTrash)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The same with the trash kept: the trash (shown to the user, who may empty it) holds every
// deleted cut-out.
void BM_CutoutCyclesKeepingTheTrash(benchmark::State& state) { cutoutCycles(state, "keeping the trash", false); }
BENCHMARK(BM_CutoutCyclesKeepingTheTrash)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
