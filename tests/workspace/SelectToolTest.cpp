// The keep, delete and blend brushes on the real canvas, against the real masking model and
// engine: strokes painted with mouse events become brushing commands, and the cut-out follows.
// The fixture uses the segmentation holder without including it.
#include "masking/SegmentationStuff.h"
#include "tests/masking/MaskingEngineFixture.h"
#include "tests/masking/SavedTargets.h"
#include "tests/workspace/WorkspaceFixture.h"

#include "masking/AutoCut.h"
#include "masking/JxCmdSelect.h"
#include "workspace/ComplexExactTool.h"
#include "workspace/DeleteExactTool.h"
#include "workspace/DeleteLocalTool.h"
#include "workspace/EdgeBlendingTool.h"
#include "workspace/EdgeFindingTool.h"
#include "workspace/EraseExactTool.h"
#include "workspace/GmZoomWidget.h"
#include "workspace/ImageView.h"
#include "workspace/ModelPort.h"
#include "workspace/ToolOptions.h"
#include "workspace/TqWorkspace.h"

#include <QSettings>
#include <QStackedWidget>
#include <QTest>

#include <memory>
#include <vector>

namespace {

const QString casePath = QStringLiteral(ZQ_BENCH_DATA_DIR "/coffee-on-brick/");

struct Submitted {
    int change;
    int newStatus;
};

class Brushes : public MaskingEngineFixture {
protected:
    void SetUp() override {
        QSettings().clear();
        MaskingEngineFixture::SetUp();
        ModelPort::instance()->attach(model);
        QObject::connect(thread, &OstrivalThread::commandFinished, [this](OstrivalCommand* c) {
            if (auto* select = qobject_cast<JxCmdSelect*>(c))
                if (select->name() == QStringLiteral("Brushing..."))
                    submitted.push_back({select->change(), select->newStatus()});
        });
        area = std::make_unique<ToolOptions>();
        noTool = std::make_unique<NoTool>(area.get());
    }
    void TearDown() override {
        tools.clear();
        finder.reset();
        window.reset();
        noTool.reset();
        area.reset();
        MaskingEngineFixture::TearDown();
        QSettings().clear();
    }
    /// The window with the canvas, then the tools (in the main window's order), then the photo.
    void openWithCanvas(const QImage& picture) {
        window = std::make_unique<zqtest::ViewWindow>(QImage());
        finder = std::make_unique<EdgeFindingTool>(nullptr, nullptr, nullptr, area.get());
        erase = new DeleteExactTool(nullptr, nullptr, nullptr, area.get());
        touchUp = new ComplexExactTool(nullptr, nullptr, nullptr, area.get());
        restore = new EraseExactTool(nullptr, nullptr, nullptr, area.get());
        flood = new DeleteLocalTool(nullptr, nullptr, nullptr, area.get());
        for (SelectTool* tool : {static_cast<SelectTool*>(erase), static_cast<SelectTool*>(touchUp),
                                 static_cast<SelectTool*>(restore), static_cast<SelectTool*>(flood)})
            tools.emplace_back(tool);
        open(picture);
        ASSERT_TRUE(zqtest::waitFor([this] { return canvas()->displayRect().isValid(); }));
    }
    GmZoomWidget* canvas() const { return window->view()->workspace()->canvas(); }
    QPoint widgetPoint(const QPointF& image) const {
        return canvas()->displayRect().topLeft() + (image * canvas()->zoom()).toPoint();
    }
    /// A straight stroke from `a` to `b` (image points) with a press, moves and a release.
    void paint(SelectTool* tool, const QPointF& a, const QPointF& b, bool wipe = false) {
        ASSERT_TRUE(tool->installSlot());
        QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, widgetPoint(a));
        for (int i = 1; i <= 8; ++i)
            QTest::mouseMove(canvas(), widgetPoint(a + (b - a) * (i / 8.0)));
        if (wipe)
            tool->endInteraction();
        QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, widgetPoint(b));
    }
    int statusCount(int status) const {
        const QImage& statuses = model->statusArray()->statusImage();
        int count = 0;
        for (int y = 0; y < statuses.height(); ++y)
            for (int x = 0; x < statuses.width(); ++x)
                count += (statuses.pixelIndex(x, y) & JxStatusClassMask) == status;
        return count;
    }

    std::unique_ptr<ToolOptions> area;
    std::unique_ptr<NoTool> noTool;
    std::unique_ptr<zqtest::ViewWindow> window;
    std::unique_ptr<EdgeFindingTool> finder;
    std::vector<std::unique_ptr<SelectTool>> tools;
    SelectTool* erase = nullptr;
    SelectTool* touchUp = nullptr;
    SelectTool* restore = nullptr;
    SelectTool* flood = nullptr;
    std::vector<Submitted> submitted;
};

QImage smallPicture() {
    QImage image(120, 90, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(40, 120, 60));
    for (int y = 30; y < 60; ++y)
        for (int x = 40; x < 80; ++x)
            image.setPixel(x, y, qRgb(230, 230, 240));
    return image;
}

TEST_F(Brushes, EachBrushHasItsTextsColoursAndStatus) {
    openWithCanvas(smallPicture());
    struct Case {
        SelectTool* tool;
        const char* name;
        const char* text;
        int status;
        int flood;
        QColor colour;
        const char* tip;
    };
    const Case cases[] = {
        {erase, "Erase", "Erase", 4, 0, Qt::red,
         "<b>Erase</b>&mdash;Manually paint away unwanted parts of the image (E)"},
        {flood, "Flood Erase", "Flood Erase", 4, 1, Qt::red,
         "<b>Flood Erase</b>&mdash;Paint away unwanted areas outlined in blue (F)"},
        {touchUp, "Blend", "Touch-Up", 8, 0, Qt::blue,
         "<b>Touch-Up</b>&mdash;Paint parts of the image to automatically choose what to erase "
         "or restore (T)"},
        {restore, "Restore", "Restore", 2, 0, Qt::gray,
         "<b>Restore</b>&mdash;Manually paint back parts of the image previously painted away "
         "(R)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.tool->name(), QLatin1String(c.name));
        EXPECT_EQ(c.tool->action()->text(), QLatin1String(c.text));
        EXPECT_EQ(c.tool->targetStatus(), c.status);
        EXPECT_EQ(c.tool->isFlood(), c.flood);
        EXPECT_EQ(c.tool->needsAnalysis(), c.flood != 0);
        EXPECT_EQ(c.tool->cursorColour(), c.colour);
        EXPECT_EQ(c.tool->strokeColour(), c.colour);
        EXPECT_EQ(c.tool->action()->toolTip(), QLatin1String(c.tip));
        EXPECT_EQ(c.tool->optionsWidget(), c.tool->brushOptionsPanel());
        EXPECT_TRUE(c.tool->action()->isEnabled());
    }
}

TEST_F(Brushes, FloodEraseWaitsForTheEdgeAnalysisAndTheOthersForAnImage) {
    window = std::make_unique<zqtest::ViewWindow>(QImage());
    erase = new DeleteExactTool(nullptr, nullptr, nullptr, area.get());
    flood = new DeleteLocalTool(nullptr, nullptr, nullptr, area.get());
    tools.emplace_back(erase);
    tools.emplace_back(flood);
    EXPECT_FALSE(erase->action()->isEnabled());
    EXPECT_FALSE(flood->action()->isEnabled());
    open(smallPicture());
    EXPECT_TRUE(erase->action()->isEnabled());
    EXPECT_FALSE(flood->action()->isEnabled()) << "no edge finding without its options";
    model->imageSmeg()->analyse();
    EXPECT_TRUE(flood->action()->isEnabled()) << "an analysis is running";
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(flood->action()->isEnabled());
}

TEST_F(Brushes, EveryFinishedStrokeIsOneCommandWithMask15AndAWipedOneNone) {
    openWithCanvas(smallPicture());
    // No automatic blend band, so that every stroke leaves exactly its own status.
    model->imageBlendage()->options.autoBlueWidthF_ = 0.0f;
    BrushingTool::setBrushSize(5);
    paint(erase, {10, 10}, {30, 12});
    paint(touchUp, {10, 70}, {30, 72});
    paint(restore, {50, 40}, {60, 45});
    ASSERT_TRUE(waitIdle());
    const QImage& statuses = model->statusArray()->statusImage();
    EXPECT_EQ(statuses.pixelIndex(20, 11) & JxStatusClassMask, 4);
    EXPECT_EQ(statuses.pixelIndex(20, 71) & JxStatusClassMask, 8);
    EXPECT_EQ(statuses.pixelIndex(55, 42) & JxStatusClassMask, 2);
    EXPECT_EQ(statuses.pixelIndex(10, 40) & JxStatusClassMask, 2) << "untouched";

    // Escape wipes the stroke: nothing is submitted, no stroke is left on the canvas.
    paint(erase, {10, 40}, {30, 40}, true);
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(model->brushings().isEmpty());
    EXPECT_EQ(statuses.pixelIndex(20, 40) & JxStatusClassMask, 2);

    // Flood Erase takes the whole analysed background it touches, far from the stroke too.
    paint(flood, {100, 10}, {104, 10});
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(statuses.pixelIndex(10, 40) & JxStatusClassMask, 4);
    EXPECT_EQ(statuses.pixelIndex(60, 45) & JxStatusClassMask, 2) << "the other area stays";

    ASSERT_EQ(submitted.size(), 4u);
    const int newStatuses[] = {4, 8, 2, 4};
    for (size_t i = 0; i < submitted.size(); ++i) {
        EXPECT_EQ(submitted[i].change, 15);
        EXPECT_EQ(submitted[i].newStatus, newStatuses[i]);
    }
}

TEST_F(Brushes, TheOptionToolsShowTheirPanelsAndLeaveTheCanvasInert) {
    openWithCanvas(smallPicture());
    EdgeBlendingTool blending(nullptr, nullptr, nullptr, area.get());
    int beeps = 0;
    GmZoomWidget::setBeeper([&] { ++beeps; });
    for (GmTool* tool : {static_cast<GmTool*>(&blending), static_cast<GmTool*>(finder.get())}) {
        SCOPED_TRACE(tool->name().toStdString());
        ASSERT_TRUE(tool->installSlot());
        EXPECT_EQ(area->stack()->currentWidget(), tool->optionsWidget());
        EXPECT_EQ(canvas()->cursor().shape(), Qt::ArrowCursor);
        QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, widgetPoint({20, 20}));
        QTest::mouseMove(canvas(), widgetPoint({40, 20}));
        QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, widgetPoint({40, 20}));
        EXPECT_TRUE(model->brushings().isEmpty());
    }
    GmZoomWidget::setBeeper(nullptr);
    EXPECT_EQ(beeps, 0);
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(submitted.empty());
    noTool->installSlot();
}

TEST_F(Brushes, AStrokeStartedOutsideTheActiveRegionSuspendsItUntilSubmitted) {
    openWithCanvas(smallPicture());
    model->imageBlendage()->options.autoBlueWidthF_ = 0.0f;
    BrushingTool::setBrushSize(5);
    auto* region = new savetest::SavedRectRegion(QRectF(40, 30, 40, 30));
    model->regions().append(region);
    model->setActiveRegion(region, 0);
    ASSERT_TRUE(erase->installSlot());
    EXPECT_EQ(erase->regionOutlineStyle(region), 4);

    QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, widgetPoint({10, 10}));
    EXPECT_EQ(model->activeRegion(), nullptr);
    EXPECT_EQ(erase->suspendedRegion, region);
    EXPECT_EQ(erase->regionOutlineStyle(region), 3);
    QTest::mouseMove(canvas(), widgetPoint({20, 10}));
    QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, widgetPoint({20, 10}));
    EXPECT_EQ(model->activeRegion(), region);
    EXPECT_EQ(erase->suspendedRegion, nullptr);
    ASSERT_TRUE(waitIdle());
    // Built while no region was active, the stroke worked on the whole image.
    ASSERT_EQ(submitted.size(), 1u);
    EXPECT_EQ(model->statusArray()->statusImage().pixelIndex(15, 10) & JxStatusClassMask, 4);

    model->setActiveRegion(nullptr, 0);
    model->regions().removeAll(region);
    delete region;
}

// Whether every trimap pixel within `radius` of (x, y) has `value`.
bool sureAround(const QImage& trimap, int x, int y, int radius, int value) {
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (!trimap.valid(x + dx, y + dy) || qGray(trimap.pixel(x + dx, y + dy)) != value)
                return false;
    return true;
}

// Up to `count` horizontal strokes of 20 pixels, from left points where the trimap is `value`
// all around the stroke.
std::vector<QPoint> strokeStarts(const QImage& trimap, int value, int count) {
    std::vector<QPoint> starts;
    for (int y = 30; y < trimap.height() && int(starts.size()) < count; y += 60)
        for (int x = 30; x < trimap.width() && int(starts.size()) < count; x += 90)
            if (sureAround(trimap, x + 10, y, 20, value))
                starts.emplace_back(x, y);
    return starts;
}

TEST_F(Brushes, TheCutOutFollowsFloodRestoreAndEraseStrokesPaintedOnTheCanvas) {
    const QImage trimap =
        QImage(casePath + "trimap.png").convertToFormat(QImage::Format_Grayscale8);
    ASSERT_FALSE(trimap.isNull());
    QImage photo(casePath + "image.png");
    openWithCanvas(photo.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    ASSERT_EQ(model->resolution(), 1);
    ASSERT_TRUE(model->imageSmeg()->isAnalysisReady()) << "the session found its edges at once";
    // The marks alone decide: everything else unassigned, for the generation to fill.
    run(new JxCmdSelect(model, nullptr, JxStatusAllClasses, JxStatusUnassigned));
    BrushingTool::setBrushSize(9);

    const auto keeps = strokeStarts(trimap, 255, 4);
    const auto deletes = strokeStarts(trimap, 0, 4);
    ASSERT_FALSE(keeps.empty());
    ASSERT_FALSE(deletes.empty());

    // Flood Erase clears the analysed areas it touches, far beyond the painted pixels.
    const auto more = strokeStarts(trimap, 0, int(deletes.size()) + 1);
    ASSERT_GT(more.size(), deletes.size());
    const QPoint start = more.back();
    ASSERT_EQ(statusCount(JxStatusDelete), 0);
    paint(flood, start, start + QPoint(4, 0));
    ASSERT_TRUE(waitIdle());
    const int painted = (4 + 9 + 2) * (9 + 2);
    EXPECT_GT(statusCount(JxStatusDelete), 3 * painted);
    run(new JxCmdSelect(model, nullptr, JxStatusAllClasses, JxStatusUnassigned));

    for (const QPoint& p : keeps)
        paint(restore, p, p + QPoint(20, 0));
    for (const QPoint& p : deletes)
        paint(erase, p, p + QPoint(20, 0));
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(submitted.size(), 1 + keeps.size() + deletes.size());
    EXPECT_FALSE(model->autoCut()->isBusy());

    const QImage cut = model->outputImage()->image();
    for (const QPoint& p : keeps)
        for (int x = p.x(); x <= p.x() + 20; ++x)
            EXPECT_EQ(qAlpha(cut.pixel(x, p.y())), 255) << "keep at " << x << ", " << p.y();
    for (const QPoint& p : deletes)
        for (int x = p.x(); x <= p.x() + 20; ++x)
            EXPECT_EQ(qAlpha(cut.pixel(x, p.y())), 0) << "delete at " << x << ", " << p.y();
}

} // namespace
