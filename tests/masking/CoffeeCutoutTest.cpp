// The photo case from end to end through the masking model and a real engine command thread:
// the picture is analysed, keep and delete strokes go where the trimap is sure, and the auto
// cut makes the cut-out.
#include "masking/AutoCut.h"
#include "masking/GmBrushing.h"
#include "masking/JxCmdSelect.h"
#include "masking/SegmentationStuff.h"
#include "tests/masking/MaskPixels.h"
#include "tests/masking/MaskingEngineFixture.h"

#include <QImage>

#include <cmath>
#include <cstdio>

namespace {

const QString casePath = QStringLiteral(ZQ_BENCH_DATA_DIR "/coffee-on-brick/");

class CoffeeCutout : public MaskingEngineFixture {
protected:
    // One dab of the brush at every grid point where the trimap is `value` all around it.
    // Returns the pixels the strokes painted. All are queued before any runs, so the auto cut
    // drops every generation but the last.
    std::set<std::pair<int, int>> dabs(const QImage& trimap, int value, JxPixelStatus status,
                                       int brush, int step)
    {
        std::set<std::pair<int, int>> painted;
        for (int y = step / 2; y < trimap.height(); y += step)
            for (int x = step / 2; x < trimap.width(); x += step) {
                if (!masktest::sureAround(trimap, x, y, brush / 2 + 2, value))
                    continue;
                auto* stroke = new GmBrushing(Qt::red);
                stroke->brushing().startStroke(QPointF(x, y));
                const auto dab = masktest::strokePixels(stroke->brushing());
                painted.insert(dab.begin(), dab.end());
                thread->submit(new JxCmdSelect(model, stroke, JxStatusAllClasses, status, 0, 1));
            }
        return painted;
    }
};

TEST_F(CoffeeCutout, AlphaFollowsTheStrokesAndTheTrimap)
{
    const QImage trimap = QImage(casePath + "trimap.png").convertToFormat(QImage::Format_Grayscale8);
    const QImage truth = QImage(casePath + "alpha.png").convertToFormat(QImage::Format_Grayscale8);
    ASSERT_FALSE(trimap.isNull());
    ASSERT_EQ(trimap.size(), truth.size());
    open(new TqSourceImage(casePath + "image.png"));
    ASSERT_EQ(model->outputImage()->image().size(), trimap.size());
    ASSERT_EQ(model->resolution(), 1);
    analyse();

    constexpr int brush = 25;
    BrushSizeValue::instance()->setBrushSize(brush);
    // The marks alone decide: everything else unassigned, for the generation to fill.
    run(new JxCmdSelect(model, nullptr, JxStatusAllClasses, JxStatusUnassigned));
    const auto deleted = dabs(trimap, 0, JxStatusDelete, brush, 32);

    // Queued behind the delete dabs: the generations they ask for wait, and all but the last
    // are dropped.
    const auto kept = dabs(trimap, 255, JxStatusKeep, brush, 32);
    ASSERT_TRUE(waitIdle());
    ASSERT_FALSE(deleted.empty());
    ASSERT_FALSE(kept.empty());
    ASSERT_FALSE(resultsOf(QStringLiteral("Creating Cut-out...")).empty());
    EXPECT_EQ(resultsOf(QStringLiteral("Creating Cut-out...")).back(), JxOk);
    EXPECT_FALSE(model->autoCut()->isBusy());

    const QImage cut = model->outputImage()->image();
    int keepWrong = 0, deleteWrong = 0;
    for (const auto& p : kept)
        keepWrong += qAlpha(cut.pixel(p.first, p.second)) != 255;
    for (const auto& p : deleted)
        deleteWrong += qAlpha(cut.pixel(p.first, p.second)) != 0;
    EXPECT_EQ(keepWrong, 0) << "of " << kept.size() << " pixels under keep strokes";
    EXPECT_EQ(deleteWrong, 0) << "of " << deleted.size() << " pixels under delete strokes";

    long sureForeground = 0, sureBackground = 0, foregroundAgrees = 0, backgroundAgrees = 0;
    long band = 0;
    double sad = 0, squares = 0;
    for (int y = 0; y < trimap.height(); ++y)
        for (int x = 0; x < trimap.width(); ++x) {
            const int t = qGray(trimap.pixel(x, y));
            const int a = qAlpha(cut.pixel(x, y));
            if (t == 255) {
                ++sureForeground;
                foregroundAgrees += a == 255;
            } else if (t == 0) {
                ++sureBackground;
                backgroundAgrees += a == 0;
            } else {
                const double error = (a - qGray(truth.pixel(x, y))) / 255.0;
                sad += std::abs(error);
                squares += error * error;
                ++band;
            }
        }
    std::printf("coffee-on-brick: sure foreground agreeing %.1f %%, sure background agreeing "
                "%.1f %%; band of %ld pixels: SAD %.2f thousand, MSE x1000 %.2f\n",
                100.0 * foregroundAgrees / sureForeground, 100.0 * backgroundAgrees / sureBackground,
                band, sad / 1000.0, 1000.0 * squares / band);
    RecordProperty("sureForegroundAgreement", int(1000 * foregroundAgrees / sureForeground));
    RecordProperty("sureBackgroundAgreement", int(1000 * backgroundAgrees / sureBackground));
}

}  // namespace
