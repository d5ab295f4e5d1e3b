// The masking document's own costs: opening a picture's engine session, one command's round
// trip through the engine command thread, the status image's rescan and recolouring, and
// restoring and closing a saved session with many protected patches.

#include "masking/GmModel.h"
#include "masking/GmModelKeys.h"
#include "masking/GmStatusArray.h"
#include "masking/NamedImage.h"
#include "masking/OstrivalCommand.h"
#include "masking/OstrivalThread.h"
#include "masking/RectRegion.h"
#include "masking/TqSourceImage.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <vector>

namespace {

// Runs an event loop, as the program does, until `done` holds; looked at whenever the engine
// command thread reports, so the loop sleeps while the engine works.
void runUntil(OstrivalThread& thread, const std::function<bool()>& done) {
    if (done())
        return;
    QEventLoop loop;
    auto check = [&] {
        if (done())
            loop.quit();
    };
    QObject::connect(&thread, &OstrivalThread::stateChanged, &loop, check, Qt::QueuedConnection);
    QObject::connect(&thread, &OstrivalThread::queueEmptied, &loop, check, Qt::QueuedConnection);
    QObject::connect(&thread, &OstrivalThread::closureComplete, &loop, check, Qt::QueuedConnection);
    loop.exec();
}

QImage photoLike(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb((x * 7 + y) & 0xFF, (y * 5) & 0xFF, x < width / 2 ? 40 : 200);
    }
    return image;
}

void BM_SetImageToQueueEmptied(benchmark::State& state) {
    const QImage picture = photoLike(int(state.range(0)), int(state.range(1)));
    OstrivalThread thread;
    GmModel* model = GmModel::instance();
    bool emptied = false;
    QObject::connect(&thread, &OstrivalThread::queueEmptied, [&] { emptied = true; });
    for (auto _ : state) {
        emptied = false;
        model->setImage(GmSession::ChooseSettings, 1,
                        new TqSourceImage(NamedImage(picture, QUrl("file:///bench.png"))));
        runUntil(thread, [&] { return emptied && !model->isWaitingToOpenSession() && thread.isIdle(); });
        state.PauseTiming();
        model->closeImage();
        runUntil(thread, [&] { return thread.isIdle(); });
        state.ResumeTiming();
    }
    delete model;
}
BENCHMARK(BM_SetImageToQueueEmptied)->Args({1280, 960})->Unit(benchmark::kMillisecond)->UseRealTime();

class EmptyCommand : public OstrivalCommand {
public:
    explicit EmptyCommand(bool* finished) : OstrivalCommand(nullptr, QString()), finished_(finished) {}
    void execute() override {}
    void hasFinished() override { *finished_ = true; }
    bool countsAsModification() const override { return false; }

private:
    bool* finished_;
};

void BM_EmptyCommandRoundTrip(benchmark::State& state) {
    OstrivalThread thread;
    // The log lines go nowhere here; they are part of the cost all the same.
    QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    for (auto _ : state) {
        bool finished = false;
        thread.submit(new EmptyCommand(&finished));
        runUntil(thread, [&] { return finished && thread.isIdle(); });
    }
    qInstallMessageHandler(previous);
}
BENCHMARK(BM_EmptyCommandRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_StatusRescanAndColours(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    std::vector<unsigned char> bytes(std::size_t(width) * height, JxStatusKeep);
    // Marks only in the last rows, so the rescan reads every byte before it has seen them all.
    for (int x = 0; x < width; ++x)
        bytes[std::size_t(height - 1) * width + x] = std::uint8_t(1u << (x % 4));
    JxImage record{width, height, width, JxFormatStatus, bytes.data()};
    GmStatusArray status;
    status.setStatusImage(&record);
    for (auto _ : state) {
        status.rescan();
        status.setColours();
        benchmark::DoNotOptimize(status.statusesPresent());
    }
}
BENCHMARK(BM_StatusRescanAndColours)->Args({1280, 960})->Unit(benchmark::kMillisecond);

// The saved session of a 640 x 480 picture holding `count` copies of one protected patch;
// with `refused`, every other copy lies outside the picture, so the engine refuses it and
// the restore removes it again.
QVariantMap sessionWithProtectedPatches(OstrivalThread& thread, GmModel* model, int count,
                                        bool refused) {
    model->setImage(GmSession::ChooseSettings, 1,
                    new TqSourceImage(NamedImage(photoLike(640, 480), QUrl("file:///bench.png"))));
    runUntil(thread, [&] { return !model->isWaitingToOpenSession() && thread.isIdle(); });
    QVariantMap saved = model->toVariant().toMap();
    model->closeImage();
    runUntil(thread, [&] { return thread.isIdle(); });
    auto entryOver = [](const QRectF& box) {
        QVariantMap entry = RectRegion(box).save().toMap();
        QVariantMap base = entry[GmKeys::regionBase].toMap();
        base[GmKeys::isProtected] = true;
        entry[GmKeys::regionBase] = base;
        return entry;
    };
    const QVariantMap inside = entryOver(QRectF(100, 80, 120, 90));
    const QVariantMap outside = entryOver(QRectF(2000, 2000, 50, 50));
    QVariantList entries;
    for (int i = 0; i < count; ++i)
        entries.append(refused && i % 2 ? outside : inside);
    saved[GmKeys::arrowTargetList] = entries;
    return saved;
}

// Counters: the engine commands the restore queued, and the commands and milliseconds from
// `closeImage` to an idle engine thread. The time measured is the restore's.
void BM_RestoreAndCloseProtectedPatches(benchmark::State& state) {
    const int count = int(state.range(0));
    OstrivalThread thread;
    GmModel* model = GmModel::instance();
    // The engine command log goes nowhere unless ZQ_BENCH_LOG is set (to see what was queued).
    QtMessageHandler previous = nullptr;
    if (qEnvironmentVariableIsEmpty("ZQ_BENCH_LOG"))
        previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const QVariantMap saved = sessionWithProtectedPatches(thread, model, count, state.range(1) != 0);
    int commands = 0;
    QObject::connect(&thread, &OstrivalThread::commandFinished, [&] { ++commands; });
    QObject::connect(&thread, &OstrivalThread::commandDiscarded, [&] { ++commands; });
    double restoreCommands = 0, closeCommands = 0, closeMs = 0;
    for (auto _ : state) {
        commands = 0;
        model->fromVariant(saved);
        runUntil(thread, [&] { return !model->isWaitingToOpenSession() && thread.isIdle(); });
        state.PauseTiming();
        restoreCommands += commands;
        commands = 0;
        const auto start = std::chrono::steady_clock::now();
        model->closeImage();
        runUntil(thread, [&] { return thread.isIdle(); });
        closeMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        closeCommands += commands;
        state.ResumeTiming();
    }
    qInstallMessageHandler(previous);
    const double runs = double(state.iterations());
    state.counters["restoreCommands"] = restoreCommands / runs;
    state.counters["closeCommands"] = closeCommands / runs;
    state.counters["close_ms"] = closeMs / runs;
    delete model;
}
BENCHMARK(BM_RestoreAndCloseProtectedPatches)
    ->ArgNames({"patches", "refused"})
    ->Args({200, 0})->Args({2000, 0})->Args({200, 1})->Args({2000, 1})
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
