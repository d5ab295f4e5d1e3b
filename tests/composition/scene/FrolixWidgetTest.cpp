#include "CompositionFixture.h"
#include "TestPixmapItem.h"
#include "composition/scene/BackdropController.h"
#include "composition/scene/CutoutController.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/ItemController.h"

#include <QApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>

#include <cmath>

namespace {

using FrolixWidgetTest = CompositionFixture;

void sendMouse(QWidget* viewport, QEvent::Type type, const QPoint& at,
               Qt::MouseButtons held) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), viewport->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

qreal lastProportion(const QSignalSpy& spy) { return spy.last().at(0).toReal(); }

TEST_F(FrolixWidgetTest, FitFillsEightyFivePercentAndCentresTheCanvas) {
    ASSERT_EQ(view->viewport()->size(), QSize(800, 600));
    QSignalSpy proportions(view.get(), &FrolixWidget::zoomProportion);
    view->fitImageOnScreenSlot();

    EXPECT_NEAR(view->transform().m11(), 1.7, 1e-9);
    EXPECT_NEAR(view->transform().m22(), 1.7, 1e-9);
    const QPointF centre = view->visibleSceneRect().center();
    EXPECT_NEAR(centre.x(), 200, 1.0);
    EXPECT_NEAR(centre.y(), 150, 1.0);
    ASSERT_EQ(proportions.count(), 1);
    // minimum zoom min(1.7, 1) = 1, maximum 4: log10(1.7) / log10(4)
    EXPECT_NEAR(lastProportion(proportions), 0.3828, 1e-4);
}

struct ProportionCase {
    qreal proportion;
    qreal zoom;
};

TEST_F(FrolixWidgetTest, ProportionsMapLogarithmicallyBetweenFitAndFour) {
    setViewportSize(QSize(200, 150));
    view->fitImageOnScreenSlot();
    ASSERT_NEAR(view->transform().m11(), 0.425, 1e-9);
    const QPointF centre(200, 150);
    for (const ProportionCase& c : {ProportionCase{0, 0.425}, ProportionCase{1, 4.0},
                                    ProportionCase{0.5, 1.3038}}) {
        SCOPED_TRACE(c.proportion);
        QSignalSpy proportions(view.get(), &FrolixWidget::zoomProportion);
        view->setZoomProportion(c.proportion, centre);
        EXPECT_NEAR(view->transform().m11(), c.zoom, 1e-4);
        ASSERT_EQ(proportions.count(), 1);
        EXPECT_NEAR(lastProportion(proportions), c.proportion, 1e-9);
    }
}

TEST_F(FrolixWidgetTest, ActualPixelsShowsScaleOneAndReportsItsProportion) {
    view->fitImageOnScreenSlot();
    QSignalSpy proportions(view.get(), &FrolixWidget::zoomProportion);
    view->zoomTo100PercentSlot();
    EXPECT_DOUBLE_EQ(view->transform().m11(), 1.0);
    ASSERT_EQ(proportions.count(), 1);
    EXPECT_NEAR(lastProportion(proportions), 0.0, 1e-9);   // 1 is the smallest offered
    EXPECT_EQ(view->sceneRect(), QRectF(0, 0, 400, 300));
}

TEST_F(FrolixWidgetTest, ZoomWithoutACentreKeepsTheScrollPosition) {
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view->fitImageOnScreenSlot();
    view->setZoomProportion(1.0, QPointF(100, 75));   // zoomed in, centred near the top left
    const int horizontal = view->horizontalScrollBar()->value();
    const int vertical = view->verticalScrollBar()->value();
    view->setZoomProportion(0.9, QPointF(0, 0));
    EXPECT_EQ(view->horizontalScrollBar()->value(), horizontal);
    EXPECT_EQ(view->verticalScrollBar()->value(), vertical);
    EXPECT_LT(view->transform().m11(), 4.0);
}

TEST_F(FrolixWidgetTest, AZeroViewportOrEmptySceneGivesNoNaNOrSingularTransform) {
    QSignalSpy proportions(view.get(), &FrolixWidget::zoomProportion);
    view->fitImageOnScreenSlot();

    setViewportSize(QSize(0, 0));
    view->fitImageOnScreenSlot();
    view->updateView(QRect());
    view->setZoomProportion(0.5, QPointF(10, 10));
    view->updateSceneRect();
    EXPECT_TRUE(view->transform().isInvertible());
    for (const QList<QVariant>& emitted : proportions)
        EXPECT_TRUE(std::isfinite(emitted.at(0).toReal()));
    EXPECT_NE(view->transform(), QTransform()) << "a fit without a viewport is skipped";

    // A second view whose scene holds nothing at all.
    FrolixWidget empty;
    empty.resize(300, 200);
    QSignalSpy emptyProportions(&empty, &FrolixWidget::zoomProportion);
    empty.fitImageOnScreenSlot();
    empty.setZoomProportion(0.3, QPointF());
    empty.zoomTo100PercentSlot();
    EXPECT_TRUE(empty.transform().isInvertible());
    for (const QList<QVariant>& emitted : emptyProportions)
        EXPECT_TRUE(std::isfinite(emitted.at(0).toReal()));
}

TEST_F(FrolixWidgetTest, DraggingAnItemOutOfSightGrowsTheSceneRectangle) {
    TestPixmapItem* item = addItem(QSize(50, 50), Qt::red, QPointF(10, 10));
    view->fitImageOnScreenSlot();
    QWidget* viewport = view->viewport();
    const QRectF before = view->sceneRect();

    const QPoint grab = view->mapFromScene(QPointF(35, 35));
    sendMouse(viewport, QEvent::MouseButtonPress, grab, Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseMove, grab + QPoint(10, 10), Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseMove, QPoint(795, 595), Qt::LeftButton);
    const QRectF moved = item->sceneBoundingRect();
    ASSERT_FALSE(view->visibleSceneRect().contains(moved)) << "the drag did not leave the view";
    EXPECT_FALSE(before.contains(moved));
    sendMouse(viewport, QEvent::MouseButtonRelease, QPoint(795, 595), Qt::NoButton);

    EXPECT_EQ(item->sceneBoundingRect(), moved);
    EXPECT_TRUE(view->sceneRect().contains(moved));
}

TEST_F(FrolixWidgetTest, AClickThatMovesNothingKeepsTheSceneRectangle) {
    addItem(QSize(50, 50), Qt::red, QPointF(10, 10));
    view->fitImageOnScreenSlot();
    const QRectF before = view->sceneRect();
    const QPoint at = view->mapFromScene(QPointF(35, 35));
    sendMouse(view->viewport(), QEvent::MouseButtonPress, at, Qt::LeftButton);
    sendMouse(view->viewport(), QEvent::MouseButtonRelease, at, Qt::NoButton);
    EXPECT_EQ(view->sceneRect(), before);
}

TEST_F(FrolixWidgetTest, AcceptsDragsAndHandsDropsOnWithTheirScenePosition) {
    QMimeData data;
    data.setText("words");
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(QPoint(120, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    EXPECT_TRUE(move.isAccepted());

    QPointF droppedAt;
    FrolixWidget::setDropHandler([&](QDropEvent* event, const QPointF& at) {
        droppedAt = at;
        return event->mimeData()->hasText();
    });
    const QPoint target = view->mapFromScene(QPointF(120, 80));
    QDropEvent drop(QPointF(target), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    FrolixWidget::setDropHandler({});
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_NEAR(droppedAt.x(), 120, 1.0);
    EXPECT_NEAR(droppedAt.y(), 80, 1.0);

    QDropEvent unhandled(QPointF(target), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &unhandled);
    EXPECT_FALSE(unhandled.isAccepted());
}

TEST_F(FrolixWidgetTest, CanvasChangeRefitsAndViewStateIsAnEmptyList) {
    view->fitImageOnScreenSlot();
    ItemController::instance()->setCanvasSize(QSize(800, 600));
    EXPECT_NEAR(view->transform().m11(), 0.85, 1e-9);
    EXPECT_EQ(view->stateForSettings(), QVariant(QVariantList()));
    EXPECT_EQ(view->itemScene(), theItemScene);
}

TEST(FrolixWidgetLifetime, DestroyingTheViewLeavesNoDanglingScene) {
    {
        FrolixWidget view;
        ItemController::instance();
        EXPECT_EQ(theItemScene, view.itemScene());
        ASSERT_NE(theBackdropController, nullptr);
        EXPECT_EQ(theBackdropController->scene(), view.itemScene());
        ASSERT_NE(theCutoutController, nullptr);
        const int itemCount = view.itemScene()->items().size();
        theCutoutController->commitCurrentCutout();
        theCutoutController->reset();
        FrolixObject::instance()->reset();
        EXPECT_EQ(theCutoutController->rowCount(), 0);
        EXPECT_EQ(view.itemScene()->items().size(), itemCount);
    }
    EXPECT_EQ(theCutoutController, nullptr);
    EXPECT_EQ(theItemScene, nullptr);
    EXPECT_EQ(theBackdropController, nullptr);
    EXPECT_EQ(FrolixObject::instance()->scene(), nullptr);
}

}  // namespace
