#include "masking/AutoCut.h"
#include "masking/ForcedEdge.h"
#include "masking/GmBrushing.h"
#include "masking/GmRegion.h"
#include "masking/JxCmdGenerateMask.h"
#include "masking/JxCmdProtect.h"
#include "masking/JxCmdSelect.h"
#include "masking/PixelState.h"
#include "masking/Polygon.h"
#include "masking/Rectangle.h"
#include "masking/SegmentationStuff.h"
#include "tests/masking/MaskPixels.h"
#include "tests/masking/MaskingEngineFixture.h"

#include <QPointer>
#include <QSignalSpy>

#include <functional>
#include <set>

namespace {

using masktest::PixelSet;
using masktest::strokePixels;
using masktest::twoHalves;

const QString brushing = QStringLiteral("Brushing...");
const QString cutout = QStringLiteral("Creating Cut-out...");

// A rectangular patch with only what the commands ask of one.
class BoxRegion : public GmRegion {
public:
    explicit BoxRegion(const QRectF& box) : box_(QVariantMap{{"rect_", box}}, 1) {}
    tq::Shape* shape() override { return &box_; }
    bool isBrushRegion() const override { return false; }
    void setProtected(bool isProtected) override { protected_ = isProtected; }
    void protectInEngine() override {}
    void activate() override {}
    void deactivate() override {}
    void changed() override {}
    QColor arrowStyle() const override { return QColor(); }
    bool isActive() const override { return false; }
    void applyToEngine() override {}
    QVariant save() const override { return QVariant(); }
    void resetEngineState(GmRegion*) override {}

private:
    tq::Rectangle box_;
};

class MaskCommands : public MaskingEngineFixture {
protected:
    /// A stroke through `points` (image coordinates) handed to a brushing Select.
    PixelSet brush(std::initializer_list<QPointF> points, JxPixelStatus newStatus, int autoComplex)
    {
        auto* stroke = new GmBrushing(Qt::red);
        EXPECT_TRUE(model->brushings().contains(stroke));
        stroke->brushing().startStroke(*points.begin());
        for (auto p = points.begin() + 1; p != points.end(); ++p)
            stroke->brushing().strokeTo(*p);
        const PixelSet pixels = strokePixels(stroke->brushing());
        QPointer<GmBrushing> guard(stroke);
        run(new JxCmdSelect(model, stroke, JxStatusAllClasses, newStatus, 0, autoComplex));
        EXPECT_TRUE(guard.isNull());   // the command owned the stroke
        EXPECT_FALSE(model->brushings().contains(stroke));
        return pixels;
    }
};

TEST_F(MaskCommands, DeleteStrokeChangesExactlyItsPixelsInOneUndoStep)
{
    open(twoHalves(40, 30));
    const PixelSet painted = brush({{6, 6}, {30, 8}, {32, 20}}, JxStatusDelete, 1);
    ASSERT_FALSE(painted.empty());
    EXPECT_EQ(pixelsWithStatus(JxStatusDelete), painted);
    EXPECT_EQ(model->availableUndos(), 1u);
    EXPECT_EQ(resultsOf(brushing), std::vector<int>{JxOk});
}

TEST_F(MaskCommands, StrokeMadeForAnotherWorkingImageIsRefused)
{
    auto* early = new GmBrushing(Qt::red);   // before any picture: an empty stroke
    open(twoHalves(40, 30));
    early->brushing().startStroke({10, 10});
    run(new JxCmdSelect(model, early, JxStatusAllClasses, JxStatusDelete, 0, 1));
    EXPECT_TRUE(pixelsWithStatus(JxStatusDelete).empty());
    EXPECT_EQ(model->availableUndos(), 0u);
}

TEST_F(MaskCommands, KeepStrokeOverDeleteIsCleanedAfterTheAnalysis)
{
    BrushSizeValue::instance()->setBrushSize(9);
    open(twoHalves(120, 90));
    BrushSizeValue::instance()->setBrushSize(9);   // opening sets it from the picture's size
    analyse();
    run(new JxCmdSelect(model, nullptr, JxStatusKeep, JxStatusDelete));
    ASSERT_EQ(pixelsWithStatus(JxStatusDelete).size(), 120u * 90u);
    const PixelSet painted = brush({{20, 40}, {40, 50}}, JxStatusKeep, 0);
    EXPECT_EQ(resultsOf(brushing), std::vector<int>{JxOk});
    // Auto complex grew the keep mark over the dark half it lies in, with blend where it meets
    // the delete mark; nothing of it crossed into the light half.
    const PixelSet kept = pixelsWithStatus(JxStatusKeep);
    const PixelSet blended = pixelsWithStatus(JxStatusBlend);
    EXPECT_GT(kept.size() + blended.size(), painted.size());
    EXPECT_FALSE(blended.empty());
    for (const PixelSet* set : {&kept, &blended})
        for (const auto& p : *set)
            EXPECT_LT(p.first, 66) << "crossed the edge at " << p.first << "," << p.second;
    EXPECT_EQ(model->availableUndos(), 2u);
}

TEST_F(MaskCommands, FailingAutoComplexIsReportedNotHidden)
{
    open(twoHalves(40, 30));   // no analysis: Auto complex has no segmentation to flood
    run(new JxCmdSelect(model, nullptr, JxStatusKeep, JxStatusDelete));
    brush({{4, 10}, {12, 12}}, JxStatusKeep, 0);
    EXPECT_EQ(resultsOf(brushing), std::vector<int>{JxNotAnalysed});
    EXPECT_TRUE(deadIn.isEmpty());
}

TEST_F(MaskCommands, PlainStrokeOverTheOtherMarkIsNotCleaned)
{
    open(twoHalves(40, 30));   // the cleaning would fail without analysis; it must not run
    run(new JxCmdSelect(model, nullptr, JxStatusKeep, JxStatusDelete));
    const PixelSet painted = brush({{4, 10}, {12, 12}}, JxStatusKeep, 1);
    EXPECT_EQ(resultsOf(brushing), std::vector<int>{JxOk});
    EXPECT_EQ(pixelsWithStatus(JxStatusKeep), painted);
}

TEST_F(MaskCommands, GenerateMaskIsRefusedWithoutKeepAndDelete)
{
    open(twoHalves(40, 30));
    analyse();
    run(new JxCmdSelect(model, nullptr, JxStatusAllClasses, JxStatusUnassigned));
    ASSERT_EQ(model->statusArray()->statusesPresent(), JxStatusUnassigned);
    finished.clear();
    const int before = theLastMaskModification.load();
    run(new JxCmdGenerateMask(model));
    EXPECT_EQ(resultsOf(cutout), std::vector<int>{JxRefused});
    EXPECT_EQ(theLastMaskModification.load(), before);
}

TEST_F(MaskCommands, GenerateMaskIsRefusedWithoutAnAnalysis)
{
    open(twoHalves(40, 30));
    finished.clear();
    run(new JxCmdGenerateMask(model));
    EXPECT_EQ(resultsOf(cutout), std::vector<int>{JxRefused});
}

TEST_F(MaskCommands, AutoCutKeepsTheCutoutCurrentWithOneGenerationPending)
{
    open(twoHalves(40, 30));
    analyse();
    finished.clear();
    QSignalSpy busy(model->autoCut(), &AutoCut::busyStateChangedTo);
    QSignalSpy cutouts(model, &GmModel::cutoutChanged);
    // Two status changes queued together: the generation the first one asks for still waits
    // when the second finishes, so it is dropped for the second one's.
    thread->submit(new JxCmdSelect(model, nullptr, JxStatusKeep, JxStatusDelete));
    thread->submit(new JxCmdSelect(model, nullptr, JxStatusDelete, JxStatusKeep));
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(resultsOf(cutout), std::vector<int>{JxOk});
    EXPECT_EQ(discarded, QStringList{cutout});
    EXPECT_FALSE(model->autoCut()->isBusy());
    ASSERT_EQ(busy.count(), 2);
    EXPECT_TRUE(busy.at(0).at(0).toBool());
    EXPECT_FALSE(busy.at(1).at(0).toBool());
    ASSERT_EQ(cutouts.count(), 1);
    EXPECT_EQ(theLastMaskModification.load(), thread->modificationCount());
    // Everything is keep: the cut-out is the picture, opaque.
    const QImage cut = cutouts.at(0).at(0).value<QImage>();
    EXPECT_EQ(qAlpha(cut.pixel(5, 5)), 255);
    EXPECT_EQ(qAlpha(cut.pixel(35, 25)), 255);

    // Ending the session disconnects the auto cut.
    model->endSession(nullptr, nullptr);
    ASSERT_TRUE(waitIdle());
    finished.clear();
    model->statusArray()->rescan();
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(resultsOf(cutout).empty());
}

TEST_F(MaskCommands, CutoutFollowsTheMarks)
{
    open(twoHalves(120, 90));
    BrushSizeValue::instance()->setBrushSize(9);
    analyse();
    // The first fill made everything keep; a delete stroke in the light half, a keep stroke
    // over the keep of the dark half.
    brush({{95, 15}, {100, 75}}, JxStatusDelete, 1);
    brush({{20, 15}, {25, 75}}, JxStatusKeep, 1);
    ASSERT_FALSE(resultsOf(cutout).empty());
    EXPECT_EQ(resultsOf(cutout).back(), JxOk);
    const QImage cut = model->outputImage()->image();
    for (int y : {20, 45, 70}) {
        SCOPED_TRACE(y);
        EXPECT_EQ(qAlpha(cut.pixel(22, y)), 255);   // under the keep stroke
        EXPECT_EQ(qAlpha(cut.pixel(97, y)), 0);     // under the delete stroke
    }
}

TEST_F(MaskCommands, ForcedEdgeLineTakesUnassignedPixelsWithoutAnUndoStep)
{
    open(twoHalves(40, 30));
    run(new JxCmdSelect(model, nullptr, JxStatusAllClasses, JxStatusUnassigned));
    ASSERT_EQ(model->availableUndos(), 1u);
    ForcedEdge edge(QPolygonF(QVector<QPointF>{{5.5, 15.5}, {34.5, 15.5}}), 3);
    run(new JxCmdSelect(model, &edge));
    EXPECT_EQ(resultsOf(QStringLiteral("Creating Forced Edge...")), std::vector<int>{JxOk});
    const PixelSet line = pixelsWithFlag(JxStatusForcedEdge);
    for (int x : {6, 20, 33})
        EXPECT_TRUE(line.count({x, 15})) << x;
    for (const auto& p : line)
        EXPECT_EQ(p.second, 15) << "off the line at " << p.first << "," << p.second;
    EXPECT_EQ(model->availableUndos(), 1u);
    EXPECT_EQ(edge.shape()->pixelState()->mask(), nullptr);   // released once applied
}

TEST_F(MaskCommands, ForcedEdgeRemovedWhileAGenerationRunsChangesNothingItReads)
{
    open(twoHalves(40, 30));
    analyse();
    auto* edge = new ForcedEdge(QPolygonF(QVector<QPointF>{{20, 2}, {20, 28}}), 3);
    model->forcedEdges().append(edge);
    finished.clear();
    auto* generate = new JxCmdGenerateMask(model);
    thread->submit(generate);
    // The generation took its copy of the points when it started; the edge goes at once.
    model->removeForcedEdge(edge);
    EXPECT_TRUE(model->forcedEdges().isEmpty());
    ASSERT_TRUE(waitIdle());
    ASSERT_FALSE(resultsOf(cutout).empty());
    EXPECT_EQ(resultsOf(cutout).front(), JxOk);
}

TEST_F(MaskCommands, ProtectedPatchKeepsItsStatusesUntilUnprotected)
{
    open(twoHalves(40, 30));
    BoxRegion patch(QRectF(10, 10, 10, 8));
    run(new JxCmdProtect(model, &patch));
    EXPECT_EQ(pixelsWithFlag(JxStatusProtected), masktest::pixelsOf({QRect(10, 10, 10, 8)}));
    EXPECT_EQ(model->availableUndos(), 0u);   // protection is no step the user undoes
    run(new JxCmdSelect(model, nullptr, JxStatusKeep, JxStatusDelete));
    EXPECT_EQ(statusAt(15, 14) & JxStatusClassMask, JxStatusKeep);
    EXPECT_EQ(statusAt(5, 5), JxStatusDelete);
    // Unprotecting takes the flag from the whole image.
    model->reapplyProtections();
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(pixelsWithFlag(JxStatusProtected).empty());
    run(new JxCmdSelect(model, nullptr, JxStatusKeep, JxStatusDelete));
    EXPECT_EQ(statusAt(15, 14), JxStatusDelete);
}

TEST_F(MaskCommands, FailedProtectionNeverEndsTheEngineWork)
{
    open(twoHalves(40, 30));
    BoxRegion outside(QRectF(100, 100, 5, 5));   // no pixel of the picture: refused
    run(new JxCmdProtect(model, &outside));
    EXPECT_EQ(resultsOf(QStringLiteral("Protecting Patch...")), std::vector<int>{JxRefused});
    EXPECT_FALSE(thread->isLibraryDead());
    EXPECT_TRUE(pixelsWithFlag(JxStatusProtected).empty());
}

}  // namespace
