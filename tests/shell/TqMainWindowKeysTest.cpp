// The keys the real main window takes before the current tool, its tool-bar context menu and
// its preferences entry, offscreen, with the photo case on a real engine command thread.
#include "tests/shell/WindowFlowFixture.h"

#include "masking/RectRegion.h"
#include "workspace/NavigatorWindow.h"

namespace {

TEST_F(WindowFlowTest, SpaceHoldsTheHandAndGivesTheBrushBack) {
    openPhoto();
    settle();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    GmTool* brush = theCurrentTool;
    ASSERT_NE(brush, nullptr);
    ASSERT_NE(brush, window->noTool());

    QTest::keyPress(window, Qt::Key_Space);
    GmTool* hand = theCurrentTool;
    EXPECT_NE(hand, brush);
    EXPECT_EQ(window->spaceReturnTool(), brush);
    // Auto-repeated presses change nothing.
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
    QApplication::sendEvent(window, &repeat);
    EXPECT_EQ(theCurrentTool, hand);
    EXPECT_EQ(window->spaceReturnTool(), brush);
    QTest::keyRelease(window, Qt::Key_Space);
    EXPECT_EQ(theCurrentTool, brush);
    EXPECT_EQ(window->spaceReturnTool(), nullptr);
    EXPECT_EQ(window->currentViewTab(), int(ImageView::MaskingTab));

    // With Shift held the key goes to the tool.
    QTest::keyPress(window, Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(theCurrentTool, brush);
    QTest::keyRelease(window, Qt::Key_Space, Qt::ShiftModifier);

    // A release lost to another window still ends the hand.
    QTest::keyPress(window, Qt::Key_Space);
    ASSERT_NE(theCurrentTool, brush);
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(waitUntil([&] { return !window->isActiveWindow(); }));
    EXPECT_EQ(theCurrentTool, brush);
    EXPECT_EQ(window->spaceReturnTool(), nullptr);
}

TEST_F(WindowFlowTest, SpaceOnTheCompositionTakesTheFocusFromTheSceneAndGivesTheToolBack) {
    settle();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    ASSERT_EQ(window->currentViewTab(), int(ImageView::CompositionTab));
    GmTool* before = theCurrentTool;
    QGraphicsScene* scene = window->frolixWidget()->scene();
    auto* text = scene->addText("typed");
    text->setFlag(QGraphicsItem::ItemIsFocusable);
    scene->setFocusItem(text);
    ASSERT_EQ(scene->focusItem(), text);
    QTest::keyPress(window, Qt::Key_Space);
    EXPECT_NE(theCurrentTool, before);
    EXPECT_EQ(window->spaceReturnTool(), before);
    EXPECT_EQ(scene->focusItem(), nullptr);   // the blank does not reach the text
    EXPECT_EQ(window->currentViewTab(), int(ImageView::CompositionTab));
    QTest::keyRelease(window, Qt::Key_Space);
    EXPECT_EQ(theCurrentTool, before);
    delete text;
}

TEST_F(WindowFlowTest, EscapeEndsAStrokeFirstAndCancelsOnlyWithNothingUnderway) {
    openPhoto();
    settle();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    BoxAnswerer discard(QMessageBox::Discard);   // should the cut-out count as changed
    auto* brush = qobject_cast<BrushingTool*>(theCurrentTool);
    ASSERT_NE(brush, nullptr);
    brush->beginStroke(QPointF(100, 100));
    ASSERT_NE(brush->stroke, nullptr);
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_EQ(brush->stroke, nullptr);
    EXPECT_NE(model()->sourceImage(), nullptr);
    EXPECT_EQ(window->currentViewTab(), int(ImageView::MaskingTab));
    // Ctrl+. and Escape with nothing underway: Escape is Cancel then, on an untouched cut-out
    // without a question.
    QTest::keyClick(window, Qt::Key_Period, Qt::ControlModifier);
    EXPECT_NE(model()->sourceImage(), nullptr);
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_EQ(model()->sourceImage(), nullptr);
    EXPECT_EQ(window->currentViewTab(), int(ImageView::CompositionTab));
}

TEST_F(WindowFlowTest, ADisabledWindowEndsTheShowOriginalHold) {
    openPhoto();
    settle();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    auto* button = window->findChild<ShowOriginalToolButton*>();
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isVisible());
    QTest::keyPress(window, Qt::Key_O);
    ASSERT_TRUE(button->isDown());
    ASSERT_EQ(QWidget::keyboardGrabber(), button);
    window->setEnabled(false);   // as while a session waits for the engine
    EXPECT_FALSE(button->isDown());
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    window->setEnabled(true);
}

TEST_F(WindowFlowTest, BackspaceWithoutAnActiveRegionOnlyForwardsTheKey) {
    openPhoto();
    ASSERT_EQ(model()->activeRegion(), nullptr);
    const int regions = model()->regions().size();
    QTest::keyClick(window, Qt::Key_Backspace);
    EXPECT_EQ(model()->regions().size(), regions);
    EXPECT_NE(model()->sourceImage(), nullptr);
}

// The panels take Backspace from the window: there it deletes the active patch too.
TEST_F(WindowFlowTest, BackspaceInAPanelDeletesTheActivePatch) {
    openPhoto();
    QPointer<GmRegion> region = new RectRegion(QRectF(10, 10, 40, 30));
    model()->addArrowTarget(region);
    model()->setActiveRegion(region, 0);
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    ASSERT_EQ(model()->activeRegion(), region.data());

    QTest::keyClick(window->navigatorWindow(), Qt::Key_Backspace);
    EXPECT_EQ(model()->activeRegion(), nullptr);
    EXPECT_FALSE(model()->regions().contains(region.data()));
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
}

TEST_F(WindowFlowTest, RightClickOnAToolBarShowsNoMenu) {
    QToolBar* options = window->findChild<QToolBar*>("ToolBar-Options");
    ASSERT_NE(options, nullptr);
    const QPoint inside = options->mapTo(window, QPoint(2, 2));
    QContextMenuEvent event(QContextMenuEvent::Mouse, inside, window->mapToGlobal(inside));
    QApplication::sendEvent(window, &event);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(WindowFlowTest, PreferencesOpenTheOneDialogLoadedFromTheSettings) {
    QSettings().setValue("OnImageLoad", 2);
    window->invokePreferencesSlot();
    ZolPreferences* dialog = ZolPreferences::existingInstance();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(ZolPreferences::onImageLoad(), 2);
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    window->invokePreferencesSlot();
    ASSERT_NE(ZolPreferences::existingInstance(), nullptr);
    EXPECT_TRUE(ZolPreferences::existingInstance()->isVisible());
}

}  // namespace
