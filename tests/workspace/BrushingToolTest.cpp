#include "tests/workspace/WorkspaceFixture.h"

#include "workspace/BrushingTool.h"
#include "workspace/ModelPort.h"
#include "workspace/ToolOptions.h"

#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <memory>

namespace {

class Brush : public BrushingTool {
public:
    Brush() : BrushingTool("Erase", "Erase", QIcon(), QString(), QString(), nullptr, nullptr,
                           nullptr, nullptr) {
        setOptionsWidget(brushOptionsPanel(), false);
    }
};

class BrushFixture : public ::testing::Test {
protected:
    BrushFixture() {
        QSettings().remove("ToolOptions/Common/Size");
        thePenPressureActive = false;
        options = std::make_unique<ToolOptions>();
        noTool = std::make_unique<NoTool>(options.get());
        brush = std::make_unique<Brush>();
    }
    ~BrushFixture() override { thePenPressureActive = false; }

    std::unique_ptr<ToolOptions> options;
    std::unique_ptr<NoTool> noTool;
    std::unique_ptr<Brush> brush;
};

TEST(BrushingTool, SizeIsTenBeforeAnyBrushExists) {
    ASSERT_TRUE(theBrushSizeBox.isNull());
    EXPECT_EQ(BrushingTool::brushSize(), 10);
    QList<const QCursor*> cursors;
    QObject::connect(ModelPort::instance(), &ModelPort::cursorChanged, ModelPort::instance(),
                     [&](const QCursor* c) { cursors.append(c); });
    BrushingTool::setBrushSize(50);
    EXPECT_EQ(BrushingTool::brushSize(), 10);
    EXPECT_EQ(cursors, QList<const QCursor*>{nullptr}) << "the canvas still rebuilds its cursor";
    QObject::disconnect(ModelPort::instance(), &ModelPort::cursorChanged, ModelPort::instance(), nullptr);
}

TEST_F(BrushFixture, AMissingStoredSizeStartsAtOnePixel) {
    EXPECT_EQ(BrushingTool::brushSize(), 1);
    EXPECT_EQ(theBrushSizeBox->key, QStringLiteral("ToolOptions/Common/Size"));
}

TEST_F(BrushFixture, BracketKeysStepBySmallFactorsWithinOneToFourHundred) {
    struct Case {
        int from;
        bool increase;
        int to;
    };
    const Case cases[] = {{1, false, 1},   {1, true, 2},    {400, true, 400}, {10, true, 11},
                          {11, false, 10}, {100, true, 104}, {2, false, 1},  {399, true, 400}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << (c.increase ? " ]" : " ["));
        BrushingTool::setBrushSize(c.from);
        if (c.increase)
            brush->increaseBrushSizeSlot();
        else
            brush->decreaseBrushSizeSlot();
        EXPECT_EQ(BrushingTool::brushSize(), c.to);
    }
}

TEST_F(BrushFixture, SliderAndSizeFollowTheSquareRootMapping) {
    struct ToSize {
        int position;
        int size;
    };
    QSignalSpy moved(ModelPort::instance(), &ModelPort::brushSizeSliderMoved);
    for (const ToSize& c : {ToSize{0, 1}, ToSize{50, 100}, ToSize{100, 400}, ToSize{49, 96},
                            ToSize{10, 4}}) {
        SCOPED_TRACE(c.position);
        theBrushSizeSlider->setValue(c.position == 0 ? 1 : 0);
        moved.clear();
        theBrushSizeSlider->setValue(c.position);
        EXPECT_EQ(BrushingTool::brushSize(), c.size);
        EXPECT_EQ(moved.count(), 1) << "the canvas shows the brush while the slider moves";
    }
    struct ToPosition {
        int size;
        int position;
    };
    for (const ToPosition& c : {ToPosition{100, 49}, ToPosition{101, 50}, ToPosition{400, 100},
                                ToPosition{1, 0}}) {
        SCOPED_TRACE(c.size);
        BrushingTool::setBrushSize(c.size);
        EXPECT_EQ(theBrushSizeSlider->value(), c.position);
        EXPECT_EQ(BrushingTool::brushSize(), c.size) << "moving the slider back changes nothing";
    }
}

TEST_F(BrushFixture, PenPressureScalesTheBrushButNotTheStoredSize) {
    struct Case {
        int box;
        double pressure;
        int size;
    };
    const Case cases[] = {{15, 0.5, 8}, {15, 0.0, 1}, {400, 1.0, 400}, {10, 0.01, 1}, {3, 0.34, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pressure);
        BrushingTool::setBrushSize(c.box);
        thePenPressure = c.pressure;
        thePenPressureActive = true;
        EXPECT_EQ(BrushingTool::brushSize(), c.size);
        thePenPressureActive = false;
        EXPECT_EQ(BrushingTool::brushSize(), c.box);
    }

    // "]" during a pen stroke steps from the box, never from the scaled size.
    BrushingTool::setBrushSize(100);
    thePenPressure = 0.1;
    thePenPressureActive = true;
    brush->increaseBrushSizeSlot();
    thePenPressureActive = false;
    EXPECT_EQ(BrushingTool::brushSize(), 104);
}

TEST_F(BrushFixture, ThePanelLivesUntilTheLastBrushGoesAndStoresTheSize) {
    auto second = std::make_unique<Brush>();
    EXPECT_EQ(second->optionsWidget(), brush->optionsWidget()) << "one shared panel";
    BrushingTool::setBrushSize(37);
    brush.reset();
    ASSERT_FALSE(theBrushSizeBox.isNull());
    EXPECT_EQ(BrushingTool::brushSize(), 37);
    theBrushSizeSlider->setValue(50);  // still works without the brush that built the panel
    EXPECT_EQ(BrushingTool::brushSize(), 100);
    second.reset();
    EXPECT_TRUE(theBrushSizeBox.isNull());
    EXPECT_EQ(QSettings().value("ToolOptions/Common/Size").toInt(), 100);

    Brush third;
    EXPECT_EQ(BrushingTool::brushSize(), 100) << "read back at the next start";
}

TEST_F(BrushFixture, ExitWithTheBrushCurrentHandsOverToTheNoTool) {
    ModelPort::instance()->setPictures(QImage(8, 8, QImage::Format_ARGB32), QImage());
    brush->installSlot();
    ASSERT_EQ(theCurrentTool, brush.get());
    brush.reset();
    EXPECT_EQ(theCurrentTool, noTool.get());
    noTool.reset();
    EXPECT_EQ(theCurrentTool, nullptr);
    ModelPort::instance()->setPictures(QImage(), QImage());
}

} // namespace
