// Saving and reading back a masking session of a 1280 x 960 picture with 20 regions (ten
// rectangles, ten brush strokes), as a placed cut-out's state does.

#include "masking/SessionFile.h"
#include "masking/GmModel.h"
#include "masking/NamedImage.h"
#include "masking/TqSourceImage.h"
#include "common/StreamedTypes.h"
#include "tests/masking/SavedTargets.h"

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QUrl>

#include <benchmark/benchmark.h>

namespace {

QImage photoLike(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb(x * 5 % 256, y * 7 % 256, (x * y) % 256);
    }
    return image;
}

// One model with its work for every benchmark; the regions are the tests' stand-ins, which
// store themselves as the real kinds do and need no engine.
struct Session {
    Session() {
        registerStreamedTypes();
        savetest::registerSavedTargets();
        model = GmModel::instance();
        model->setImage(GmSession::KeepSettings, 1,
                        new TqSourceImage(NamedImage(photoLike(1280, 960), QUrl("file:///bench.png"))));
        for (int i = 0; i < 10; ++i) {
            model->regions().append(new savetest::SavedRectRegion(QRectF(i * 100, i * 80, 240, 180)));
            auto* brush = new savetest::SavedBrushRegion(QColor(i % 2 ? Qt::black : Qt::white));
            brush->stroke().startStroke(QPointF(20 + i * 90, 40));
            for (int step = 1; step <= 20; ++step)
                brush->stroke().strokeTo(QPointF(20 + i * 90 + step * 3, 40 + step * 40));
            model->regions().append(brush);
        }
        QBuffer buffer(&saved);
        buffer.open(QIODevice::WriteOnly);
        SessionFile::save(buffer);
    }
    GmModel* model = nullptr;
    QByteArray saved;
};

Session& session() {
    static Session s;
    return s;
}

void BM_SaveSession(benchmark::State& state) {
    Session& s = session();
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!SessionFile::save(buffer))
            state.SkipWithError("saving failed");
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["bytes"] = double(s.saved.size());
}
BENCHMARK(BM_SaveSession)->Unit(benchmark::kMillisecond);

void BM_LoadSession(benchmark::State& state) {
    Session& s = session();
    for (auto _ : state) {
        QBuffer buffer(&s.saved);
        buffer.open(QIODevice::ReadOnly);
        if (!SessionFile::load(buffer))
            state.SkipWithError("loading failed");
        state.PauseTiming();
        // The regions of the closed model go the way the program sends them.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (s.model->regions().size() != 20)
            state.SkipWithError("regions lost");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadSession)->Unit(benchmark::kMillisecond);

}  // namespace
