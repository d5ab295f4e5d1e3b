#include "tests/workspace/WorkspaceFixture.h"

#include "common/PersistOptions.h"
#include "workspace/BrushingTool.h"
#include "workspace/GmTool.h"
#include "workspace/GmZoomWidget.h"
#include "workspace/ImageView.h"
#include "workspace/ModelPort.h"
#include "workspace/ToolOptions.h"
#include "workspace/TqWorkspace.h"

#include <QLabel>
#include <QMimeData>
#include <QSettings>
#include <QTabletEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using zqtest::ViewWindow;
using zqtest::waitFor;

QImage solid(QSize size, QColor colour) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

// A 40 x 30 blue photograph whose cut-out keeps only its left half (green), so each layer shows
// on its own pixels.
struct LayeredCanvas {
    LayeredCanvas() : window(solid({40, 30}, Qt::blue)) {
        QImage output(40, 30, QImage::Format_ARGB32_Premultiplied);
        output.fill(Qt::transparent);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 20; ++x)
                output.setPixelColor(x, y, Qt::green);
        ModelPort::instance()->setOutput(output);
        canvas = window.view()->workspace()->canvas();
        canvas->setBackgroundColour(Qt::red);
    }
    // Canvas pixel at the centre of an image pixel.
    QColor at(const QImage& shot, QPointF imagePoint) const {
        const QPointF p = imagePoint * canvas->zoom() + QPointF(canvas->displayRect().topLeft());
        return shot.pixelColor(p.toPoint());
    }
    QImage shot() const { return canvas->grab().toImage(); }

    ViewWindow window;
    GmZoomWidget* canvas;
};

// A real move event; QTest's moves go through the platform cursor, which offscreen may drop.
void moveMouse(QWidget* widget, QPoint pos, Qt::MouseButtons held = Qt::NoButton) {
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, held,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

bool near(QColor actual, QColor expected, int tolerance = 3) {
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

TEST(GmZoomWidget, PaintsThePhotoThroughTheTranslucencyUnderTheCutOut) {
    LayeredCanvas fixture;
    struct Step {
        const char* name;
        void (GmZoomWidget::*slot)();
        QColor behindCutOut;  // where the cut-out is transparent
    };
    // Blue over red at opacity 1/3, 2/3, then back to none; Show Original while held.
    const Step steps[] = {
        {"no translucency", nullptr, QColor(255, 0, 0)},
        {"one third", &GmZoomWidget::hintOpacityChangedSlot, QColor(170, 0, 85)},
        {"two thirds", &GmZoomWidget::hintOpacityChangedSlot, QColor(85, 0, 170)},
        {"back to none", &GmZoomWidget::hintOpacityChangedSlot, QColor(255, 0, 0)},
        {"original held", &GmZoomWidget::showOriginalSlot, QColor(0, 0, 255)},
        {"original released", &GmZoomWidget::showOriginalSlot, QColor(255, 0, 0)},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.slot)
            (fixture.canvas->*step.slot)();
        const QImage shot = fixture.shot();
        EXPECT_TRUE(near(fixture.at(shot, {30.5, 15.5}), step.behindCutOut, 4))
            << fixture.at(shot, {30.5, 15.5}).name().toStdString();
        EXPECT_TRUE(near(fixture.at(shot, {10.5, 15.5}), Qt::green)) << "the cut-out on top";
        EXPECT_TRUE(near(shot.pixelColor(2, 2), Qt::red)) << "the margin shows the background";
    }
}

TEST(GmZoomWidget, SignalsOfTheDocumentReachTheCanvas) {
    LayeredCanvas fixture;
    emit ModelPort::instance()->hintOpacityChanged();
    EXPECT_FLOAT_EQ(fixture.canvas->hintOpacity(), 0.33333334f);
    emit ModelPort::instance()->showOriginal();
    EXPECT_TRUE(fixture.canvas->showingOriginal());
}

TEST(GmZoomWidget, BackgroundColourIsChosenAndKept) {
    int asked = 0;
    QColor answer;
    GmZoomWidget::setColourChooser([&](const QColor& current) {
        ++asked;
        EXPECT_EQ(current, QColor(Qt::red));
        return answer;
    });
    {
        LayeredCanvas fixture;
        answer = QColor();  // cancelled
        emit ModelPort::instance()->changeBackgroundColour();
        EXPECT_EQ(fixture.canvas->backgroundColour(), QColor(Qt::red));
        answer = QColor(10, 200, 30);
        fixture.canvas->changeBackgroundColourSlot();
        EXPECT_EQ(fixture.canvas->backgroundColour(), answer);
        EXPECT_TRUE(near(fixture.shot().pixelColor(2, 2), answer));
    }
    GmZoomWidget::setColourChooser(nullptr);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(QSettings().value("GmZoomWidget/backgroundColour_").toUInt(), QColor(10, 200, 30).rgb());
    GmZoomWidget again;
    EXPECT_EQ(again.backgroundColour(), QColor(10, 200, 30));
}

TEST(GmZoomWidget, UnreadableStoredBackgroundGivesWhite) {
    for (const char* stored : {"purple", "", "-"}) {
        SCOPED_TRACE(stored);
        QSettings().setValue("GmZoomWidget/backgroundColour_", QString::fromUtf8(stored));
        GmZoomWidget canvas;
        EXPECT_EQ(canvas.backgroundColour(), QColor(Qt::white));
    }
    QSettings().remove("GmZoomWidget/backgroundColour_");
}

TEST(GmZoomWidget, StartsWithoutAToolAndShowsTheArrow) {
    ASSERT_EQ(theCurrentTool, nullptr);
    ViewWindow window(solid({40, 30}, Qt::blue));
    GmZoomWidget* canvas = window.view()->workspace()->canvas();
    EXPECT_EQ(canvas->viewMode(), 1);
    EXPECT_EQ(canvas->cursor().shape(), Qt::ArrowCursor);
    // No tool: moves and presses beep or drop, and nothing paints a brush.
    int beeps = 0;
    GmZoomWidget::setBeeper([&] { ++beeps; });
    moveMouse(canvas, QPoint(50, 50));
    QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    GmZoomWidget::setBeeper(nullptr);
    EXPECT_EQ(beeps, 1);
    EXPECT_FALSE(canvas->brushCursorRect().isValid());
    canvas->grab();
}

// Records the image points it is given.
class PointTool : public GmTool {
public:
    explicit PointTool(int tabs = 2)
        : GmTool("Point", "Point", QIcon(), QString(), QString(), nullptr, nullptr, nullptr, nullptr),
          tabs_(tabs) {}
    int viewTabs() const override { return tabs_; }
    void mousePressEvent(QMouseEvent*, const QPointF& p) override { presses.append(p); }
    void mouseMoveEvent(QMouseEvent*, const QPointF& p) override { moves.append(p); }
    QList<QPointF> presses;
    QList<QPointF> moves;

private:
    int tabs_;
};

TEST(GmZoomWidget, MouseReachesAToolThatCanTakeItAsImagePoints) {
    ViewWindow window(solid({40, 30}, Qt::blue));
    window.view()->addViewTab(new QLabel, "2. Compose Picture", QString(), QString(),
                              ImageView::CompositionTab);
    ToolOptions options;
    NoTool noTool(&options);
    GmZoomWidget* canvas = window.view()->workspace()->canvas();
    int beeps = 0;
    GmZoomWidget::setBeeper([&] { ++beeps; });

    struct Case {
        const char* name;
        int tabs;
        bool withImage;
        bool reaches;
    };
    const Case cases[] = {{"usable, in its tab", 2, true, true},
                          {"usable, other tab only", 8, true, false},
                          {"no image", 2, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModelPort::instance()->setPictures(c.withImage ? solid({40, 30}, Qt::blue) : QImage(), QImage());
        canvas->setZoom(4.0);
        PointTool tool(c.tabs);
        tool.selectToolSlot();
        beeps = 0;
        const QPoint pos = canvas->displayRect().topLeft() + QPoint(40, 20);
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, pos);
        moveMouse(canvas, pos + QPoint(4, 4), Qt::LeftButton);
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, pos + QPoint(4, 4));
        if (c.reaches) {
            ASSERT_EQ(tool.presses.size(), 1);
            EXPECT_EQ(tool.presses.at(0), QPointF(10, 5));
            EXPECT_FALSE(tool.moves.isEmpty());
            EXPECT_EQ(beeps, 0);
        } else {
            EXPECT_TRUE(tool.presses.isEmpty());
            EXPECT_TRUE(tool.moves.isEmpty());
            EXPECT_EQ(beeps, 1) << "only the press beeps";
        }
        noTool.selectToolSlot();
    }
    GmZoomWidget::setBeeper(nullptr);
}

QTabletEvent penEvent(double pressure, QTabletEvent::PointerType type = QTabletEvent::Pen) {
    // A move with the pen down: moves without a button reach only tablet-tracking widgets.
    return QTabletEvent(QEvent::TabletMove, QPointF(20, 20), QPointF(20, 20), QTabletEvent::Stylus,
                        type, pressure, 0, 0, 0, 0, 0, Qt::NoModifier, 1, Qt::NoButton,
                        Qt::LeftButton);
}

using Brush = zqtest::TestBrush;

// A shown canvas on `picture` with the NoTool and a brush, the brush current.
struct BrushCanvas {
    explicit BrushCanvas(const QImage& picture) : window(picture) {
        canvas = window.view()->workspace()->canvas();
        brush.installSlot();
    }
    ViewWindow window;
    GmZoomWidget* canvas;
    ToolOptions options;
    NoTool noTool{&options};
    Brush brush;
};

TEST(GmZoomWidget, PenPressureIsRecordedForBrushesWithinZeroToOne) {
    BrushCanvas fixture(solid({40, 30}, Qt::blue));
    GmZoomWidget* canvas = fixture.canvas;

    struct Case {
        double pressure;
        QTabletEvent::PointerType type;
        bool clearFirst;
        double recorded;
        bool active;
    };
    const Case cases[] = {
        {0.5, QTabletEvent::Pen, true, 0.5, true},
        {0.0, QTabletEvent::Pen, true, 0.0, false},
        {1.7, QTabletEvent::Pen, true, 1.0, true},
        {-0.3, QTabletEvent::Pen, true, 0.0, false},
        // A stroke that starts at exactly the last pressure still follows the pen.
        {0.6, QTabletEvent::Pen, false, 0.6, true},
        {0.6, QTabletEvent::Pen, true, 0.6, true},
        {0.9, QTabletEvent::Eraser, true, 0.6, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pressure);
        if (c.clearFirst)
            thePenPressureActive = false;
        QTabletEvent event = penEvent(c.pressure, c.type);
        event.accept();
        QCoreApplication::sendEvent(canvas, &event);
        EXPECT_DOUBLE_EQ(thePenPressure, c.recorded);
        EXPECT_EQ(thePenPressureActive, c.active);
        EXPECT_FALSE(event.isAccepted()) << "the mouse events that follow do the painting";
    }
    thePenPressureActive = false;
}

TEST(GmZoomWidget, PenPressureIsIgnoredWhenSwitchedOffOrWithoutABrush) {
    QSettings().setValue("Preferences/UseTabletPressure", false);
    auto options = std::make_unique<PersistOptions>();
    ASSERT_FALSE(theOptions->useTabletPressure());
    BrushCanvas fixture(solid({40, 30}, Qt::blue));
    GmZoomWidget* canvas = fixture.canvas;
    thePenPressure = 0.25;
    QTabletEvent event = penEvent(0.75);
    QCoreApplication::sendEvent(canvas, &event);
    EXPECT_DOUBLE_EQ(thePenPressure, 0.25);
    options.reset();
    QSettings().remove("Preferences/UseTabletPressure");

    fixture.noTool.installSlot();
    QTabletEvent again = penEvent(0.75);
    QCoreApplication::sendEvent(canvas, &again);
    EXPECT_DOUBLE_EQ(thePenPressure, 0.25) << "the NoTool is no brush";
    EXPECT_FALSE(thePenPressureActive);
}

TEST(GmZoomWidget, DragsOfUrlsImagesOrTextAreTakenOthersRefused) {
    ViewWindow window(solid({40, 30}, Qt::blue));
    GmZoomWidget* canvas = window.view()->workspace()->canvas();
    int handled = 0;
    GmZoomWidget::setDropHandler([&](QDropEvent* event) {
        ++handled;
        event->acceptProposedAction();
        return true;
    });
    struct Case {
        const char* name;
        std::function<void(QMimeData&)> fill;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"empty", [](QMimeData&) {}, false},
        {"unknown", [](QMimeData& m) { m.setData("application/x-unknown", "1234"); }, false},
        {"text", [](QMimeData& m) { m.setText("hello"); }, true},
        {"address", [](QMimeData& m) { m.setUrls({QUrl("file:///tmp/photo.png")}); }, true},
        {"image", [](QMimeData& m) { m.setImageData(solid({4, 4}, Qt::red)); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QMimeData data;
        c.fill(data);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QCoreApplication::sendEvent(canvas, &enter);
        EXPECT_EQ(enter.isAccepted(), c.accepted);
    }
    QMimeData text;
    text.setText("hello");
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &drop);
    EXPECT_EQ(handled, 1);
    GmZoomWidget::setDropHandler(nullptr);
    QDropEvent unhandled(QPointF(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &unhandled);
    EXPECT_FALSE(unhandled.isAccepted());
}

TEST(GmZoomWidget, BrushOutlineFollowsThePointerAndSurvivesASizeJumpAtZoomFour) {
    BrushCanvas fixture(solid({200, 150}, Qt::blue));
    // Working pixels of half the image's: 8 screen pixels each, so the footprint is drawn.
    ModelPort::instance()->setResolution(2);
    GmZoomWidget* canvas = fixture.canvas;
    ImageView* view = fixture.window.view();
    view->zoomToSlot(4.0);
    waitFor([&] { return canvas->zoom() == 4.0; });
    BrushingTool::setBrushSize(10);

    const QPoint pos = canvas->displayRect().topLeft() + QPoint(300, 200);
    moveMouse(canvas, pos);
    canvas->repaint();
    const QRect small = canvas->brushCursorRect();
    ASSERT_TRUE(small.isValid());
    EXPECT_TRUE(small.contains(pos));
    // 10 working px at 8 screen pixels each is 80 across, plus the rounding margins.
    EXPECT_GE(small.width(), 80);
    EXPECT_LE(small.width(), 100);

    // From 10 to 400 px in one step: the shared footprint must grow to the new brush at once.
    BrushingTool::setBrushSize(400);
    canvas->repaint();
    const QRect big = canvas->brushCursorRect();
    EXPECT_GE(big.width(), 3200);
    // Well inside the big brush, away from the crosshair, the footprint shades the canvas.
    const QPoint probe = pos + QPoint(240, 160);
    const QColor shaded = canvas->grab().toImage().pixelColor(probe);

    // Leaving the canvas takes the outline away.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(canvas, &leave);
    EXPECT_FALSE(canvas->brushCursorRect().isValid());
    const QColor plain = canvas->grab().toImage().pixelColor(probe);
    EXPECT_NE(shaded, plain) << "the footprint must cover the whole new brush";
    BrushingTool::setBrushSize(10);
    ModelPort::instance()->setResolution(1);
}

TEST(GmZoomWidget, BrushFootprintShadesWhatTheBrushWouldPaint) {
    BrushCanvas fixture(solid({100, 80}, Qt::white));
    GmZoomWidget* canvas = fixture.canvas;
    ImageView* view = fixture.window.view();
    canvas->setBackgroundColour(Qt::white);
    view->zoomToSlot(4.0);
    waitFor([&] { return canvas->zoom() == 4.0; });
    ModelPort::instance()->setResolution(2);  // 8 screen pixels per working pixel
    BrushingTool::setBrushSize(20);
    emit ModelPort::instance()->showOriginal();  // the white photo, opaque

    const QPoint pos = canvas->displayRect().topLeft() + QPoint(200, 160);
    moveMouse(canvas, pos);
    const QImage shot = canvas->grab().toImage();
    // Inside the brush (radius 10 working pixels, 80 screen pixels) and off the crosshair the
    // footprint tints the photo; outside it the photo is untouched.
    const QColor inside = shot.pixelColor(pos + QPoint(40, 40));
    const QColor outside = shot.pixelColor(pos + QPoint(100, 100));
    EXPECT_LT(inside.green(), 250) << inside.name().toStdString();
    EXPECT_TRUE(near(outside, Qt::white)) << outside.name().toStdString();
    emit ModelPort::instance()->showOriginal();
    ModelPort::instance()->setResolution(1);
}

} // namespace
