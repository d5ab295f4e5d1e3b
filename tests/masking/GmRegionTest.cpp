#include "masking/ArrowTargetFactory.h"
#include "masking/BrushRegion.h"
#include "masking/ForcedEdge.h"
#include "masking/GmBrushing.h"
#include "masking/GmModelKeys.h"
#include "masking/JxCmdGenerateMask.h"
#include "masking/JxCmdSelect.h"
#include "masking/PixelState.h"
#include "masking/PolyRegion.h"
#include "masking/RectRegion.h"
#include "masking/SegmentationStuff.h"
#include "tests/masking/MaskPixels.h"
#include "tests/masking/MaskingEngineFixture.h"

#include <QAction>
#include <QBitmap>
#include <QDataStream>
#include <QPointer>
#include <QSignalSpy>
#include <QThread>

#include <atomic>
#include <cmath>
#include <limits>

namespace {

using masktest::pixelsOf;
using masktest::twoHalves;

const QString beginSubSession = QStringLiteral("Beginning Sub-Session...");
const QString endSession = QStringLiteral("Ending Session...");

QByteArray bytesOf(const QVariant& value)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << value;
    return bytes;
}

QPolygonF line(std::initializer_list<QPointF> points)
{
    return QPolygonF(QVector<QPointF>(points));
}

// Every repaint request of the model, in order.
class DirtySpy {
public:
    struct Request {
        QRectF rect;
        int hint;
    };
    explicit DirtySpy(GmModel* model)
    {
        connection_ = QObject::connect(
            model, QOverload<ImageRectF, DirtyHint, PatchPreviewWanted>::of(&GmModel::rectDirty),
            [this](ImageRectF r, DirtyHint hint, PatchPreviewWanted) { requests.push_back({r, hint}); });
    }
    ~DirtySpy() { QObject::disconnect(connection_); }
    int count() const { return int(requests.size()); }
    void clear() { requests.clear(); }
    std::vector<Request> requests;

private:
    QMetaObject::Connection connection_;
};

class GmRegionTest : public MaskingEngineFixture {
protected:
    void SetUp() override
    {
        MaskingEngineFixture::SetUp();
        ArrowTargetFactory::restoreBuiltInCreators();
    }
    /// Adds `target` to the model and waits until the engine has it.
    template <typename T>
    T* add(T* target)
    {
        model->addArrowTarget(target);
        EXPECT_TRUE(waitIdle());
        return target;
    }
    /// A brush region painted from `from` to `to` (image coordinates); an empty one covers no
    /// pixel, and the engine holds no sub-session for it.
    static BrushRegion* paintedBrushRegion(const QPointF& from, const QPointF& to = QPointF(-1, -1))
    {
        auto* region = new BrushRegion(QColor(Qt::green));
        region->stroke().startStroke(from);
        if (to != QPointF(-1, -1))
            region->stroke().strokeTo(to);
        return region;
    }
    void allUnassigned()
    {
        run(new JxCmdSelect(model, nullptr, JxStatusAllClasses, JxStatusUnassigned));
    }
};

TEST_F(GmRegionTest, RegionsSelectInTheirOwnSubSessionAndPushBackToTheImage)
{
    open(twoHalves(40, 30));
    DirtySpy dirty(model);
    auto* patch = add(new RectRegion(QRectF(10, 10, 10, 8)));
    EXPECT_EQ(resultsOf(beginSubSession), std::vector<int>{JxOk});
    ASSERT_NE(patch->smeg().session(), nullptr);
    // The outline repaints once its sub-session exists.
    bool outlineRepainted = false;
    for (const DirtySpy::Request& r : dirty.requests)
        outlineRepainted |= r.rect == QRectF(10, 10, 10, 8) && r.hint == DirtyOutline;
    EXPECT_TRUE(outlineRepainted);

    run(new JxCmdSelect(model, nullptr, JxStatusKeep, JxStatusDelete));
    patch->activate();
    model->clearMaskInActiveRegionSlot();
    ASSERT_TRUE(waitIdle());
    // Pulled from the image, changed within the patch, pushed back: nothing outside moved.
    EXPECT_EQ(pixelsWithStatus(JxStatusUnassigned), pixelsOf({QRect(10, 10, 10, 8)}));
    EXPECT_EQ(pixelsWithStatus(JxStatusDelete).size(), 40u * 30u - 80u);
}

TEST_F(GmRegionTest, ActivationDrawsTheRegionLastAndSwitchesOutlinesAndActions)
{
    open(twoHalves(40, 30));
    auto* a = add(new RectRegion(QRectF(2, 2, 6, 6)));
    auto* b = add(new PolyRegion(line({{20, 2}, {30, 2}, {25, 10}})));
    auto* c = add(new RectRegion(QRectF(2, 20, 6, 6)));
    auto* edge = add(new ForcedEdge(line({{1, 28}, {38, 28}}), 4));
    ASSERT_EQ(model->regions(), (QList<GmRegion*>{a, b, c}));
    EXPECT_EQ(model->arrowTargets(), (QList<ArrowTarget*>{a, b, c, edge}));
    EXPECT_EQ(a->arrowStyle(), QColor(Qt::darkYellow));

    DirtySpy dirty(model);
    a->activate();
    EXPECT_EQ(model->regions(), (QList<GmRegion*>{c, b, a}));
    EXPECT_TRUE(a->isActive());
    EXPECT_EQ(a->arrowStyle(), QColor(Qt::yellow));
    EXPECT_TRUE(model->deletePatchAction()->isEnabled());
    EXPECT_TRUE(model->clearMaskAction()->isEnabled());
    EXPECT_EQ(model->deletePatchAction()->shortcut(), QKeySequence(QStringLiteral("Delete")));
    ASSERT_EQ(dirty.count(), 1);
    EXPECT_EQ(dirty.requests[0].rect, QRectF(2, 2, 6, 6));
    EXPECT_EQ(dirty.requests[0].hint, DirtyRegionOutline);

    // Activating the forced edge deactivates the region; two outlines far apart repaint apart.
    dirty.clear();
    edge->activate();
    EXPECT_FALSE(a->isActive());
    EXPECT_EQ(a->arrowStyle(), QColor(Qt::darkYellow));
    EXPECT_EQ(edge->arrowStyle(), QColor(Qt::yellow));
    EXPECT_FALSE(model->deletePatchAction()->isEnabled());
    EXPECT_TRUE(model->deleteForcedEdgeAction()->isEnabled());
    EXPECT_TRUE(model->deletePatchAction()->shortcut().isEmpty());
    ASSERT_EQ(dirty.count(), 2);
    EXPECT_EQ(dirty.requests[0].rect, QRectF(2, 2, 6, 6));
    EXPECT_EQ(dirty.requests[1].rect, QRectF(1, 28, 37, 0));

    // And the other way round.
    b->activate();
    EXPECT_FALSE(edge->isActive());
    EXPECT_EQ(model->activeRegion(), b);
    EXPECT_EQ(model->regions().last(), b);

    // Activating the active region again only announces it.
    QSignalSpy changed(model, &GmModel::activeRegionChanged);
    dirty.clear();
    b->activate();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(dirty.count(), 0);
}

TEST_F(GmRegionTest, UnprotectingOneOfSeveralRegionsLeavesTheOthersProtected)
{
    open(twoHalves(40, 30));
    auto* a = add(new RectRegion(QRectF(4, 4, 8, 6)));
    auto* b = add(new RectRegion(QRectF(24, 14, 8, 6)));
    QSignalSpy announced(model, &GmModel::protectionChanged);
    a->setProtected(true);
    b->setProtected(true);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(pixelsWithFlag(JxStatusProtected), pixelsOf({QRect(4, 4, 8, 6), QRect(24, 14, 8, 6)}));

    a->activate();
    model->protectActiveRegionSlot();   // unprotects a
    ASSERT_TRUE(waitIdle());
    EXPECT_FALSE(a->isProtected());
    EXPECT_FALSE(model->protectPatchAction()->isChecked());
    EXPECT_EQ(pixelsWithFlag(JxStatusProtected), pixelsOf({QRect(24, 14, 8, 6)}));
    EXPECT_EQ(announced.count(), 3);

    // A protected region that is reshaped is protected over its new outline only.
    b->rectangle().dragCornerTo(QPointF(29, 18));
    b->changed();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(pixelsWithFlag(JxStatusProtected), pixelsOf({QRect(24, 14, 5, 4)}));
    EXPECT_NE(b->smeg().session(), nullptr);
    EXPECT_EQ(model->activeRegion(), b);
    EXPECT_TRUE(deadIn.isEmpty());
}

TEST_F(GmRegionTest, DeletingAForcedEdgeResendsTheOthers)
{
    open(twoHalves(40, 30));
    allUnassigned();
    QPointer<ForcedEdge> upper(add(new ForcedEdge(line({{5.5, 8.5}, {34.5, 8.5}}), 3)));
    auto* lower = add(new ForcedEdge(line({{5.5, 20.5}, {34.5, 20.5}}), 3));
    auto rowsOfEdges = [this] {
        std::set<int> rows;
        for (const auto& p : pixelsWithFlag(JxStatusForcedEdge))
            rows.insert(p.second);
        return rows;
    };
    EXPECT_EQ(rowsOfEdges(), (std::set<int>{8, 20}));
    upper->activate();
    model->deleteActiveForcedEdgeSlot();
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(upper.isNull());
    EXPECT_EQ(model->forcedEdges(), QList<ForcedEdge*>{lower});
    EXPECT_EQ(model->activeForcedEdge(), nullptr);
    EXPECT_EQ(rowsOfEdges(), std::set<int>{20});
}

TEST_F(GmRegionTest, ForcedEdgeRemovedWhileAGenerationRunsLeavesTheGenerationItsCopy)
{
    open(twoHalves(40, 30));
    analyse();
    auto* edge = add(new ForcedEdge(line({{20, 2}, {20, 28}}), 3));
    finished.clear();
    thread->submit(new JxCmdGenerateMask(model));
    model->removeForcedEdge(edge);   // deleted at once, while the generation waits or runs
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(resultsOf(QStringLiteral("Creating Cut-out...")), std::vector<int>{JxOk});
}

TEST_F(GmRegionTest, ARegionWithEdgeFindingAnalysesItsOwnSubSessionAcrossChanges)
{
    open(twoHalves(40, 30));
    auto* patch = new RectRegion(QRectF(10, 5, 20, 20));
    patch->smeg().setChecked(true);
    add(patch);
    const QString findEdges = QStringLiteral("Finding Edges in Patch...");
    EXPECT_EQ(resultsOf(findEdges), std::vector<int>{JxOk});
    ASSERT_TRUE(patch->smeg().isAnalysisReady());
    EXPECT_NE(patch->smeg().analysedSession(), patch->smeg().session());
    EXPECT_FALSE(patch->smeg().vectorEdges().isEmpty());

    // Reshaped: both sub-sessions end, the masks they read go only after that, and the patch
    // is begun and analysed again over its new outline.
    finished.clear();
    patch->rectangle().dragCornerTo(QPointF(26, 22));
    patch->changed();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(resultsOf(endSession), std::vector<int>{JxOk});
    EXPECT_EQ(resultsOf(findEdges), std::vector<int>{JxOk});
    ASSERT_TRUE(patch->smeg().isAnalysisReady());

    // A stroke that follows the edges works in the patch's analysed sub-session and reaches
    // the image only within the patch.
    allUnassigned();
    auto* stroke = new GmBrushing(Qt::red);
    stroke->brushing().startStroke(QPointF(12, 10));
    stroke->brushing().strokeTo(QPointF(24, 18));
    run(new JxCmdSelect(model, stroke, JxStatusAllClasses, JxStatusDelete, 1, 1));
    EXPECT_EQ(resultsOf(QStringLiteral("Brushing...")), std::vector<int>{JxOk});
    const masktest::PixelSet marked = pixelsWithStatus(JxStatusDelete);
    EXPECT_FALSE(marked.empty());
    for (const auto& p : marked)
        EXPECT_TRUE(QRect(10, 5, 16, 17).contains(p.first, p.second)) << p.first << "," << p.second;
}

TEST_F(GmRegionTest, ARemovedRegionIsDeletedWhetherTheThreadIsOpenOrClosed)
{
    open(twoHalves(40, 30));
    QPointer<GmRegion> whileOpen(add(new RectRegion(QRectF(4, 4, 8, 6))));
    QPointer<GmRegion> closed(add(paintedBrushRegion(QPointF(20, 20))));
    ASSERT_NE(whileOpen->smeg().session(), nullptr);
    ASSERT_NE(closed->smeg().session(), nullptr);

    // Open: the end-session command ends the sub-session, then deletes the region.
    finished.clear();
    model->deleteRegion(whileOpen);
    EXPECT_FALSE(model->regions().contains(whileOpen));
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(whileOpen.isNull());
    EXPECT_EQ(resultsOf(endSession), std::vector<int>{JxOk});

    // Closed: no command can be submitted, so the model deletes the region itself.
    finished.clear();
    thread->setOpen(false);
    model->deleteRegion(closed);
    EXPECT_TRUE(model->regions().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull());
    thread->setOpen(true);
    EXPECT_TRUE(finished.empty());
}

// Runs until released; stands for any engine work still under way while the thread drains.
class HeldCommand : public OstrivalCommand {
public:
    HeldCommand(GmModel* model, const std::atomic<bool>& release)
        : OstrivalCommand(model, QStringLiteral("Held")), release_(release) {}
    void execute() override
    {
        while (!release_.load())
            QThread::msleep(1);
    }

private:
    const std::atomic<bool>& release_;
};

TEST_F(GmRegionTest, ARegionRemovedWhileAClosedThreadStillWorksGoesOnlyAfterTheWork)
{
    open(twoHalves(40, 30));
    QPointer<GmRegion> patch(add(new RectRegion(QRectF(4, 4, 8, 6))));
    std::atomic<bool> release{false};
    thread->submit(new HeldCommand(model, release));
    thread->setOpen(false);
    model->deleteRegion(patch);
    EXPECT_TRUE(model->regions().isEmpty());
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(patch.isNull());   // its sub-session's mask may still be read
    release = true;
    ASSERT_TRUE(zqtest::waitUntil([this] { return thread->isIdle(); }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(patch.isNull());
    thread->setOpen(true);
}

TEST_F(GmRegionTest, ARegionTheEngineCannotHoldIsDeleted)
{
    open(twoHalves(40, 30));
    zqtest::WarningCollector warnings;
    QPointer<GmRegion> outside(new RectRegion(QRectF(100, 100, 5, 5)));
    model->addArrowTarget(outside);
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(outside.isNull());
    EXPECT_TRUE(model->regions().isEmpty());
    EXPECT_TRUE(warnings.contains(QStringLiteral("JxCmdBeginSubSession::prepare: No JxSelection!")));
}

// A saved protected rectangle patch over `box` (image coordinates).
QVariant protectedPatchEntry(const QRectF& box)
{
    RectRegion patch(box);
    QVariantMap entry = patch.save().toMap();
    QVariantMap base = entry[GmKeys::regionBase].toMap();
    base[GmKeys::isProtected] = true;
    entry[GmKeys::regionBase] = base;
    return entry;
}

TEST_F(GmRegionTest, ManyProtectedRegionsAreRestoredAndClosedWithCommandsInProportion)
{
    open(twoHalves(40, 30));
    // One protected patch saved over and over, every other copy outside the picture: the
    // engine refuses those, and every region it refuses is removed and asks for the others'
    // protection again.
    constexpr int count = 300;
    QVariantList entries;
    for (int i = 0; i < count; ++i)
        entries.append(protectedPatchEntry(i % 2 ? QRectF(100, 100, 5, 5) : QRectF(3, 4, 10, 6)));
    QVariantMap saved = model->toVariant().toMap();
    saved[GmKeys::arrowTargetList] = entries;
    model->closeImage();
    ASSERT_TRUE(waitIdle());
    ASSERT_TRUE(model->checkVariant(saved, nullptr));

    finished.clear();
    discarded.clear();
    model->fromVariant(saved);
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(model->regions().size(), count / 2);
    EXPECT_EQ(pixelsWithFlag(JxStatusProtected), pixelsOf({QRect(3, 4, 10, 6)}));
    // A sub-session, an edge finding and a protection for each, a removal and a share of
    // one re-protection for each refused one.
    EXPECT_LE(finished.size() + discarded.size(), std::size_t(4 * count));

    // Closed while the engine is held up: everything the closing queues is still waiting
    // when the queue is cancelled.
    finished.clear();
    discarded.clear();
    std::atomic<bool> release{false};
    thread->submit(new HeldCommand(model, release));
    const std::int64_t visitsBefore = thread->queueVisits();
    model->closeImage();
    const std::int64_t visits = thread->queueVisits() - visitsBefore;
    const int queued = thread->queuedCommands().size();
    release = true;
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(model->regions().isEmpty());
    // The regions' sub-sessions end together, then the picture's session.
    EXPECT_EQ(resultsOf(endSession), (std::vector<int>{JxOk, JxOk}));
    EXPECT_LE(finished.size() + discarded.size(), 10u);
    EXPECT_LE(queued, 5);
    // Each cancel looked at each waiting command once.
    EXPECT_LE(visits, 2 * std::int64_t(count));
}

TEST_F(GmRegionTest, AWaitingReprotectionIsReplacedOnlyWhileNothingBehindItReadsStatuses)
{
    open(twoHalves(40, 30));
    auto* a = add(new RectRegion(QRectF(4, 4, 8, 6)));
    auto* b = add(new RectRegion(QRectF(24, 14, 8, 6)));
    auto* c = add(new RectRegion(QRectF(4, 20, 6, 6)));
    for (GmRegion* region : {a, b, c})
        region->setProtected(true);
    ASSERT_TRUE(waitIdle());
    const QString protecting = QStringLiteral("Protecting Patch...");

    // Two regions removed one after the other: one lift, one re-protection of the last one.
    std::atomic<bool> release{false};
    thread->submit(new HeldCommand(model, release));
    finished.clear();
    model->deleteRegion(a);
    model->deleteRegion(b);
    release = true;
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(resultsOf(protecting).size(), 1u);
    EXPECT_EQ(pixelsWithFlag(JxStatusProtected), pixelsOf({QRect(4, 20, 6, 6)}));

    // A selection between two re-protections must still find c protected: the second one
    // is queued behind it, not folded into the first.
    auto* d = add(new RectRegion(QRectF(24, 2, 8, 6)));
    d->setProtected(true);
    ASSERT_TRUE(waitIdle());
    release = false;
    thread->submit(new HeldCommand(model, release));
    d->setProtected(false);
    thread->submit(new JxCmdSelect(model, nullptr, JxStatusKeep, JxStatusDelete));
    c->setProtected(false);
    release = true;
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(pixelsWithFlag(JxStatusProtected).empty());
    EXPECT_EQ(pixelsWithStatus(JxStatusKeep), pixelsOf({QRect(4, 20, 6, 6)}));
    EXPECT_EQ(pixelsWithStatus(JxStatusDelete).size(), 40u * 30u - 36u);
}

TEST_F(GmRegionTest, EndingTheSessionRevertsTargetsAndDropsBrushRegions)
{
    open(twoHalves(40, 30));
    auto* rect = add(new RectRegion(QRectF(4, 4, 8, 6)));
    QPointer<BrushRegion> brush(add(paintedBrushRegion(QPointF(25, 20))));
    ASSERT_NE(brush->smeg().session(), nullptr);
    model->endSession(nullptr, nullptr);
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(brush.isNull());
    EXPECT_EQ(model->regions(), QList<GmRegion*>{rect});
    EXPECT_EQ(rect->smeg().session(), nullptr);
    EXPECT_EQ(rect->shape()->pixelState()->mask(), nullptr);
    // Without a session there is nothing to begin the sub-session in: the region stays.
    {
        zqtest::WarningCollector warnings;
        rect->applyToEngine();
        ASSERT_TRUE(waitIdle());
        EXPECT_TRUE(warnings.contains(QStringLiteral("JxCmdBeginSubSession::prepare: No JxSession!")));
        EXPECT_EQ(model->regions(), QList<GmRegion*>{rect});
    }
    model->openSession();
    ASSERT_TRUE(waitIdle());
    EXPECT_NE(rect->smeg().session(), nullptr);   // applied again when the session opened
}

TEST_F(GmRegionTest, EveryKindOfTargetRoundTripsThroughTheModelMap)
{
    open(twoHalves(40, 30));
    auto* rect = add(new RectRegion(QRectF(3, 4, 10, 6)));
    rect->setProtected(true);
    add(new PolyRegion(line({{20, 2}, {34, 4}, {26, 12}})));
    add(paintedBrushRegion(QPointF(8, 22), QPointF(18, 24)));
    add(new ForcedEdge(line({{1, 1}, {30, 27}, {38, 5}}), 7));
    ASSERT_TRUE(waitIdle());
    const QVariant saved = model->toVariant();
    QList<QByteArray> before;
    for (ArrowTarget* target : model->arrowTargets())
        before.append(bytesOf(target->save()));

    model->closeImage();
    ASSERT_TRUE(waitIdle());
    ASSERT_TRUE(model->arrowTargets().isEmpty());
    ASSERT_TRUE(model->checkVariant(saved, nullptr));
    model->fromVariant(saved);
    ASSERT_TRUE(waitIdle());

    const QList<ArrowTarget*> targets = model->arrowTargets();
    ASSERT_EQ(targets.size(), 4);
    EXPECT_NE(qobject_cast<RectRegion*>(targets[0]), nullptr);
    EXPECT_NE(qobject_cast<PolyRegion*>(targets[1]), nullptr);
    EXPECT_NE(qobject_cast<BrushRegion*>(targets[2]), nullptr);
    ASSERT_NE(qobject_cast<ForcedEdge*>(targets[3]), nullptr);
    for (int i = 0; i < targets.size(); ++i)
        EXPECT_EQ(bytesOf(targets[i]->save()), before[i]) << "target " << i;
    EXPECT_EQ(static_cast<ForcedEdge*>(targets[3])->width(), 7);
    // Restored regions were applied to the engine again, the protection with them.
    for (GmRegion* region : model->regions())
        EXPECT_NE(region->smeg().session(), nullptr);
    EXPECT_TRUE(model->regions()[0]->isProtected());
    EXPECT_EQ(pixelsWithFlag(JxStatusProtected), pixelsOf({QRect(3, 4, 10, 6)}));
}

TEST_F(GmRegionTest, AStrokeOfAnotherSizeIsLeftOutOfARestore)
{
    open(twoHalves(40, 30));
    add(paintedBrushRegion(QPointF(8, 22)));
    const QVariantMap saved = model->toVariant().toMap();
    const QVariantMap entry = saved[GmKeys::arrowTargetList].toList().at(0).toMap();
    model->closeImage();
    ASSERT_TRUE(waitIdle());

    const struct {
        const char* name;
        QSize size;
        int regions;
    } cases[] = {
        {"as large as the working image", QSize(40, 30), 1},
        {"one column narrower", QSize(39, 30), 0},
        {"one row taller", QSize(40, 31), 0},
        {"far larger", QSize(4000, 3000), 0},
        {"no bitmap", QSize(), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage bits(c.size.isValid() ? c.size : QSize(0, 0), QImage::Format_Mono);
        bits.fill(1);
        QVariantMap stroke = entry[GmKeys::brushing].toMap();
        stroke[GmKeys::bitmap] = c.size.isValid() ? QBitmap::fromImage(bits) : QBitmap();
        QVariantMap changed = entry;
        changed[GmKeys::brushing] = stroke;
        QVariantMap m = saved;
        m[GmKeys::arrowTargetList] = QVariantList{changed};
        model->fromVariant(m);
        ASSERT_TRUE(waitIdle());
        EXPECT_EQ(model->regions().size(), c.regions);
        model->closeImage();
        ASSERT_TRUE(waitIdle());
    }
}

TEST(ForcedEdgeMap, DamagedValuesAreBroughtIntoRange)
{
    const struct {
        QVariant width;
        int expected;
    } widths[] = {{5, 5}, {0, 1}, {-7, 1}, {QVariant(), 1}, {1000000, ForcedEdge::largestWidth}};
    for (const auto& w : widths) {
        QVariantMap entry;
        entry[GmKeys::type] = int(GmKeys::ForcedEdgeType);
        entry[GmKeys::width] = w.width;
        ForcedEdge edge(entry);
        EXPECT_EQ(edge.width(), w.expected) << w.width.toString().toStdString();
        EXPECT_EQ(edge.save().toMap()[GmKeys::width].toInt(), w.expected);
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    ForcedEdge edge(line({{1, 2}, {nan, 3}, {4, 5}, {1e300, 6}}), 3);
    EXPECT_EQ(edge.workingPoints(), (std::vector<float>{1, 2, 4, 5}));
}

TEST_F(GmRegionTest, TheRubberBandRepaintsOnlyWhenItCoveredSomething)
{
    open(twoHalves(40, 30));
    DirtySpy dirty(model);
    model->startRubberBand(ImagePointF(5, 5));
    ASSERT_NE(model->rubberBand(), nullptr);
    EXPECT_EQ(model->rubberBand()->bounds(), QRectF(5, 5, 0, 0));
    model->clearRubberBand();
    EXPECT_EQ(model->rubberBand(), nullptr);
    EXPECT_EQ(dirty.count(), 0);

    model->startRubberBand(ImagePointF(5, 5));
    model->rubberBand()->dragCornerTo(QPointF(15, 12));
    dirty.clear();
    model->startRubberBand(ImagePointF(1, 1));   // clears the old band first
    ASSERT_EQ(dirty.count(), 1);
    EXPECT_EQ(dirty.requests[0].rect, QRectF(5, 5, 10, 7));
    EXPECT_EQ(dirty.requests[0].hint, DirtyOutline);
    EXPECT_EQ(model->rubberBand()->anchor(), QPointF(1, 1));
}

}  // namespace
