#include "CompositionFixture.h"
#include "TestPixmapItem.h"
#include "composition/scene/FrolixItem.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/ItemController.h"

#include <QAction>

#include <cmath>

namespace {

using FrolixItemTest = CompositionFixture;

struct CanvasCase {
    QSize newCanvas;
    QPointF position;   // of an item that stood at (100, 60) on 400 x 300
    double scale;
};

class CanvasFollow : public CompositionFixture, public ::testing::WithParamInterface<CanvasCase> {};

TEST_P(CanvasFollow, ItemsKeepTheirPlaceAndSizeRelativeToTheCanvas) {
    const CanvasCase& c = GetParam();
    TestPixmapItem* item = addItem(QSize(40, 20), Qt::red, QPointF(100, 60));
    ItemController::instance()->setCanvasSize(c.newCanvas);
    EXPECT_NEAR(item->pos().x(), c.position.x(), 1e-9);
    EXPECT_NEAR(item->pos().y(), c.position.y(), 1e-9);
    EXPECT_NEAR(item->transform().m11(), c.scale, 1e-9);
    EXPECT_NEAR(item->transform().m22(), c.scale, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    FrolixItem, CanvasFollow,
    ::testing::Values(CanvasCase{{400, 300}, {100, 60}, 1.0},
                      CanvasCase{{200, 150}, {50, 30}, 0.5},
                      CanvasCase{{200, 300}, {50, 60}, std::sqrt(0.5)},
                      CanvasCase{{800, 600}, {200, 120}, 2.0}));

TEST_F(FrolixItemTest, RenderedItemsFollowACanvasChange) {
    addItem(QSize(40, 40), Qt::red, QPointF(200, 150));
    ItemController::instance()->setCanvasSize(QSize(200, 150));
    const QImage image = renderCanvas();
    EXPECT_EQ(pixelAt(image, 110, 85), QColor(Qt::red));   // inside (100, 75)..(120, 95)
    EXPECT_EQ(pixelAt(image, 125, 85), QColor(Qt::white));
    EXPECT_EQ(pixelAt(image, 95, 85), QColor(Qt::white));
}

TEST_F(FrolixItemTest, SelectionMovesAnItemToTheEndOfTheLiveList) {
    TestPixmapItem* a = addItem(QSize(10, 10), Qt::red, QPointF(0, 0));
    TestPixmapItem* b = addItem(QSize(10, 10), Qt::red, QPointF(50, 0));
    TestPixmapItem* c = addItem(QSize(10, 10), Qt::red, QPointF(100, 0));
    EXPECT_EQ(liveItems, (QList<FrolixItem*>{a, b, c}));
    EXPECT_EQ(FrolixItem::firstSelectedItem(), nullptr);

    c->setSelected(true);
    a->setSelected(true);
    EXPECT_EQ(liveItems, (QList<FrolixItem*>{b, c, a}));
    EXPECT_EQ(FrolixItem::selectedItems(), (QList<FrolixItem*>{c, a}));
    EXPECT_EQ(FrolixItem::firstSelectedItem(), c) << "the one selected earliest comes first";
    EXPECT_EQ(FrolixItem::liveGraphicsItems(), (QList<QGraphicsItem*>{b, c, a}));
}

TEST_F(FrolixItemTest, OnlyASelectedItemIsMovableAndALostSelectionTakesTheFocus) {
    TestPixmapItem* item = addItem(QSize(10, 10), Qt::red);
    EXPECT_FALSE(item->flags() & QGraphicsItem::ItemIsMovable);
    item->setSelected(true);
    item->setFocus();
    EXPECT_TRUE(item->flags() & QGraphicsItem::ItemIsMovable);
    ASSERT_TRUE(item->hasFocus());
    item->setSelected(false);
    EXPECT_FALSE(item->flags() & QGraphicsItem::ItemIsMovable);
    EXPECT_FALSE(item->hasFocus());
}

TEST_F(FrolixItemTest, BringToFrontRenumbersBetweenFourAndFive) {
    TestPixmapItem* a = addItem(QSize(10, 10), Qt::red);
    TestPixmapItem* b = addItem(QSize(10, 10), Qt::red);
    TestPixmapItem* c = addItem(QSize(10, 10), Qt::red);
    renumberZValues({a, b, c});
    EXPECT_DOUBLE_EQ(a->zValue(), 4.0);
    EXPECT_NEAR(c->zValue(), 4.0 + 2.0 / 3.0, 1e-12);

    a->bringToFront();
    EXPECT_NEAR(b->zValue(), 4.0, 1e-12);
    EXPECT_NEAR(c->zValue(), 4.0 + 1.0 / 3.0, 1e-12);
    EXPECT_NEAR(a->zValue(), 4.0 + 2.0 / 3.0, 1e-12);

    // The topmost item stays on top.
    a->bringToFront();
    EXPECT_NEAR(a->zValue(), 4.0 + 2.0 / 3.0, 1e-12);
    EXPECT_LT(a->zValue(), 5.0);
}

TEST_F(FrolixItemTest, ExactOverlapCascadesOncePerItemReached) {
    addItem(QSize(10, 10), Qt::red, QPointF(20, 20));
    addItem(QSize(10, 10), Qt::red, QPointF(30, 30));
    TestPixmapItem* fresh = addItem(QSize(10, 10), Qt::red, QPointF(20, 20));
    fresh->avoidExactOverlap();
    // (20, 20) meets `first`, then (30, 30) meets `shifted`, which comes later in the list.
    EXPECT_EQ(fresh->pos(), QPointF(40, 40));

    // An item earlier in the list is not compared again.
    addItem(QSize(10, 10), Qt::blue, QPointF(110, 110));   // earlier in the list
    addItem(QSize(10, 10), Qt::blue, QPointF(100, 100));
    TestPixmapItem* c = addItem(QSize(10, 10), Qt::blue, QPointF(100, 100));
    c->avoidExactOverlap();
    EXPECT_EQ(c->pos(), QPointF(110, 110)) << "the item at (110, 110) was passed already";
}

TEST_F(FrolixItemTest, DeletingAnItemTakesItsTrashEntryAlong) {
    QGraphicsScene* scene = view->itemScene();
    const int before = scene->findChildren<QAction*>().size();
    TestPixmapItem* item = addItem(QSize(10, 10), Qt::red);
    QAction* entry = item->restoreAction();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->parent(), scene);
    EXPECT_EQ(entry->data().value<void*>(), static_cast<void*>(static_cast<FrolixItem*>(item)));
    EXPECT_TRUE(item->flags() & QGraphicsItem::ItemSendsGeometryChanges);

    delete item;
    EXPECT_EQ(scene->findChildren<QAction*>().size(), before);
    EXPECT_TRUE(liveItems.isEmpty());
}

TEST_F(FrolixItemTest, TrashPreviewShowsOneTrashedItemAtATime) {
    ItemScene* scene = view->itemScene();
    TestPixmapItem* first = addItem(QSize(10, 10), Qt::red);
    TestPixmapItem* second = addItem(QSize(10, 10), Qt::blue);
    for (TestPixmapItem* item : {first, second}) {   // as the trash holds them
        scene->removeItem(item);
        liveItems.removeAll(item);
        trashedItems.append(item);
    }
    QAction other(QStringLiteral("Empty Trash"));

    scene->restoreItemHovered(first->restoreAction());
    EXPECT_EQ(first->ownerScene(), scene);
    EXPECT_EQ(static_cast<QGraphicsItem*>(first)->scene(), scene);
    EXPECT_EQ(scene->previewedEntry(), first);
    scene->restoreItemHovered(second->restoreAction());
    EXPECT_EQ(static_cast<QGraphicsItem*>(first)->scene(), nullptr);
    EXPECT_EQ(static_cast<QGraphicsItem*>(second)->scene(), scene);
    scene->restoreItemHovered(&other);
    EXPECT_EQ(static_cast<QGraphicsItem*>(second)->scene(), nullptr);
    EXPECT_EQ(scene->previewedEntry(), nullptr);

    scene->restoreItemHovered(first->restoreAction());
    scene->restoreItemHide();
    EXPECT_EQ(static_cast<QGraphicsItem*>(first)->scene(), nullptr);

    trashedItems.clear();
    delete first;
    delete second;
}

}  // namespace
