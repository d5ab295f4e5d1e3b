// A brush stroke as the keep and delete brushes paint it: 100 pointer positions with brush 40
// over a 1280 x 960 working image, each painting one segment and asking for one repaint.
#include "masking/Brushing.h"
#include "masking/GmShapeHost.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

class BenchHost : public GmShapeHost {
public:
    BenchHost() { setCurrent(this); }
    ~BenchHost() override { setCurrent(nullptr); }
    int resolution() const override { return 1; }
    QRect workingImageRect() const override { return QRect(0, 0, 1280, 960); }
    QRectF displayImageRect() override { return QRectF(0, 0, 1280, 960); }
    int brushSize() const override { return 40; }
    void requestRepaint(const QRectF& r, int, int) override { benchmark::DoNotOptimize(r); }
    void brushingCreated(GmBrushing*) override {}
    void brushingDestroyed(GmBrushing*) override {}
};

void BM_HundredPointStrokeBrush40(benchmark::State& state)
{
    BenchHost host;
    std::vector<QPointF> points;
    for (int i = 0; i < 100; ++i)   // a wavy line across most of the picture
        points.emplace_back(100 + i * 10.5, 480 + 300 * std::sin(i * 0.12));
    for (auto _ : state) {
        Brushing stroke(QColor(Qt::red));
        stroke.startStroke(points.front());
        for (std::size_t i = 1; i < points.size(); ++i)
            stroke.strokeTo(points[i]);
        benchmark::DoNotOptimize(stroke.workingBounds());
    }
}
BENCHMARK(BM_HundredPointStrokeBrush40)->Unit(benchmark::kMillisecond);

}  // namespace
