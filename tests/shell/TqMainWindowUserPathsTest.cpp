// The real main window, offscreen, driven the way a user drives it: palette buttons clicked,
// keys typed to whatever has the keyboard focus. Edge Smoothing, typing into new text fields
// and bubbles, leaving while a text is edited, and the brush the palette gives back.
#include "tests/shell/WindowFlowFixture.h"

#include "composition/panels/TruncatedFontComboBox.h"
#include "composition/scene/SpeechBubbleItem.h"
#include "composition/scene/TextFieldItem.h"
#include "masking/AutoCut.h"
#include "common/Product.h"
#include "workspace/GmZoomWidget.h"
#include "workspace/ToolBarPalette.h"

#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyleHints>
#include <QWindow>

namespace {

// Keys as a keyboard sends them: to the window with the focus, shortcuts first, then to the
// focused widget.
void typeOnKeyboard(const QString& text) { QTest::keyClicks(static_cast<QWidget*>(nullptr), text); }

void pressOnKeyboard(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
}

class UserPathsTest : public WindowFlowTest {
protected:
    void clickPaletteEntry(const QString& text) {
        QAction* entry = action(text);
        ASSERT_NE(entry, nullptr) << text.toStdString();
        QWidget* button = window->toolPalette()->widgetForAction(entry);
        ASSERT_NE(button, nullptr) << text.toStdString();
        ASSERT_TRUE(button->isVisible()) << text.toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    /// The text fields of the composition that are not bubbles, and the bubbles.
    template <typename Item>
    QList<Item*> sceneItems(bool bubbles) const {
        QList<Item*> found;
        for (QGraphicsItem* item : window->frolixWidget()->scene()->items())
            if (auto* typed = dynamic_cast<Item*>(item))
                if ((dynamic_cast<SpeechBubbleItem*>(item) != nullptr) == bubbles)
                    found << typed;
        return found;
    }
    void startOnTheComposition() {
        settle();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        ASSERT_EQ(window->currentViewTab(), int(ImageView::CompositionTab));
    }
};

TEST_F(UserPathsTest, EdgeSmoothingFromThePaletteAndItsKeyChangesItsLookAndTheCanvas) {
    openPhoto();
    // A kept patch in a deleted picture with a Touch-Up dab over its rim: the ratio decides how
    // the touched-up pixels are blended.
    queueDeleteAllThenKeepDab(320, 240);
    auto* rim = new GmBrushing(Qt::red);
    rim->brushing().startStroke(QPointF(332, 240));
    thread()->submit(new JxCmdSelect(model(), rim, JxStatusAllClasses, JxStatusBlend, 0, 1));
    ASSERT_TRUE(waitUntil([this] { return engineIdle() && !model()->autoCut()->isBusy(); }));
    settle();
    QAction* smoothing = action("Edge Smoothing");
    ASSERT_NE(smoothing, nullptr);
    ASSERT_FALSE(smoothing->isChecked());
    auto* canvas = window->findChild<GmZoomWidget*>();
    ASSERT_NE(canvas, nullptr);
    const QString sharperTip = smoothing->toolTip();
    const QImage sharperIcon = smoothing->icon().pixmap(32, 32).toImage();
    const QImage sharper = canvas->grab().toImage();

    clickPaletteEntry("Edge Smoothing");
    EXPECT_TRUE(smoothing->isChecked());
    EXPECT_TRUE(smoothing->toolTip().contains("Edges are currently smoothed"))
        << smoothing->toolTip().toStdString();
    EXPECT_NE(smoothing->icon().pixmap(32, 32).toImage(), sharperIcon);
    EXPECT_TRUE(waitUntil([&] {
        return engineIdle() && !model()->autoCut()->isBusy() && canvas->grab().toImage() != sharper;
    }));
    const QImage smoothed = canvas->grab().toImage();

    QTest::keyClick(window, Qt::Key_S);
    EXPECT_FALSE(smoothing->isChecked());
    EXPECT_EQ(smoothing->toolTip(), sharperTip);
    EXPECT_EQ(smoothing->icon().pixmap(32, 32).toImage(), sharperIcon);
    EXPECT_TRUE(waitUntil([&] {
        return engineIdle() && !model()->autoCut()->isBusy() && canvas->grab().toImage() != smoothed;
    }));
}

// Add Text, type, pick another font in the font box, Add Speech Bubble, type: the second text
// goes into the bubble, not into the font box that had the keyboard.
TEST_F(UserPathsTest, ANewBubbleTakesTheTypingAfterTheFontBoxHadTheKeyboard) {
    startOnTheComposition();
    clickPaletteEntry("Add Text");
    ASSERT_EQ(sceneItems<TextFieldItem>(false).size(), 1);
    TextFieldItem* field = sceneItems<TextFieldItem>(false).front();
    typeOnKeyboard("First");
    EXPECT_EQ(field->toPlainText(), "First");

    TruncatedFontComboBox* fontBox = nullptr;
    for (auto* box : window->findChildren<TruncatedFontComboBox*>())
        if (box->isVisible())
            fontBox = box;
    ASSERT_NE(fontBox, nullptr);
    QTest::mouseClick(fontBox->lineEdit(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([fontBox] { return fontBox->lineEdit()->hasFocus(); }));
    const QString firstFont = fontBox->currentText();
    pressOnKeyboard(Qt::Key_Down);
    ASSERT_NE(fontBox->currentText(), firstFont);

    clickPaletteEntry("Add Speech Bubble");
    ASSERT_EQ(sceneItems<SpeechBubbleItem>(true).size(), 1);
    SpeechBubbleItem* bubble = sceneItems<SpeechBubbleItem>(true).front();
    typeOnKeyboard("Second");
    EXPECT_EQ(bubble->toPlainText(), "Second");
    EXPECT_EQ(field->toPlainText(), "First");
}

// While a text is typed the window's shortcuts are held back, but for leaving the program.
TEST_F(UserPathsTest, CtrlQLeavesWhileATextFieldIsEditedAndOtherShortcutsWait) {
    startOnTheComposition();
    clickPaletteEntry("Add Text");
    ASSERT_EQ(sceneItems<TextFieldItem>(false).size(), 1);
    typeOnKeyboard("Hi");
    ASSERT_EQ(sceneItems<TextFieldItem>(false).front()->toPlainText(), "Hi");

    pressOnKeyboard(Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);   // Add Text
    EXPECT_EQ(sceneItems<TextFieldItem>(false).size(), 1);

    QSignalSpy exit(action("E&xit " + productDisplayName()), &QAction::triggered);
    BoxAnswerer cancel(QMessageBox::Cancel);   // the question about the unsaved composition
    pressOnKeyboard(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(exit.count(), 1);
    EXPECT_TRUE(waitUntil([&] { return !cancel.texts.isEmpty() || !window; }));
}

// Ctrl+Q asks about the unsaved composition; Cancel goes back to typing where the cursor
// was, twice over: the letters go into the bubble and fire no shortcut (S is Set Up Canvas).
TEST_F(UserPathsTest, CancellingTheQuitQuestionGoesBackToTheEditedText) {
    startOnTheComposition();
    clickPaletteEntry("Add Speech Bubble");
    ASSERT_EQ(sceneItems<SpeechBubbleItem>(true).size(), 1);
    SpeechBubbleItem* bubble = sceneItems<SpeechBubbleItem>(true).front();
    typeOnKeyboard("Hi");
    ASSERT_EQ(bubble->toPlainText(), "Hi");
    QSignalSpy canvasSettings(action("Set Up Canvas"), &QAction::triggered);

    BoxAnswerer cancel(QMessageBox::Cancel);
    for (const QString& typed : {QStringLiteral("Y"), QStringLiteral("s")}) {
        SCOPED_TRACE(typed.toStdString());
        const int asked = cancel.texts.size();
        pressOnKeyboard(Qt::Key_Q, Qt::ControlModifier);
        ASSERT_TRUE(waitUntil([&] { return cancel.texts.size() == asked + 1; }));
        ASSERT_TRUE(waitUntil([this] { return QApplication::activeModalWidget() == nullptr; }));
        // The window manager gives the keyboard back to the window (offscreen there is none).
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        EXPECT_EQ(bubble->textInteractionFlags(), Qt::TextEditorInteraction);
        EXPECT_TRUE(bubble->hasFocus());
        typeOnKeyboard(typed);
    }
    EXPECT_EQ(bubble->toPlainText(), "HiYs");
    EXPECT_EQ(canvasSettings.count(), 0);
}

// Four fast clicks on a placed cut-out: the toolkit makes the second a double click, which
// reopens the cut-out, and the third and fourth land on the masking canvas under the current
// brush. They belong to the gesture that opened it and paint nothing; a click after a pause
// paints. The clicks go through the window as the window system delivers them, their times a
// quarter of the double-click interval apart; however long the reopening takes, they keep
// those times, so the last two are delivered once the canvas takes strokes.
TEST_F(UserPathsTest, FastClicksThatReopenACutoutPaintNothingInTheMaskingView) {
    CutoutItem* item = placeOneCutout();
    ASSERT_NE(item, nullptr);
    settle();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    auto* canvas = window->findChild<GmZoomWidget*>();
    ASSERT_NE(canvas, nullptr);
    const auto readyToPaint = [this] {
        return engineIdle() && window->isEnabled() && theCurrentTool &&
               theCurrentTool->isBrush() && theCurrentTool->isUsable();
    };

    // The small cut-out goes where the masking canvas shows the middle of the photo, so that
    // the clicks that reopen it land on the photo.
    doubleClick(item);
    ASSERT_TRUE(waitUntil(readyToPaint));
    const QPoint photoMiddle = canvas->mapToGlobal(canvas->displayRect().center());
    window->createCutoutItemCancelled();
    ASSERT_TRUE(waitUntil([this] { return placed(); }));
    settle();
    QGraphicsView* composition = window->frolixWidget();
    const QPoint inView = composition->viewport()->mapFromGlobal(photoMiddle);
    ASSERT_TRUE(composition->viewport()->rect().contains(inView));
    item->setPos(item->pos() + composition->mapToScene(inView) - item->sceneBoundingRect().center());

    QStringList brushing;
    QObject::connect(thread(), &OstrivalThread::commandStarted, window,
                     [&brushing](OstrivalCommand* command) {
                         if (command->name() == QStringLiteral("Brushing..."))
                             brushing << command->name();
                     });
    QWindow* handle = window->windowHandle();
    const QPoint at = handle->mapFromGlobal(photoMiddle);
    const int step = std::max(1, QGuiApplication::styleHints()->mouseDoubleClickInterval() / 4);
    const auto click = [handle, at](int time) {
        qt_handleMouseEvent(handle, at, handle->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                            QEvent::MouseButtonPress, Qt::NoModifier, time);
        qt_handleMouseEvent(handle, at, handle->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                            QEvent::MouseButtonRelease, Qt::NoModifier, time + 1);
    };
    const int start = QTest::lastMouseTimestamp + 10 * step;
    QTest::lastMouseTimestamp = start + 20 * step;   // later QTest events come after these
    click(start);
    click(start + step);
    ASSERT_EQ(window->currentViewTab(), int(ImageView::MaskingTab)) << "the double click reopens";
    ASSERT_TRUE(waitUntil(readyToPaint));
    ASSERT_TRUE(canvas->displayRect().contains(canvas->mapFromGlobal(photoMiddle)));
    const bool undoBefore = action("&Undo")->isEnabled();
    click(start + 2 * step);
    click(start + 3 * step);
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    EXPECT_TRUE(brushing.isEmpty()) << brushing.size() << " strokes";
    EXPECT_TRUE(model()->isUnmodified()) << "Cancel would ask about changes";
    EXPECT_EQ(action("&Undo")->isEnabled(), undoBefore);

    click(start + 13 * step);   // after a pause: a click of its own
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    EXPECT_EQ(brushing.size(), 1) << "a later click paints";
}

// Finish a cut-out with a brush current, which closes its image, come back with a new image:
// the brushes stay disabled until the new image is ready, and a disabled action still emits
// when triggered from code, so the palette must not trigger the brush it remembers; once the
// image is ready a usable brush is current.
TEST_F(UserPathsTest, ComingBackToTheCutoutNeverTriggersADisabledBrush) {
    openPhoto();
    settle();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    action("Erase")->trigger();
    ASSERT_EQ(theCurrentTool->action()->text(), "Erase");
    QTest::keyClick(window, Qt::Key_Return);   // Finish: the picture goes onto the composition
    ASSERT_TRUE(waitUntil([this] { return placed() && !model()->sourceImage(); }));
    ASSERT_FALSE(action("Erase")->isEnabled());

    QStringList triggeredWhileDisabled;
    for (const char* brush : {"Flood Erase", "Erase", "Restore", "Touch-Up"}) {
        QAction* entry = action(QString::fromLatin1(brush));
        ASSERT_NE(entry, nullptr) << brush;
        QObject::connect(entry, &QAction::triggered, window, [&triggeredWhileDisabled, entry] {
            if (!entry->isEnabled())
                triggeredWhileDisabled << entry->text();
        });
    }
    window->loadFile(photo);
    ASSERT_EQ(window->currentViewTab(), int(ImageView::MaskingTab));
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    settle();
    EXPECT_TRUE(triggeredWhileDisabled.isEmpty()) << triggeredWhileDisabled.join(", ").toStdString();
    ASSERT_NE(theCurrentTool, nullptr);
    EXPECT_NE(theCurrentTool, window->noTool());
    EXPECT_TRUE(theCurrentTool->action()->isEnabled());
}

}  // namespace
