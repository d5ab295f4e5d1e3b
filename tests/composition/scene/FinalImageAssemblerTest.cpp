#include "CompositionFixture.h"
#include "TestPixmapItem.h"
#include "composition/scene/BackdropController.h"
#include "composition/scene/CropFrame.h"
#include "composition/scene/FinalImageAssembler.h"
#include "composition/scene/FinalImagePreviewDialog.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/ItemController.h"
#include "composition/scene/TextFieldItem.h"
#include "common/ShellUtilities.h"

#include <QLabel>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>

namespace {

using FinalImageAssemblerTest = CompositionFixture;

QPixmap plainPicture(const QColor& colour) {
    QPixmap picture(40, 30);
    picture.fill(colour);
    return picture;
}

TEST_F(FinalImageAssemblerTest, SelectionIsHiddenInTheImageAndKeptAfterIt) {
    TestPixmapItem* item = addItem(QSize(100, 100), Qt::red, QPointF(100, 100));
    item->setSelected(true);
    QSignalSpy selection(view->itemScene(), &QGraphicsScene::selectionChanged);

    const QImage image = renderFinalPixmap().toImage();
    EXPECT_TRUE(item->isSelected());
    EXPECT_EQ(selection.count(), 0);
    EXPECT_FALSE(view->itemScene()->signalsBlocked());
    // Qt's selection frame would draw a dashed line on the item's border.
    for (int x = 100; x < 200; x += 7)
        EXPECT_EQ(image.pixelColor(x, 100), QColor(Qt::red)) << x;
}

// The quit question renders the image while a text is typed: typing goes on where it was.
TEST_F(FinalImageAssemblerTest, ATextBeingTypedIsTypedOnWhereItsCursorWasAfterTheImage) {
    view->activateWindow();
    view->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    auto* field = static_cast<TextFieldItem*>(
        ItemController::instance()->createTextField(QString(), QPointF(200, 150)));
    QTest::keyClicks(view.get(), QStringLiteral("abc"));
    QTest::keyClick(view.get(), Qt::Key_Left);
    ASSERT_EQ(field->toPlainText(), QString("abc"));

    renderFinalPixmap();
    EXPECT_TRUE(field->isSelected());
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(field->textInteractionFlags(), Qt::TextEditorInteraction);
    QTest::keyClicks(view.get(), QStringLiteral("X"));
    EXPECT_EQ(field->toPlainText(), QString("abXc"));
}

TEST_F(FinalImageAssemblerTest, CropLinesStayOutOfTheImageButInTheView) {
    theBackdropController->setBackdropPixmap(plainPicture(Qt::green));
    const QImage withLines = renderCanvas();
    EXPECT_EQ(withLines.pixelColor(200, 0), QColor(Qt::black)) << "the top crop line shows";

    const QImage image = renderFinalPixmap().toImage();
    for (const QPoint& p : {QPoint(200, 0), QPoint(0, 150), QPoint(399, 150), QPoint(200, 299)})
        EXPECT_EQ(image.pixelColor(p), QColor(Qt::green)) << p.x() << "," << p.y();
    for (auto* line : theBackdropController->cropFrame()->lines())
        EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(renderCanvas(), withLines);
}

TEST_F(FinalImageAssemblerTest, ImageHasTheCanvasSizeAtAnyZoomAndClipsItems) {
    TestPixmapItem* item = addItem(QSize(100, 100), Qt::blue, QPointF(350, 250));
    for (qreal proportion : {0.0, 1.0}) {
        view->setZoomProportion(proportion, QPointF(200, 150));
        const QImage image = renderFinalPixmap().toImage();
        ASSERT_EQ(image.size(), QSize(400, 300));
        EXPECT_EQ(image.pixelColor(399, 299), QColor(Qt::blue));
        EXPECT_EQ(image.pixelColor(349, 249), QColor(Qt::white));
    }
    EXPECT_EQ(item->pos(), QPointF(350, 250)) << "the item is untouched";
}

TEST_F(FinalImageAssemblerTest, ItemsPaintAtTheirOwnOpacityEvenWhileFading) {
    TestPixmapItem* item = addItem(QSize(100, 100), QColor(0, 0, 255), QPointF(50, 50));
    item->setItemOpacity(0.5);
    const QColor half(127, 127, 255);

    EXPECT_TRUE(closeColours(renderFinalPixmap().toImage().pixelColor(100, 100), half));
    EXPECT_TRUE(closeColours(renderCanvas().pixelColor(100, 100), half));

    item->setFadeProportion(0.2);   // a fade-in under way
    EXPECT_TRUE(closeColours(renderFinalPixmap().toImage().pixelColor(100, 100), half));
    // The view shows the fade: 0.5 x 0.2 of blue over white.
    EXPECT_TRUE(closeColours(renderCanvas().pixelColor(100, 100), QColor(229, 229, 255), 3));
    EXPECT_DOUBLE_EQ(item->fadeProportion(), 0.2);
}

TEST_F(FinalImageAssemblerTest, TranslucentBackgroundGivesRepeatableTransparentPixels) {
    theBackdropController->setBackgroundColor(QColor(0, 0, 0, 0));
    const QImage first = renderFinalPixmap().toImage();
    EXPECT_EQ(first.pixelColor(200, 150).alpha(), 0);
    EXPECT_EQ(imageChecksum(first), imageChecksum(renderFinalPixmap().toImage()));
    FrolixObject::instance()->reset();
    EXPECT_FALSE(FrolixObject::instance()->isModified());
}

TEST_F(FinalImageAssemblerTest, AssemblerAnnouncesThePixmap) {
    FinalImageAssembler assembler;
    QSignalSpy done(&assembler, &FinalImageAssembler::done);
    assembler.calculateFinalImage();
    ASSERT_EQ(done.count(), 1);
    EXPECT_EQ(done.first().at(0).value<QPixmap>().size(), QSize(400, 300));
    EXPECT_EQ(assembler.finalPixmap().size(), QSize(400, 300));
}

TEST_F(FinalImageAssemblerTest, PreviewShowsTheImageAndReopensWithItsLastGeometry) {
    addItem(QSize(30, 30), Qt::red, QPointF(10, 10));
    const QRect chosen(120, 80, 333, 222);
    {
        FinalImagePreviewDialog preview;
        EXPECT_EQ(preview.windowTitle(), QString("Preview"));
        auto* label = preview.findChild<QScrollArea*>()->widget();
        ASSERT_NE(qobject_cast<QLabel*>(label), nullptr);
        const QImage shown = qobject_cast<QLabel*>(label)->pixmap(Qt::ReturnByValue).toImage();
        EXPECT_EQ(shown.size(), QSize(400, 300));
        EXPECT_EQ(shown.pixelColor(20, 20), QColor(Qt::red));
        preview.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
        preview.setGeometry(chosen);
        preview.accept();
    }
    FinalImagePreviewDialog again;
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_EQ(again.geometry(), chosen);
    again.accept();
}

}  // namespace
