// Taking a picture in: a large turned camera JPEG, a PNG of working size, and the working copy.

#include "masking/NamedImage.h"
#include "masking/TqSourceImage.h"

#include "masking/ExifBuilder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

QString& scratch() {
    static QString folder;
    return folder;
}

// The photo case scaled to `width` x `height`, so that the codecs see real picture content.
QImage photo(int width, int height) {
    const QImage source(QStringLiteral(ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png"));
    return source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QString writeOnce(const QString& name, const QByteArray& bytes) {
    const QString path = scratch() + QLatin1Char('/') + name;
    if (!QFile::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            std::abort();
    }
    return path;
}

void BM_LoadTurnedCameraJpeg(benchmark::State& state) {
    const QString file = writeOnce(QStringLiteral("camera.jpg"),
                                   zqtest::orientedJpeg(photo(4000, 3000), 6, 90));
    for (auto _ : state) {
        TqSourceImage image(file);
        if (image.width() != 960 || image.height() != 1280)
            state.SkipWithError("wrong size");
        benchmark::DoNotOptimize(image.pixelView().data);
    }
}
BENCHMARK(BM_LoadTurnedCameraJpeg)->Unit(benchmark::kMillisecond);

void BM_LoadWorkingSizePng(benchmark::State& state) {
    const QImage picture = photo(1280, 960);
    const QString path = scratch() + QStringLiteral("/photo.png");
    if (!QFile::exists(path) && !picture.save(path))
        std::abort();
    for (auto _ : state) {
        TqSourceImage image(path);
        if (image.width() != 1280)
            state.SkipWithError("not loaded");
        benchmark::DoNotOptimize(image.pixelView().data);
    }
}
BENCHMARK(BM_LoadWorkingSizePng)->Unit(benchmark::kMillisecond);

void BM_WorkingImageAtDivisor2(benchmark::State& state) {
    TqSourceImage image{NamedImage(photo(1280, 960), QUrl())};
    for (auto _ : state) {
        if (!image.makeWorkingImage(2))
            state.SkipWithError("refused");
        benchmark::DoNotOptimize(image.workingView().data);
    }
}
BENCHMARK(BM_WorkingImageAtDivisor2)->Unit(benchmark::kMillisecond);

}  // namespace

// Pixmaps need a GUI application; the log lines of every load go to a folder of our own.
int main(int argc, char** argv) {
    QTemporaryDir folder;
    scratch() = folder.path();
    qputenv("TMPDIR", QFile::encodeName(folder.path()));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
