#include "CompositionFixture.h"
#include "TestPixmapItem.h"
#include "composition/panels/CanvasSettings.h"
#include "composition/scene/BackdropController.h"
#include "composition/scene/BackdropItem.h"
#include "composition/scene/CropFrame.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/ItemController.h"

#include <QSignalSpy>

namespace {

using ItemControllerTest = CompositionFixture;

TEST_F(ItemControllerTest, CanvasSizeMovesBackdropCropLinesAndCascadeOffset) {
    ItemController::instance()->setCanvasSize(QSize(640, 480));
    EXPECT_EQ(FrolixObject::instance()->canvasRect(), QRect(0, 0, 640, 480));
    ASSERT_NE(theBackdropController, nullptr);
    EXPECT_EQ(theBackdropController->backdropItem()->pixmap().size(), QSize(640, 480));
    EXPECT_EQ(theBackdropController->backdropItem()->boundingRect(), QRectF(0, 0, 640, 480));
    EXPECT_EQ(itemCascadeOffset, QPointF(24, 24));

    const auto& lines = theBackdropController->cropFrame()->lines();
    const QLineF expected[] = {{0, 0, 640, 0}, {640, 0, 640, 480}, {640, 480, 0, 480},
                               {0, 480, 0, 0}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i]->line(), expected[i]);
        EXPECT_DOUBLE_EQ(lines[i]->zValue(), 8.0);
        EXPECT_TRUE(lines[i]->pen().isCosmetic());
        EXPECT_EQ(lines[i]->pen().color(), QColor(Qt::black));
    }
    EXPECT_DOUBLE_EQ(theBackdropController->backdropItem()->zValue(), 2.0);
    EXPECT_EQ(theBackdropController->backdropItem()->type(), QGraphicsItem::UserType + 3);
}

TEST_F(ItemControllerTest, ColourBackdropKeepsItsOutlineOnTopRowAndLeftColumn) {
    theBackdropController->setBackgroundColor(Qt::red);
    const QImage backdrop = theBackdropController->backdropItem()->pixmap().toImage();
    ASSERT_EQ(backdrop.size(), QSize(400, 300));
    for (const QPoint& p : {QPoint(0, 0), QPoint(200, 0), QPoint(399, 0), QPoint(0, 150),
                            QPoint(0, 299)})
        EXPECT_EQ(backdrop.pixelColor(p), QColor(Qt::black)) << p.x() << "," << p.y();
    for (const QPoint& p : {QPoint(1, 1), QPoint(399, 299), QPoint(200, 150), QPoint(399, 1),
                            QPoint(1, 299)})
        EXPECT_EQ(backdrop.pixelColor(p), QColor(Qt::red)) << p.x() << "," << p.y();
}

TEST_F(ItemControllerTest, BackdropPictureIsStretchedOverTheCanvasAndShownInTheDialog) {
    // Left half blue, right half yellow: a stretch keeps the halves, a crop would not.
    QImage picture(1000, 500, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    for (int y = 0; y < 500; ++y)
        for (int x = 500; x < 1000; ++x)
            picture.setPixelColor(x, y, Qt::yellow);
    ItemController::instance()->setBackdropPixmapSlot(QPixmap::fromImage(picture), QSize(800, 400));

    EXPECT_EQ(FrolixObject::instance()->canvasRect(), QRect(0, 0, 800, 400));
    const QImage backdrop = theBackdropController->backdropItem()->pixmap().toImage();
    ASSERT_EQ(backdrop.size(), QSize(800, 400));
    EXPECT_EQ(backdrop.pixelColor(0, 0), QColor(Qt::blue)) << "the picture covers the outline";
    EXPECT_EQ(backdrop.pixelColor(390, 200), QColor(Qt::blue));
    EXPECT_EQ(backdrop.pixelColor(410, 200), QColor(Qt::yellow));
    EXPECT_EQ(backdrop.pixelColor(799, 399), QColor(Qt::yellow));

    auto* dialog = static_cast<CanvasSettings*>(ItemController::instance()->canvasSettings());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->backdropPixmap().size(), QSize(1000, 500));
    EXPECT_EQ(dialog->previewWidget->backdrop().size(), QSize(1000, 500));
    EXPECT_EQ(dialog->widthSpinBox->value(), 800);
    EXPECT_EQ(dialog->heightSpinBox->value(), 400);
}

TEST_F(ItemControllerTest, ClearAllEmptiesTheCanvasButKeepsTheTrash) {
    for (int i = 0; i < 3; ++i)
        addItem(QSize(10, 10), Qt::red, QPointF(i * 20, 0));
    TestPixmapItem* trashed = addItem(QSize(10, 10), Qt::blue);
    view->itemScene()->removeItem(trashed);
    liveItems.removeAll(trashed);
    trashedItems.append(trashed);
    theBackdropController->setBackgroundColor(Qt::green);
    QPixmap picture(20, 20);
    picture.fill(Qt::black);
    theBackdropController->setBackdropPixmap(picture);

    ItemController::instance()->clearAll();
    EXPECT_TRUE(liveItems.isEmpty());
    EXPECT_EQ(trashedItems, QList<FrolixItem*>{trashed});
    EXPECT_EQ(theBackdropController->backgroundColour(), QColor(Qt::white));
    EXPECT_TRUE(theBackdropController->backdropPixmap().isNull());
    EXPECT_EQ(renderCanvas().pixelColor(200, 150), QColor(Qt::white));

    trashedItems.clear();
    delete trashed;
}

TEST_F(ItemControllerTest, ResettingTheDefaultCanvasIsSilent) {
    QSignalSpy changes(FrolixObject::instance(), &FrolixObject::canvasChanged);
    ItemController::instance()->resetCanvasSettings();
    EXPECT_EQ(changes.count(), 0);
    ItemController::instance()->setCanvasSize(QSize(500, 300));
    FrolixObject::instance()->reset();
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(FrolixObject::instance()->canvasRect(), QRect(0, 0, 400, 300));
}

TEST_F(ItemControllerTest, CanvasSettingsAreSeededFromTheCanvasAndAppliedOnOk) {
    ItemController* controller = ItemController::instance();
    controller->setCanvasSize(QSize(640, 480));
    theBackdropController->setBackgroundColor(QColor(10, 20, 30));
    controller->showCanvasSettings();
    auto* dialog = static_cast<CanvasSettings*>(controller->canvasSettings());
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->backgroundColour(), QColor(10, 20, 30));
    EXPECT_EQ(dialog->widthSpinBox->value(), 640);
    EXPECT_EQ(dialog->heightSpinBox->value(), 480);
    EXPECT_TRUE(dialog->backdropPixmap().isNull());

    dialog->widthSpinBox->setValue(300);
    EXPECT_EQ(FrolixObject::instance()->canvasRect(), QRect(0, 0, 640, 480))
        << "nothing reaches the canvas before OK";
    dialog->accept();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(FrolixObject::instance()->canvasRect(), QRect(0, 0, 300, 480));
    EXPECT_EQ(theBackdropController->backgroundColour(), QColor(10, 20, 30));
}

}  // namespace
