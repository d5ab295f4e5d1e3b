#include "tests/workspace/WorkspaceFixture.h"

#include "tests/masking/FakeShapeHost.h"

#include "masking/Brushing.h"
#include "masking/GmBrushing.h"
#include "masking/BrushSizeValue.h"
#include "workspace/BrushingTool.h"
#include "workspace/ModelPort.h"
#include "workspace/ToolOptions.h"

#include <QMouseEvent>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Brush = zqtest::TestBrush;

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

TEST(BrushingTool, WithoutABrushTheSizeIsTheDocumentsOwn) {
    // Before any brush exists the size is the document's value (10 at start, then set for each
    // image); a change goes there and asks the canvas to rebuild its cursor.
    ASSERT_TRUE(theBrushSizeSlider.isNull());
    BrushSizeValue::instance()->setBrushSize(BrushSizeValue::initial);
    EXPECT_EQ(BrushingTool::brushSize(), 10);
    QList<const QCursor*> cursors;
    QObject::connect(ToolEvents::instance(), &ToolEvents::cursorChanged, ToolEvents::instance(),
                     [&](const QCursor* c) { cursors.append(c); });
    BrushingTool::setBrushSize(50);
    EXPECT_EQ(BrushingTool::brushSize(), 50);
    EXPECT_EQ(cursors, QList<const QCursor*>{nullptr});
    QObject::disconnect(ToolEvents::instance(), &ToolEvents::cursorChanged, ToolEvents::instance(), nullptr);
}

TEST(BrushingTool, ABoxFollowsTheSizeTheDocumentSetsForANewImage) {
    QSettings().remove("ToolOptions/Common/Size");
    ToolOptions options;
    NoTool noTool(&options);
    {
        Brush brush;
        // What the document does when it opens an image.
        BrushSizeValue::instance()->setBrushSize(48);
        EXPECT_EQ(BrushSizeValue::instance()->brushSize(), 48);
        EXPECT_EQ(theBrushSizeSlider->value(), 34);
    }
    EXPECT_EQ(QSettings().value("ToolOptions/Common/Size").toInt(), 48);
}

TEST_F(BrushFixture, AMissingStoredSizeStartsAtOnePixel) {
    EXPECT_EQ(BrushingTool::brushSize(), 1);
    EXPECT_EQ(BrushSizeValue::settingsKey, QStringLiteral("ToolOptions/Common/Size"));
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
    QSignalSpy moved(ToolEvents::instance(), &ToolEvents::brushSizeSliderMoved);
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
    ASSERT_FALSE(theBrushSizeSlider.isNull());
    EXPECT_EQ(BrushingTool::brushSize(), 37);
    theBrushSizeSlider->setValue(50);  // still works without the brush that built the panel
    EXPECT_EQ(BrushingTool::brushSize(), 100);
    second.reset();
    EXPECT_TRUE(theBrushSizeSlider.isNull());
    EXPECT_EQ(QSettings().value("ToolOptions/Common/Size").toInt(), 100);

    Brush third;
    EXPECT_EQ(BrushingTool::brushSize(), 100) << "read back at the next start";
}

TEST(BrushSizeValue, KeepsOneToFourHundredAndAnnouncesEveryChangeOnce) {
    BrushSizeValue* value = BrushSizeValue::instance();
    value->setBrushSize(BrushSizeValue::initial);
    QSignalSpy changes(value, &BrushSizeValue::brushSizeChanged);
    struct Case {
        int asked;
        int kept;
        bool announced;
    };
    const Case cases[] = {{37, 37, true},  {37, 37, false},  {0, 1, true},    {-5, 1, false},
                          {401, 400, true}, {400, 400, false}, {399, 399, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        changes.clear();
        value->setBrushSize(c.asked);
        EXPECT_EQ(value->brushSize(), c.kept);
        ASSERT_EQ(changes.count(), c.announced ? 1 : 0);
        if (c.announced) {
            EXPECT_EQ(changes.at(0).at(0).toInt(), c.kept);
        }
    }
    value->setBrushSize(BrushSizeValue::initial);
}

TEST(BrushSizeValue, EveryChangeIsStoredAndTheStoredSizeReadsBack) {
    BrushSizeValue* value = BrushSizeValue::instance();
    value->setBrushSize(123);
    EXPECT_EQ(QSettings().value(BrushSizeValue::settingsKey).userType(), int(QMetaType::Int));
    EXPECT_EQ(QSettings().value(BrushSizeValue::settingsKey).toInt(), 123);

    struct Stored {
        QVariant stored;  // null: nothing stored
        int size;
    };
    const Stored cases[] = {{QVariant(77), 77}, {QVariant(QStringLiteral("64")), 64},
                            {QVariant(QStringLiteral("junk")), 1}, {QVariant(), 1},
                            {QVariant(1000), 400}};
    for (const Stored& c : cases) {
        SCOPED_TRACE(c.stored.toString().toStdString());
        value->setBrushSize(BrushSizeValue::initial);
        if (c.stored.isNull())
            QSettings().remove(BrushSizeValue::settingsKey);
        else
            QSettings().setValue(BrushSizeValue::settingsKey, c.stored);
        value->loadStoredSize();
        EXPECT_EQ(value->brushSize(), c.size);
    }
    value->setBrushSize(BrushSizeValue::initial);
}

TEST_F(BrushFixture, TheSliderShowsTheSizeAndSetsItWithoutMovingItself) {
    BrushSizeValue* value = BrushSizeValue::instance();
    QSignalSpy changes(value, &BrushSizeValue::brushSizeChanged);
    QSignalSpy positions(theBrushSizeSlider.data(), &QSlider::valueChanged);
    value->setBrushSize(100);
    EXPECT_EQ(theBrushSizeSlider->value(), 49);
    EXPECT_TRUE(positions.isEmpty()) << "showing the size sets nothing back";

    changes.clear();
    theBrushSizeSlider->setValue(50);
    EXPECT_EQ(value->brushSize(), 100);
    EXPECT_EQ(theBrushSizeSlider->value(), 50) << "the slider stays where it was put";
    EXPECT_TRUE(changes.isEmpty()) << "size 100 already";
    theBrushSizeSlider->setValue(51);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(value->brushSize(), 104);
    EXPECT_EQ(theBrushSizeSlider->value(), 51);
    EXPECT_EQ(QSettings().value(BrushSizeValue::settingsKey).toInt(), 104);
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

namespace {

// A brush whose strokes go into real stroke holders; a finished stroke's bounds are recorded.
class StrokeBrush : public BrushingTool {
public:
    StrokeBrush() : BrushingTool("Erase", "Erase", QIcon(), QString(), QString(), nullptr, nullptr,
                                 nullptr, nullptr) {
        setOptionsWidget(brushOptionsPanel(), false);
    }
    void beginStroke(const QPointF&) override {
        if (stroke)
            stroke->brushing().clear();
        else
            stroke = new GmBrushing(Qt::red);
    }
    void endStroke() override {
        finished.append(stroke->brushing().bounds());
        delete stroke;
        stroke = nullptr;
    }
    QList<QRectF> finished;
};

QMouseEvent mouseAt(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    return QMouseEvent(type, QPointF(), QPointF(), button, held, modifiers);
}

class StrokeFixture : public ::testing::Test {
protected:
    StrokeFixture() : host(1, QSize(200, 150)) {
        QSettings().remove("ToolOptions/Common/Size");
        options = std::make_unique<ToolOptions>();
        noTool = std::make_unique<NoTool>(options.get());
        brush = std::make_unique<StrokeBrush>();
        BrushingTool::setBrushSize(5);
        host.setBrushSize(5);
    }
    void press(QPointF p, Qt::MouseButton button = Qt::LeftButton) {
        auto e = mouseAt(QEvent::MouseButtonPress, button, button);
        brush->mousePressEvent(&e, p);
    }
    void move(QPointF p, Qt::MouseButtons held = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        auto e = mouseAt(QEvent::MouseMove, Qt::NoButton, held, mods);
        brush->mouseMoveEvent(&e, p);
    }
    void release(QPointF p, Qt::MouseButton button = Qt::LeftButton) {
        auto e = mouseAt(QEvent::MouseButtonRelease, button, Qt::NoButton);
        brush->mouseReleaseEvent(&e, p);
    }

    FakeShapeHost host;
    std::unique_ptr<ToolOptions> options;
    std::unique_ptr<NoTool> noTool;
    std::unique_ptr<StrokeBrush> brush;
};

TEST_F(StrokeFixture, PressDragReleasePaintsOneStrokeAndClearsThePressure) {
    thePenPressureActive = true;
    thePenPressure = 1.0;
    press({20, 20});
    move({60, 20});
    release({60, 40});
    ASSERT_EQ(brush->finished.size(), 1);
    const QRectF painted = brush->finished.at(0);
    EXPECT_LE(painted.left(), 18);
    EXPECT_GE(painted.right(), 62);
    EXPECT_GE(painted.bottom(), 42) << "the release paints its own segment";
    EXPECT_EQ(brush->stroke, nullptr);
    EXPECT_FALSE(thePenPressureActive);
}

TEST_F(StrokeFixture, AClickPaintsOneDot) {
    press({50, 50});
    release({50, 50});
    ASSERT_EQ(brush->finished.size(), 1);
    EXPECT_GT(brush->finished.at(0).width(), 0);
    EXPECT_TRUE(brush->finished.at(0).contains(QPointF(50, 50)));
}

TEST_F(StrokeFixture, ShiftDragPaintsOnlyTheDotUntilTheReleaseDrawsTheLine) {
    press({20, 20});
    const QRectF dot = brush->stroke->brushing().bounds();
    move({80, 80}, Qt::LeftButton, Qt::ShiftModifier);
    move({100, 60}, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(brush->stroke->brushing().bounds(), dot) << "nothing painted while Shift drags";
    release({100, 60});
    ASSERT_EQ(brush->finished.size(), 1);
    const QRectF line = brush->finished.at(0);
    EXPECT_LE(line.left(), 18);
    EXPECT_GE(line.right(), 102);
    EXPECT_LE(line.bottom(), 63) << "one segment straight to the release, not via (80, 80)";
}

TEST_F(StrokeFixture, OtherButtonsNeitherStartNorEndAStroke) {
    press({20, 20}, Qt::RightButton);
    EXPECT_EQ(brush->stroke, nullptr);
    press({20, 20});
    release({30, 30}, Qt::RightButton);
    EXPECT_NE(brush->stroke, nullptr) << "a release of another button leaves the stroke running";
    EXPECT_TRUE(brush->finished.isEmpty());
    move({40, 40}, Qt::RightButton);
    release({40, 40});
    EXPECT_EQ(brush->finished.size(), 1);
}

TEST_F(StrokeFixture, EscapeWipesTheRunningStrokeAndASecondEscapeLeavesTheTool) {
    ModelPort::instance()->setPictures(QImage(200, 150, QImage::Format_ARGB32), QImage());
    brush->installSlot();
    press({20, 20});
    move({60, 60});
    brush->endInteraction();
    ASSERT_EQ(brush->finished.size(), 1);
    EXPECT_TRUE(brush->finished.at(0).width() <= 0 || brush->finished.at(0).height() <= 0)
        << "a wiped stroke is empty, so nothing is submitted";
    EXPECT_EQ(theCurrentTool, brush.get());
    brush->endInteraction();
    EXPECT_EQ(theCurrentTool, noTool.get());
    ModelPort::instance()->setPictures(QImage(), QImage());
}

TEST_F(StrokeFixture, ChangingToolDropsAnUnfinishedStroke) {
    ModelPort::instance()->setPictures(QImage(200, 150, QImage::Format_ARGB32), QImage());
    brush->installSlot();
    press({20, 20});
    ASSERT_EQ(host.strokes.size(), 1);
    noTool->installSlot();
    EXPECT_EQ(brush->stroke, nullptr);
    EXPECT_TRUE(host.strokes.isEmpty());
    EXPECT_TRUE(brush->finished.isEmpty());
    ModelPort::instance()->setPictures(QImage(), QImage());
}

} // namespace
