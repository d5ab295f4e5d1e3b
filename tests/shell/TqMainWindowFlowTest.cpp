// The real main window end to end, offscreen, on a real engine command thread: what the user
// sees of the engine's work and failures, Undo and Redo, finishing a cut-out onto the
// composition (also while strokes are still queued), editing it again, closing with the save
// questions and the keys the window handles itself.
#include "tests/shell/MainWindowFixture.h"

#include "composition/scene/CutoutItem.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/FrolixWidget.h"
#include "masking/GmBrushing.h"
#include "masking/GmModel.h"
#include "masking/JxCmdSelect.h"
#include "masking/OstrivalThread.h"
#include "masking/SavedCutoutState.h"
#include "masking/SegmentationStuff.h"
#include "masking/TqSourceImage.h"
#include "shell/TqApp.h"
#include "shell/TqMainWindow.h"
#include "shell/ZolPreferences.h"
#include "workspace/BrushSizeValue.h"
#include "workspace/BrushingTool.h"
#include "workspace/GmTool.h"
#include "workspace/ImageView.h"

#include <QAbstractButton>
#include <QAction>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGraphicsScene>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString photo = QStringLiteral(ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png");

bool waitUntil(const std::function<bool()>& done, int ms = 30000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

/// Answers every message box that comes up with `button` and remembers their texts.
class BoxAnswerer {
public:
    explicit BoxAnswerer(QMessageBox::StandardButton button) : button_(button) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(10);
    }
    QStringList texts;
    QStringList titles;
    void setButton(QMessageBox::StandardButton button) { button_ = button; }

private:
    void poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->isHidden() || box == last_)
            return;
        last_ = box;
        texts << box->text();
        titles << box->windowTitle();
        QAbstractButton* answer = box->button(button_);
        if (!answer)
            answer = box->button(QMessageBox::Ok);
        if (answer)
            answer->click();
        else
            box->reject();
    }
    QMessageBox::StandardButton button_;
    QPointer<QMessageBox> last_;
    QTimer timer_;
};

/// Answers every file dialog that comes up with `target`.
class FileDialogAnswerer {
public:
    explicit FileDialogAnswerer(const QString& target) {
        QObject::connect(&timer_, &QTimer::timeout, [target] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                dialog->selectFile(target);
                static_cast<QDialog*>(dialog)->accept();
            }
        });
        timer_.start(10);
    }

private:
    QTimer timer_;
};

/// A command whose engine call reports that the engine library failed.
class FailingCommand : public OstrivalCommand {
public:
    explicit FailingCommand(GmModel* model)
        : OstrivalCommand(model, QStringLiteral("Failing step")) {}
    void execute() override { result_ = 5; }
    void hasFinished() override { checkResult(result_); }
    bool refreshesUndoCounts() const override { return false; }
};

class WindowFlowTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        QSettings().setValue("OnImageLoad", 1);   // a photo opened becomes a cut-out
    }
    GmModel* model() const { return GmModel::instance(); }
    OstrivalThread* thread() const { return theEngineThread; }
    bool engineIdle() const {
        return thread() && thread()->isIdle() && !model()->isWaitingToOpenSession();
    }
    /// Opens the photo as a cut-out and waits for its session and first work to end.
    void openPhoto() {
        window->loadFile(photo);
        ASSERT_NE(model()->sourceImage(), nullptr);
        ASSERT_TRUE(waitUntil([this] { return engineIdle() && model()->statusArray(); }));
        ASSERT_EQ(window->currentViewTab(), int(ImageView::MaskingTab));
    }
    /// Everything deleted, then one keep dab of 25 pixels at (x, y), all queued at once.
    void queueDeleteAllThenKeepDab(int x, int y) {
        BrushSizeValue::setBrushSize(25);
        thread()->submit(new JxCmdSelect(model(), nullptr, JxStatusAllClasses, JxStatusDelete));
        auto* stroke = new GmBrushing(Qt::red);
        stroke->brushing().startStroke(QPointF(x, y));
        thread()->submit(new JxCmdSelect(model(), stroke, JxStatusAllClasses, JxStatusKeep, 0, 1));
    }
    QList<CutoutItem*> cutoutItems() const {
        QList<CutoutItem*> items;
        for (QGraphicsItem* item : window->frolixWidget()->scene()->items())
            if (auto* cutout = dynamic_cast<CutoutItem*>(item); cutout && cutout->isVisible())
                items << cutout;
        return items;
    }
    bool placed() const {
        return !window->isPlacementPending() &&
               window->currentViewTab() == int(ImageView::CompositionTab);
    }
    void settle() { QTest::qWait(450); }
};

// --- The engine's work as the user sees it ---------------------------------------------------

TEST_F(WindowFlowTest, AnAnalysisShowsItsProgressAndIsResetWhenItEnds) {
    openPhoto();
    QProgressBar* bar = window->progressBar();
    int highest = 0;
    QObject watching;   // ends the connection with the test body
    QObject::connect(bar, &QProgressBar::valueChanged, &watching,
                     [&](int value) { highest = qMax(highest, value); });
    model()->imageSmeg()->analyse();
    ASSERT_NE(thread()->currentCommand(), nullptr);
    const QString name = thread()->currentCommand()->name();
    EXPECT_FALSE(name.isEmpty());
    EXPECT_EQ(window->statusBar()->currentMessage(), name);
    EXPECT_EQ(bar->toolTip(), name);
    EXPECT_TRUE(bar->isTextVisible());
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    EXPECT_EQ(highest, 100);   // the completion report comes before the finish
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(bar->isTextVisible());
    EXPECT_TRUE(bar->toolTip().isEmpty());
    EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty());

    // A report that arrives after its command finished is not shown.
    window->commandProgressSlot(42);
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(WindowFlowTest, CancellingAnAnalysisSaysSoUntilItEnds) {
    openPhoto();
    model()->imageSmeg()->analyse();
    ASSERT_NE(thread()->currentCommand(), nullptr);
    thread()->cancelCommandsSlot();
    EXPECT_EQ(window->statusBar()->currentMessage(), "Canceling...");
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    EXPECT_EQ(window->progressBar()->value(), 0);
    EXPECT_FALSE(window->progressBar()->isTextVisible());
}

TEST_F(WindowFlowTest, AnEngineFailureShowsOneBoxAndLaterRefusalsOnlyAMessage) {
    BoxAnswerer ok(QMessageBox::Ok);
    thread()->submit(new FailingCommand(model()));
    ASSERT_TRUE(waitUntil([this] { return thread()->isLibraryDead() && thread()->isIdle(); }));
    ASSERT_TRUE(waitUntil([&] { return ok.texts.size() == 1; }));
    EXPECT_EQ(ok.titles.value(0), "Internal Error");
    EXPECT_TRUE(ok.texts.value(0).contains("has detected an internal error"));
    EXPECT_TRUE(ok.texts.value(0).contains("Ostrival library fault"));
    EXPECT_TRUE(ok.texts.value(0).contains("Failing step"));

    thread()->submit(new FailingCommand(model()));
    window->internalErrorSlot("Giving the picture to the engine", "Out of memory");
    EXPECT_EQ(window->statusBar()->currentMessage(), "Please save project and exit");
    QTest::qWait(200);
    EXPECT_EQ(ok.texts.size(), 1);

    // The user's work is kept: the window still closes, without asking (nothing changed).
    window->close();
    ASSERT_TRUE(waitUntil([this] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window.isNull();
    }));
}

struct UndoRow {
    uint32_t undos, redos;
    bool busy;
    bool undo, redo;
};

TEST_F(WindowFlowTest, UndoNeedsAnIdleEngineAndRedoOnlyItsCount) {
    openPhoto();
    QAction* undo = action("&Undo");
    QAction* redo = action("&Redo");
    const UndoRow rows[] = {
        {0, 0, false, false, false},
        {2, 0, false, true, false},
        {2, 3, true, false, true},   // a command runs: no undo, redo all the same
        {0, 3, false, false, true},
    };
    for (const UndoRow& row : rows) {
        SCOPED_TRACE(testing::Message() << row.undos << " " << row.redos << " " << row.busy);
        if (row.busy)
            thread()->submit(new JxCmdSelect(model(), nullptr, JxStatusAllClasses, JxStatusKeep));
        window->jxUndoStackChangedSlot(row.undos, row.redos);
        // The command's end is handled by the event loop, which has not run yet.
        ASSERT_EQ(thread()->isIdle(), !row.busy);
        EXPECT_EQ(undo->isEnabled(), row.undo);
        EXPECT_EQ(redo->isEnabled(), row.redo);
        ASSERT_TRUE(waitUntil([this] { return thread()->isIdle(); }));
    }
    // All bits set means "unchanged": 3 redos stored, the undo count kept.
    window->jxUndoStackChangedSlot(2, 0);
    window->jxUndoStackChangedSlot(4294967295u, 3);
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_TRUE(redo->isEnabled());
}

// --- Finishing a cut-out onto the composition ------------------------------------------------

TEST_F(WindowFlowTest, FinishWithStrokesQueuedPlacesTheirResultOnce) {
    openPhoto();
    ASSERT_TRUE(cutoutItems().isEmpty());
    queueDeleteAllThenKeepDab(320, 240);
    ASSERT_FALSE(thread()->isIdle());
    action("Finish")->trigger();
    EXPECT_TRUE(window->isPlacementPending());
    action("Finish")->trigger();   // a second press joins the first
    ASSERT_TRUE(waitUntil([this] { return placed(); }));
    const QList<CutoutItem*> items = cutoutItems();
    ASSERT_EQ(items.size(), 1);
    // Only the kept dab is on it: the strokes reached the cut-out.
    const QSize size = items[0]->sourcePixmap.size();
    EXPECT_GT(size.width(), 10);
    EXPECT_LT(size.width(), 40);
    EXPECT_LT(size.height(), 40);
    ASSERT_NE(items[0]->savedState(), nullptr);
    EXPECT_NEAR(items[0]->savedState()->x, 320 - 12, 4);
    EXPECT_NEAR(items[0]->savedState()->y, 240 - 12, 4);
    EXPECT_GT(items[0]->savedState()->savedSize(), 0);
    EXPECT_EQ(model()->sourceImage(), nullptr);
    EXPECT_EQ(editedCutoutState, nullptr);
    QTest::qWait(100);
    EXPECT_EQ(cutoutItems().size(), 1);
}

TEST_F(WindowFlowTest, AWaitingPlacementIsDroppedWhenTheImageChanges) {
    openPhoto();
    queueDeleteAllThenKeepDab(320, 240);
    window->createCutoutItemDone();
    ASSERT_TRUE(window->isPlacementPending());
    model()->closeImage();   // what opening another picture does first
    EXPECT_FALSE(window->isPlacementPending());
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    QTest::qWait(50);
    EXPECT_TRUE(cutoutItems().isEmpty());
}

TEST_F(WindowFlowTest, TheDefaultToolOnTheCutoutTabIsTheFirstUsableBrush) {
    openPhoto();
    settle();
    window->noTool()->installSlot();
    ASSERT_EQ(theCurrentTool, window->noTool());
    window->selectDefaultTool();
    ASSERT_NE(theCurrentTool, nullptr);
    EXPECT_EQ(theCurrentTool->action()->text(), "Flood Erase");
    // A usable brush other than the first is left alone.
    action("Erase")->trigger();
    window->selectDefaultTool();
    EXPECT_EQ(theCurrentTool->action()->text(), "Erase");
}

TEST_F(WindowFlowTest, FinishWithATransparentCutoutPlacesNothingAndClosesTheCutout) {
    openPhoto();
    thread()->submit(new JxCmdSelect(model(), nullptr, JxStatusAllClasses, JxStatusDelete));
    window->createCutoutItemDone();
    ASSERT_TRUE(waitUntil([this] { return placed(); }));
    EXPECT_TRUE(cutoutItems().isEmpty());
    EXPECT_EQ(model()->sourceImage(), nullptr);
}

TEST_F(WindowFlowTest, AReopenedCutoutReplacesItsItemWhenFinished) {
    openPhoto();
    queueDeleteAllThenKeepDab(320, 240);
    window->createCutoutItemDone();
    ASSERT_TRUE(waitUntil([this] { return placed(); }));
    ASSERT_EQ(cutoutItems().size(), 1);
    CutoutItem* item = cutoutItems()[0];
    const QSize before = item->sourcePixmap.size();

    window->editCutoutItem(item->savedState());
    ASSERT_EQ(window->currentViewTab(), int(ImageView::MaskingTab));
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    // A second dab far from the first widens the cut-out.
    auto* stroke = new GmBrushing(Qt::red);
    stroke->brushing().startStroke(QPointF(100, 100));
    thread()->submit(new JxCmdSelect(model(), stroke, JxStatusAllClasses, JxStatusKeep, 0, 1));
    window->createCutoutItemDone();
    ASSERT_TRUE(waitUntil([this] { return placed(); }));
    const QList<CutoutItem*> items = cutoutItems();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0], item);
    EXPECT_GT(item->sourcePixmap.width(), before.width() + 100);
    EXPECT_EQ(editedCutoutState, nullptr);
}

TEST_F(WindowFlowTest, AFailedReopenForgetsTheStateAndKeepsTheTab) {
    SavedCutoutState empty;   // neither a session nor a picture
    window->editCutoutItem(&empty);
    EXPECT_EQ(editedCutoutState, nullptr);
    EXPECT_EQ(window->currentViewTab(), int(ImageView::CompositionTab));
}

TEST_F(WindowFlowTest, ACutoutThatCannotBeSavedStaysOpenWithAMessage) {
    openPhoto();
    queueDeleteAllThenKeepDab(320, 240);
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    // A temporary folder that is a plain file: no temporary file can be made in it, not
    // even with every permission.
    QTemporaryDir scratch;
    const QString notAFolder = scratch.filePath("file");
    QFile blocker(notAFolder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(notAFolder));
    BoxAnswerer ok(QMessageBox::Ok);
    window->createCutoutItemDone();
    const bool told = waitUntil([&] { return ok.texts.size() == 1; });
    qputenv("TMPDIR", oldTmp);
    ASSERT_TRUE(told);
    EXPECT_TRUE(ok.texts[0].contains("could not be saved"));
    EXPECT_TRUE(cutoutItems().isEmpty());
    EXPECT_NE(model()->sourceImage(), nullptr);
    EXPECT_EQ(window->currentViewTab(), int(ImageView::MaskingTab));
}

// --- Closing ---------------------------------------------------------------------------------

TEST_F(WindowFlowTest, CloseOnTheCutoutTabPlacesItThenAsksAndCancelKeepsEverything) {
    openPhoto();
    queueDeleteAllThenKeepDab(320, 240);
    BoxAnswerer cancel(QMessageBox::Cancel);
    window->close();
    // The close waits for the placement, then asks about the composition.
    ASSERT_TRUE(waitUntil([&] { return cancel.texts.size() == 1; }));
    EXPECT_EQ(cancel.titles[0], "Unsaved changes");
    EXPECT_EQ(cancel.texts[0], "You have made modifications.\nDo you want to save your changes?");
    QTest::qWait(50);
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(cutoutItems().size(), 1);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(thread()->isOpen());
}

TEST_F(WindowFlowTest, CloseWithDiscardSetsTheExitStatusAndLeavesNoCursor) {
    openPhoto();
    window->createCutoutItemDone();
    ASSERT_TRUE(waitUntil([this] { return placed(); }));
    BoxAnswerer discard(QMessageBox::Discard);
    window->close();
    ASSERT_TRUE(waitUntil([this] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window.isNull();
    }));
    EXPECT_EQ(discard.texts.size(), 1);
    if (theApp)
        EXPECT_EQ(theApp->exitStatus(), int(TqApp::Discarded));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowFlowTest, CloseWithSaveWritesThePictureFirst) {
    openPhoto();
    window->createCutoutItemDone();
    ASSERT_TRUE(waitUntil([this] { return placed(); }));
    QTemporaryDir folder;
    const QString target = folder.filePath("picture.png");
    BoxAnswerer save(QMessageBox::Save);
    FileDialogAnswerer chooser(target);   // the Save answer asks where to export
    window->close();
    ASSERT_TRUE(waitUntil([this] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window.isNull();
    }));
    const QImage written(target);
    EXPECT_FALSE(written.isNull());
}

TEST_F(WindowFlowTest, CloseWhileACommandRunsWaitsDisabledAndEndsWhenTheQueueDrains) {
    openPhoto();
    model()->imageSmeg()->analyse();
    ASSERT_FALSE(thread()->isIdle());
    // On the composition tab the close has no cut-out to place first.
    window->imageView()->ensureViewTab(ImageView::CompositionTab, ImageView::CompositionTab);
    ASSERT_EQ(window->currentViewTab(), int(ImageView::CompositionTab));
    BoxAnswerer discard(QMessageBox::Discard);
    window->close();
    if (!window.isNull() && thread() && !thread()->isIdle()) {
        EXPECT_FALSE(window->isEnabled());
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_FALSE(thread()->isOpen());
        window->close();   // only logged
        EXPECT_FALSE(window.isNull());
    }
    ASSERT_TRUE(waitUntil([this] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window.isNull();
    }));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowFlowTest, CancelOnAModifiedCutoutAsksAndCancelKeepsIt) {
    openPhoto();
    queueDeleteAllThenKeepDab(320, 240);
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    ASSERT_FALSE(model()->isUnmodified());
    BoxAnswerer cancel(QMessageBox::Cancel);
    window->createCutoutItemCancelled();
    ASSERT_EQ(cancel.texts.size(), 1);
    EXPECT_EQ(cancel.titles[0], "Closing cut-out");
    EXPECT_EQ(cancel.texts[0], "You have modified your cut-out.\nDo you wish to save your changes?");
    EXPECT_NE(model()->sourceImage(), nullptr);
    cancel.setButton(QMessageBox::Discard);
    window->createCutoutItemCancelled();
    EXPECT_EQ(model()->sourceImage(), nullptr);
    EXPECT_EQ(window->currentViewTab(), int(ImageView::CompositionTab));
    EXPECT_TRUE(cutoutItems().isEmpty());
}

// --- Keys ------------------------------------------------------------------------------------

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
    ASSERT_TRUE(waitUntil([&] { return !window->isActiveWindow(); }, 2000));
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

TEST_F(WindowFlowTest, OnADeadEngineSaveAsStillWritesThePicture) {
    openPhoto();
    queueDeleteAllThenKeepDab(320, 240);
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    BoxAnswerer ok(QMessageBox::Ok);
    thread()->submit(new FailingCommand(model()));
    ASSERT_TRUE(waitUntil([&] { return ok.texts.size() == 1; }));
    QTemporaryDir folder;
    const QString target = folder.filePath("dead.png");
    FileDialogAnswerer chooser(target);
    // On the cut-out tab: the cut-out is placed first, from what the engine made before.
    EXPECT_TRUE(window->fileSaveAsSlot());
    EXPECT_EQ(cutoutItems().size(), 1);
    EXPECT_FALSE(QImage(target).isNull());
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

TEST_F(WindowFlowTest, BackspaceWithoutAnActiveRegionOnlyForwardsTheKey) {
    openPhoto();
    ASSERT_EQ(model()->activeRegion(), nullptr);
    const int regions = model()->regions().size();
    QTest::keyClick(window, Qt::Key_Backspace);
    EXPECT_EQ(model()->regions().size(), regions);
    EXPECT_NE(model()->sourceImage(), nullptr);
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
