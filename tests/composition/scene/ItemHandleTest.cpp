#include "CompositionFixture.h"
#include "TestPixmapItem.h"
#include "composition/scene/ArrowTipItemHandle.h"
#include "composition/scene/CutoutItem.h"
#include "composition/scene/DragItemHandle.h"
#include "composition/scene/HandleScale.h"
#include "composition/scene/ItemController.h"
#include "composition/scene/RotateItemHandle.h"
#include "composition/scene/ScaleItemHandle.h"

#include <QTest>

#include <cmath>

namespace {

using ItemHandleTest = CompositionFixture;

template <class Handle>
Handle* handleOf(const FrolixItem* item) {
    for (const QPointer<ItemHandle>& handle : item->handles())
        if (auto* found = qobject_cast<Handle*>(handle.data()))
            return found;
    return nullptr;
}

QPointF cornerOf(const CutoutItem* item, QPointF (QRectF::*corner)() const) {
    return item->mapToScene((item->localRect().*corner)());
}

double zoomOf(const QGraphicsView& view) { return view.transform().m11(); }

void expectNear(const QPointF& actual, const QPointF& expected, double tolerance) {
    EXPECT_NEAR(actual.x(), expected.x(), tolerance) << "x";
    EXPECT_NEAR(actual.y(), expected.y(), tolerance) << "y";
}

TEST_F(ItemHandleTest, ImageItemsHaveDragScaleAndRotateHandlesShownOnlyWhileSelected) {
    CutoutItem* item = addCutout(QSize(80, 40), Qt::red);
    ASSERT_EQ(item->handles().size(), 3);
    EXPECT_TRUE(qobject_cast<DragItemHandle*>(item->handles()[0].data()));
    EXPECT_TRUE(qobject_cast<ScaleItemHandle*>(item->handles()[1].data()));
    EXPECT_TRUE(qobject_cast<RotateItemHandle*>(item->handles()[2].data()));
    for (const QPointer<ItemHandle>& handle : item->handles())
        EXPECT_TRUE(handle->isVisible());
    view->itemScene()->clearSelection();
    for (const QPointer<ItemHandle>& handle : item->handles())
        EXPECT_FALSE(handle->isVisible());
    expectNear(handleOf<DragItemHandle>(item)->scenePos(), cornerOf(item, &QRectF::topLeft), 1e-9);
    expectNear(handleOf<ScaleItemHandle>(item)->scenePos(), cornerOf(item, &QRectF::bottomRight),
               1e-9);
    expectNear(handleOf<RotateItemHandle>(item)->scenePos(), cornerOf(item, &QRectF::bottomLeft),
               1e-9);
}

TEST_F(ItemHandleTest, DragHandleGrabbedOffCentreMovesTheItemWithoutAJump) {
    CutoutItem* item = addCutout(QSize(80, 40), Qt::red);
    const QPointF before = item->pos();
    const QPoint grab = viewPoint(handleOf<DragItemHandle>(item)->scenePos()) +
                       QPoint(-6, -5);   // off the item: only the handle is there
    drag(grab, grab + QPoint(40, 30));
    const double zoom = zoomOf(*view);
    expectNear(item->pos(), before + QPointF(40, 30) / zoom, 1.0 / zoom);
    expectNear(handleOf<DragItemHandle>(item)->scenePos(), cornerOf(item, &QRectF::topLeft), 1e-9);
    EXPECT_TRUE(item->isSelected());
}

TEST_F(ItemHandleTest, ScaleHandleScalesAboutTheItemsOrigin) {
    CutoutItem* item = addCutout(QSize(80, 40), Qt::red);
    const double before = item->transform().m11();
    const QPoint offset(3, 4);
    const QPoint from = viewPoint(handleOf<ScaleItemHandle>(item)->scenePos()) + offset;
    const QPoint to = viewPoint(item->mapToScene(item->localRect().bottomRight() * 2)) + offset;
    drag(from, to);
    EXPECT_NEAR(item->transform().m11() / before, 2.0, 0.05);
    EXPECT_NEAR(item->transform().m22() / before, 2.0, 0.05);
    EXPECT_FALSE(item->isMirrored());
    expectNear(handleOf<ScaleItemHandle>(item)->scenePos(), cornerOf(item, &QRectF::bottomRight),
               1e-9);
}

TEST_F(ItemHandleTest, ScaleHandlePastTheLeftEdgeMirrorsAndPastItAgainMirrorsBack) {
    CutoutItem* item = addCutout(QSize(80, 40), Qt::red);
    auto dragScaleHandleTo = [&](const QPointF& local) {
        const QPoint from = viewPoint(handleOf<ScaleItemHandle>(item)->scenePos());
        drag(from, viewPoint(item->mapToScene(local)));
    };
    dragScaleHandleTo(QPointF(-20, 20));
    EXPECT_TRUE(item->isMirrored());
    EXPECT_LT(item->transform().m11(), 0);
    EXPECT_GT(item->transform().m22(), 0);
    dragScaleHandleTo(QPointF(-20, 20));
    EXPECT_FALSE(item->isMirrored());
    EXPECT_GT(item->transform().m11(), 0);
}

TEST_F(ItemHandleTest, ScaleHandleOnTheOppositeCornerKeepsTheItemVisibleAndRecoverable) {
    CutoutItem* item = addCutout(QSize(80, 40), Qt::red);
    const QRectF placed = item->sceneBoundingRect();
    drag(viewPoint(handleOf<ScaleItemHandle>(item)->scenePos()),
         viewPoint(cornerOf(item, &QRectF::topLeft)));
    EXPECT_TRUE(item->transform().isInvertible());
    const QRectF shrunk = item->sceneBoundingRect();
    EXPECT_GE(std::min(shrunk.width(), shrunk.height()), 1.0 - 1e-9);
    EXPECT_LT(shrunk.width(), placed.width());

    // The handle still works: drag it out again.
    drag(viewPoint(handleOf<ScaleItemHandle>(item)->scenePos()),
         viewPoint(placed.bottomRight()));
    EXPECT_GT(item->sceneBoundingRect().width(), placed.width() / 2);
}

TEST_F(ItemHandleTest, ScaleOfARectangleWithoutWidthIsIgnored) {
    CutoutItem* item = addCutout(QSize(80, 40), Qt::red);
    item->replacePixmap(QPixmap(), nullptr);
    const QTransform before = item->transform();
    item->scaleHandleMoved(item->mapToScene(QPointF(50, 50)), Qt::NoModifier);
    EXPECT_EQ(item->transform(), before);
}

TEST_F(ItemHandleTest, RotateHandleWithShiftSnapsTheCornerToMultiplesOf22AndAHalfDegrees) {
    CutoutItem* item = addCutout(QSize(80, 40), Qt::red);
    const QPointF centre = item->mapToScene(item->localRect().center());
    const QPoint from = viewPoint(handleOf<RotateItemHandle>(item)->scenePos());
    drag(from, viewPoint(centre) + QPoint(100, 37), Qt::ShiftModifier);
    const QPointF corner = cornerOf(item, &QRectF::bottomLeft) - centre;
    const double degrees = std::atan2(corner.y(), corner.x()) * 180 / M_PI;
    const double steps = degrees / 22.5;
    EXPECT_NEAR(steps, std::round(steps), 1e-6) << degrees;
    // 100 by 37 pixels points at 20.3 degrees, nearest to 22.5.
    EXPECT_NEAR(degrees, 22.5, 1e-6);
    expectNear(item->mapToScene(item->localRect().center()), centre, 1e-6);
}

TEST_F(ItemHandleTest, ShiftRotationRoundsHalvesUpwardOnBothSides) {
    struct Case {
        double pointerDegrees;
        double expected;
    };
    for (const Case& c : {Case{11.3, 22.5}, Case{-11.2, 0.0}, Case{-11.3, -22.5}, Case{33.0, 22.5}}) {
        CutoutItem* item = addCutout(QSize(80, 40), Qt::red);
        item->setTransform(QTransform());
        const QPointF centre = item->mapToScene(item->localRect().center());
        const double a = c.pointerDegrees * M_PI / 180;
        item->rotateHandleMoved(centre + 100 * QPointF(std::cos(a), std::sin(a)),
                                Qt::ShiftModifier);
        const QPointF corner = cornerOf(item, &QRectF::bottomLeft) - centre;
        EXPECT_NEAR(std::atan2(corner.y(), corner.x()) * 180 / M_PI, c.expected, 1e-6)
            << c.pointerDegrees;
        delete item;
    }
}

TEST_F(ItemHandleTest, RotateHandleFollowsThePointerMirroredOrNot) {
    struct Case {
        const char* name;
        QPointF mirrorAt;   // where the scale handle goes first, in item coordinates
        bool mirrored;
    };
    for (const Case& c : {Case{"plain", QPointF(40, 20), false},
                          Case{"past the left edge", QPointF(-20, 20), true},
                          Case{"past the top edge", QPointF(40, -10), true}}) {
        CutoutItem* item = addCutout(QSize(40, 20), Qt::red);
        item->setTransform(QTransform());
        item->scaleHandleMoved(item->mapToScene(c.mirrorAt), Qt::NoModifier);
        ASSERT_EQ(item->isMirrored(), c.mirrored) << c.name;
        const QPointF centre = item->mapToScene(item->localRect().center());
        const double pointer = 1.0;   // radians, about 57 degrees
        item->rotateHandleMoved(centre + 50 * QPointF(std::cos(pointer), std::sin(pointer)),
                                Qt::NoModifier);
        const QPointF corner = cornerOf(item, &QRectF::bottomLeft) - centre;
        EXPECT_NEAR(std::atan2(corner.y(), corner.x()), pointer, 1e-9) << c.name;
        expectNear(item->mapToScene(item->localRect().center()), centre, 1e-9);
        delete item;
    }
}

TEST_F(ItemHandleTest, ArrowTipStartsBelowTheCornerAndStaysWhereItWasPut) {
    TestPixmapItem* item = addItem(QSize(40, 20), Qt::red, QPointF(100, 50));
    ArrowTipItemHandle* tip = item->addArrowTipHandle();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->tipPos(), QPointF(140, 90)) << "one item height below the bottom-right corner";
    EXPECT_EQ(tip->offset(), QPointF(-5, -26)) << "the picture's tip marks the point";
    EXPECT_EQ(tip->scenePos(), QPointF(140, 90));
    EXPECT_FALSE(tip->isVisible()) << "the item is not selected";
    item->setPos(0, 0);
    EXPECT_EQ(tip->scenePos(), QPointF(140, 90));
    tip->dragTo(QPointF(10, 20), Qt::NoModifier);
    item->updateHandles();
    EXPECT_EQ(tip->scenePos(), QPointF(10, 20));
}

TEST_F(ItemHandleTest, HandlesKeep32ScreenPixelsAtZoomTwo) {
    CutoutItem* item = addCutout(QSize(80, 40), Qt::red);
    view->setZoomProportion(view->proportionForZoom(2.0), QPointF(200, 150));
    ASSERT_NEAR(zoomOf(*view), 2.0, 1e-6);
    CutoutItem* later = addCutout(QSize(30, 30), Qt::blue);
    for (const CutoutItem* owner : {item, later})
        for (const QPointer<ItemHandle>& handle : owner->handles()) {
            EXPECT_NEAR(handle->transform().m11(), 0.5, 1e-9);
            const QRect onScreen = view->mapFromScene(handle->sceneBoundingRect()).boundingRect();
            EXPECT_NEAR(onScreen.width(), 32, 1);
            EXPECT_NEAR(onScreen.height(), 32, 1);
        }
}

TEST_F(ItemHandleTest, HandlesFollowACanvasChange) {
    CutoutItem* item = addCutout(QSize(80, 40), Qt::red);
    ItemController::instance()->setCanvasSize(QSize(200, 150));
    expectNear(handleOf<ScaleItemHandle>(item)->scenePos(), cornerOf(item, &QRectF::bottomRight),
               1e-9);
    expectNear(handleOf<DragItemHandle>(item)->scenePos(), cornerOf(item, &QRectF::topLeft), 1e-9);
}

TEST_F(ItemHandleTest, StackingPassesOnlyUpToTheNextOverlappingItem) {
    CutoutItem* a = addCutout(QSize(40, 40), Qt::red);
    CutoutItem* b = addCutout(QSize(40, 40), Qt::green);
    CutoutItem* c = addCutout(QSize(40, 40), Qt::blue);
    CutoutItem* d = addCutout(QSize(40, 40), Qt::yellow);
    for (CutoutItem* item : {a, b, c, d})
        item->setTransform(QTransform());
    a->setPos(0, 0);
    b->setPos(20, 0);     // overlaps a
    c->setPos(300, 200);  // overlaps nobody
    d->setPos(10, 10);    // overlaps a and b
    auto order = [&] {
        QList<QGraphicsItem*> items = FrolixItem::liveGraphicsItems();
        std::stable_sort(items.begin(), items.end(), zValueLessThan);
        return items;
    };
    ASSERT_EQ(order(), (QList<QGraphicsItem*>{a, b, c, d}));
    a->bringForward();
    EXPECT_EQ(order(), (QList<QGraphicsItem*>{b, a, c, d})) << "stops after b, which it overlaps";
    c->bringForward();
    EXPECT_EQ(order(), (QList<QGraphicsItem*>{b, a, d, c})) << "overlapping nothing, goes on top";
    d->pushBackward();
    EXPECT_EQ(order(), (QList<QGraphicsItem*>{b, d, a, c}));
    for (int i = 0; i < 4; ++i)
        EXPECT_DOUBLE_EQ(order()[i]->zValue(), 4.0 + i / 4.0);
}

TEST_F(ItemHandleTest, PlacedCutoutsJoinTheLiveListInSelectionOrder) {
    CutoutItem* a = addCutout(QSize(40, 40), Qt::red);
    CutoutItem* b = addCutout(QSize(40, 40), Qt::green);
    EXPECT_EQ(liveItems, (QList<FrolixItem*>{a, b}));
    EXPECT_EQ(FrolixItem::selectedItems(), (QList<FrolixItem*>{b}));
    b->setPos(a->pos() + QPointF(500, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      viewPoint(a->sceneBoundingRect().center()));
    EXPECT_EQ(liveItems, (QList<FrolixItem*>{b, a}));
    EXPECT_EQ(FrolixItem::selectedItems(), (QList<FrolixItem*>{a}));
}

}  // namespace
