// The canvas's vector-edge layer: the edges of the session's edge finding show in blue exactly
// while the view options' switch is on.
#include "masking/SegmentationStuff.h"
#include "tests/masking/MaskingEngineFixture.h"
#include "tests/workspace/WorkspaceFixture.h"

#include "workspace/EdgeDetectionOptions.h"
#include "workspace/GmZoomWidget.h"
#include "workspace/ImageView.h"
#include "workspace/ModelPort.h"
#include "workspace/TqWorkspace.h"
#include "workspace/ViewOptions.h"

#include <QSettings>

#include <memory>

namespace {

class CanvasEdges : public MaskingEngineFixture {
protected:
    void SetUp() override {
        QSettings().clear();
        ViewOptions::resetRememberedState();
        MaskingEngineFixture::SetUp();
        ModelPort::instance()->attach(model);
    }
    void TearDown() override {
        window.reset();
        edges.reset();
        MaskingEngineFixture::TearDown();
        ViewOptions::resetRememberedState();
    }
    int bluePixels() const {
        GmZoomWidget* canvas = window->view()->workspace()->canvas();
        const QImage shot = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int count = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                count += shot.pixel(x, y) == qRgb(0, 0, 255);
        return count;
    }

    std::unique_ptr<EdgeDetectionOptions> edges;
    std::unique_ptr<zqtest::ViewWindow> window;
};

TEST_F(CanvasEdges, TheEdgesShowInBlueWhileTheSwitchIsOn) {
    edges = std::make_unique<EdgeDetectionOptions>(true, true);
    QImage picture(120, 90, QImage::Format_ARGB32_Premultiplied);
    picture.fill(QColor(40, 120, 60));
    for (int y = 30; y < 60; ++y)
        for (int x = 40; x < 80; ++x)
            picture.setPixel(x, y, qRgb(230, 230, 240));
    open(picture);
    ASSERT_FALSE(model->imageSmeg()->vectorEdges().isEmpty()) << "found when the session began";
    window = std::make_unique<zqtest::ViewWindow>(QImage());

    EXPECT_EQ(bluePixels(), 0) << "no view options, no edges";
    {
        ViewOptions options;
        EXPECT_GT(bluePixels(), 20);
        options.setShowVectorEdges(false);
        EXPECT_EQ(bluePixels(), 0);
        options.setShowVectorEdges(true);
        options.setShowVectorEdgesEnabled(false);
        EXPECT_EQ(bluePixels(), 0);
        options.setShowVectorEdgesEnabled(true);
        EXPECT_GT(bluePixels(), 20);
    }
    EXPECT_EQ(bluePixels(), 0);
}

} // namespace
