// The real main window end to end, offscreen, on a real engine command thread: what the user
// sees of the engine's work and failures, Undo and Redo, finishing a cut-out onto the
// composition (also while strokes are still queued), editing it again, saving and closing
// with the save questions.
#include "tests/shell/WindowFlowFixture.h"

#include "composition/panels/EditCutoutButton.h"
#include "shell/EngineStatus.h"
#include "shell/FileHandler.h"
#include "masking/JxCmdAnalyseImage.h"
#include "masking/JxCmdGenerateMask.h"
#include "workspace/GmZoomWidget.h"

#include <QImage>

#include <cstdlib>

namespace {

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
    window->engineStatus()->commandProgressSlot(42);
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
    window->engineStatus()->internalErrorSlot("Giving the picture to the engine",
                                              "Out of memory");
    EXPECT_EQ(window->statusBar()->currentMessage(), "Please save project and exit");
    // A second box would be shown from the event loop; no event says that none is coming, so
    // the loop runs a while to prove it.
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
    // A second placement would come later from the event loop: the loop runs a while to prove
    // that none does.
    QTest::qWait(100);
    EXPECT_EQ(cutoutItems().size(), 1);
}

// Strokes that follow the edges need the edge finding: Finish pressed while it still runs must
// not cut it short under them, or they are refused and the cut-out loses them.
TEST_F(WindowFlowTest, FinishDuringTheEdgeFindingKeepsTheStrokesThatNeedIt) {
    window->loadFile(photo);
    ASSERT_TRUE(waitUntil(
        [this] { return qobject_cast<JxCmdAnalyseImage*>(thread()->currentCommand()) != nullptr; }));
    BrushSizeValue::instance()->setBrushSize(25);
    thread()->submit(new JxCmdSelect(model(), nullptr, JxStatusAllClasses, JxStatusDelete));
    auto* stroke = new GmBrushing(Qt::red);
    stroke->brushing().startStroke(QPointF(320, 240));
    thread()->submit(new JxCmdSelect(model(), stroke, JxStatusAllClasses, JxStatusKeep, 1, 0));
    action("Finish")->trigger();
    ASSERT_TRUE(waitUntil([this] { return placed(); }));
    // The edge-following keep stroke ran: the part of the photo it found was placed, neither
    // nothing nor the whole photo.
    const QList<CutoutItem*> items = cutoutItems();
    ASSERT_EQ(items.size(), 1);
    const QSize size = items[0]->sourcePixmap.size();
    EXPECT_GT(size.width() * size.height(), 25 * 25) << size.width() << "x" << size.height();
    EXPECT_LT(size.width() * size.height(), 640 * 480 / 2) << size.width() << "x" << size.height();
}

// Opening another picture while Finish still waits for the engine: the cut-out is placed
// first, then the picture opens.
TEST_F(WindowFlowTest, AFileOpenedWhileFinishWaitsOpensOnceTheCutoutIsPlaced) {
    openPhoto();
    QTemporaryDir folder;
    const QString second = folder.filePath("second.png");
    ASSERT_TRUE(QImage(photo).scaled(320, 240).save(second));
    queueDeleteAllThenKeepDab(320, 240);
    window->createCutoutItemDone();
    ASSERT_TRUE(window->isPlacementPending());
    window->fileHandler()->loadFile(second);
    ASSERT_TRUE(waitUntil([this, second] {
        return !window->isPlacementPending() && model()->sourceImage() &&
               model()->sourceImage()->name() == second;
    })) << window->isPlacementPending() << " "
        << (model()->sourceImage() ? model()->sourceImage()->name().toStdString() : "none");
    EXPECT_EQ(cutoutItems().size(), 1);
    EXPECT_EQ(window->currentViewTab(), int(ImageView::MaskingTab));
}

TEST_F(WindowFlowTest, AWaitingPlacementIsDroppedWhenTheImageChanges) {
    openPhoto();
    queueDeleteAllThenKeepDab(320, 240);
    window->createCutoutItemDone();
    ASSERT_TRUE(window->isPlacementPending());
    model()->closeImage();   // what opening another picture does first
    EXPECT_FALSE(window->isPlacementPending());
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    QTest::qWait(50);   // proves that the dropped placement does not come later after all
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

// A user quick enough to pick a brush before the tab change's second pass keeps that brush.
TEST_F(WindowFlowTest, ABrushPickedRightAfterOpeningSurvivesTheSecondTabPass) {
    window->loadFile(photo);
    ASSERT_EQ(window->currentViewTab(), int(ImageView::MaskingTab));
    ASSERT_TRUE(waitUntil([this] { return action("Restore") && action("Restore")->isEnabled(); }));
    action("Restore")->trigger();
    settle();
    ASSERT_NE(theCurrentTool, nullptr);
    EXPECT_EQ(theCurrentTool->action()->text(), "Restore");
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    EXPECT_EQ(theCurrentTool->action()->text(), "Restore");
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
    CutoutItem* item = placeOneCutout();
    ASSERT_NE(item, nullptr);
    const QSize before = item->sourcePixmap.size();

    doubleClick(item);
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

// The palette's Edit button reopens the selected cut-out as a double click does. A session
// cut short on disk is refused in one message that names the cut-out, and nothing moves.
TEST_F(WindowFlowTest, ADamagedCutoutIsNamedInOneMessageAndStaysOnTheComposition) {
    CutoutItem* item = placeOneCutout();
    ASSERT_NE(item, nullptr);
    const QRectF where = item->sceneBoundingRect();
    QFile session(item->savedState()->fileName());
    ASSERT_TRUE(session.resize(session.size() / 2));

    QTest::mouseClick(window->frolixWidget()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      onScreen(item));
    ASSERT_TRUE(item->isSelected());
    auto* edit = window->findChild<EditCutoutButton*>();
    ASSERT_NE(edit, nullptr);
    BoxAnswerer ok(QMessageBox::Ok);
    edit->click();
    ASSERT_TRUE(waitUntil([&] { return !ok.texts.isEmpty(); }));
    settle();
    EXPECT_EQ(ok.texts, QStringList{"The cut-out of image.png cannot be opened again.\n"
                                    "Its saved session is damaged."});
    EXPECT_EQ(editedCutoutState, nullptr);
    EXPECT_EQ(window->currentViewTab(), int(ImageView::CompositionTab));
    EXPECT_EQ(model()->sourceImage(), nullptr);
    ASSERT_EQ(cutoutItems(), QList<CutoutItem*>{item});
    EXPECT_EQ(item->sceneBoundingRect(), where);
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

// TMPDIR names a plain file while it lives: no temporary file can be made in it, not even
// with every permission.
class TemporaryFolderThatIsAFile {
public:
    TemporaryFolderThatIsAFile() : kept_(qgetenv("TMPDIR")) {
        QFile blocker(scratch_.filePath("file"));
        made_ = blocker.open(QIODevice::WriteOnly);
        qputenv("TMPDIR", QFile::encodeName(blocker.fileName()));
    }
    ~TemporaryFolderThatIsAFile() { qputenv("TMPDIR", kept_); }
    bool made() const { return made_; }

private:
    QByteArray kept_;
    QTemporaryDir scratch_;
    bool made_ = false;
};

// Each close tries to place the cut-out again and fails alike: the message is the way out.
TEST_F(WindowFlowTest, ACloseOffersToDiscardACutoutThatCannotBeSaved) {
    openPhoto();
    queueDeleteAllThenKeepDab(320, 240);
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    TemporaryFolderThatIsAFile unusable;
    ASSERT_TRUE(unusable.made());
    {
        BoxAnswerer cancel(QMessageBox::Cancel);
        window->close();
        ASSERT_TRUE(waitUntil([&] { return cancel.texts.size() == 1; }));
        ASSERT_EQ(cancel.texts[0], "The cut-out could not be saved, so it stays open.\n"
                                   "Please check that the temporary folder can be written.\n\n"
                                   "Discard the cut-out to close without placing it.");
    }
    QTest::qWait(50);
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->currentViewTab(), int(ImageView::MaskingTab));
    EXPECT_NE(model()->sourceImage(), nullptr);
    EXPECT_TRUE(cutoutItems().isEmpty());

    BoxAnswerer discard(QMessageBox::Discard);
    window->close();
    ASSERT_TRUE(waitUntil([this] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window.isNull();
    }));
    ASSERT_FALSE(discard.texts.isEmpty());
    EXPECT_TRUE(discard.texts[0].endsWith("Discard the cut-out to close without placing it."));
    EXPECT_EQ(model()->sourceImage(), nullptr);
    EXPECT_EQ(editedCutoutState, nullptr);
}

// A PNG whose every pixel is transparent but an opaque blue disc in the middle; under the
// transparent pixels lies red, as a drawing program leaves it.
QString discPicture(const QString& folder) {
    QImage image(500, 400, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool inDisc = (x - 250) * (x - 250) + (y - 200) * (y - 200) <= 100 * 100;
            image.setPixel(x, y, inDisc ? qRgba(20, 40, 230, 255) : qRgba(255, 0, 0, 0));
        }
    const QString name = folder + QStringLiteral("/disc.png");
    return image.save(name, "PNG") ? name : QString();
}

TEST_F(WindowFlowTest, APicturesTransparencyShowsOnTheCanvasAndStaysInTheCutout) {
    QTemporaryDir folder;
    const QString disc = discPicture(folder.path());
    ASSERT_FALSE(disc.isEmpty());
    window->loadFile(disc);
    ASSERT_NE(model()->sourceImage(), nullptr);
    ASSERT_TRUE(waitUntil([this] { return engineIdle() && model()->statusArray(); }));
    ASSERT_EQ(window->currentViewTab(), int(ImageView::MaskingTab));

    // What the canvas shows, image point by image point.
    auto* canvas = window->findChild<GmZoomWidget*>();
    ASSERT_NE(canvas, nullptr);
    canvas->repaint();
    const QImage shown = canvas->grab().toImage();
    const auto shownAt = [&](QPoint imagePoint) {
        return QColor(shown.pixel(canvas->displayRect().topLeft() +
                                  (QPointF(imagePoint) * canvas->zoom()).toPoint()));
    };
    const QColor background = canvas->backgroundColour();
    for (const QPoint corner : {QPoint(20, 20), QPoint(480, 20), QPoint(20, 380), QPoint(480, 380)}) {
        const QColor there = shownAt(corner);
        EXPECT_LE(std::abs(there.red() - background.red()), 24)
            << "at (" << corner.x() << ", " << corner.y() << "): " << there.name().toStdString();
        EXPECT_LE(std::abs(there.green() - background.green()), 24);
    }
    const QColor middle = shownAt(QPoint(250, 200));
    EXPECT_GT(middle.blue(), 180) << middle.name().toStdString();
    EXPECT_LT(middle.red(), 80) << middle.name().toStdString();

    // Finished untouched, the cut-out is the disc alone.
    window->createCutoutItemDone();
    ASSERT_TRUE(waitUntil([this] { return placed(); }));
    ASSERT_EQ(cutoutItems().size(), 1);
    const QImage cutout = cutoutItems()[0]->sourcePixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_LE(cutout.width(), 202);
    EXPECT_LE(cutout.height(), 202);
    EXPECT_EQ(qAlpha(cutout.pixel(cutout.width() / 2, cutout.height() / 2)), 255);
    // The corners of the disc's box lie outside the disc.
    for (const QPoint corner : {QPoint(3, 3), QPoint(cutout.width() - 4, cutout.height() - 4)})
        EXPECT_EQ(qAlpha(cutout.pixel(corner)), 0) << corner.x() << ", " << corner.y();
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
    QTest::qWait(50);   // proves that the window, answered Cancel, does not close later after all
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
    if (theApp) {
        EXPECT_EQ(theApp->exitStatus(), int(TqApp::Discarded));
    }
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

// Save and Apply while the edge finding still runs and a stroke waits behind it: the closing
// that follows must not cut either short, and the result is generated after them.
TEST_F(WindowFlowTest, SaveAndApplyKeepsTheWorkItsResultNeedsFromTheClosingDrain) {
    window->loadFile(photo);
    ASSERT_TRUE(waitUntil(
        [this] { return qobject_cast<JxCmdAnalyseImage*>(thread()->currentCommand()) != nullptr; }));
    OstrivalCommand* analysis = thread()->currentCommand();
    queueDeleteAllThenKeepDab(320, 240);
    window->saveAndApplySlot();
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(analysis->isProtected());
    const QList<OstrivalCommand*> queued = thread()->queuedCommands();
    ASSERT_GE(queued.size(), 3);
    for (OstrivalCommand* command : queued) {
        if (qobject_cast<JxCmdSelect*>(command)) {
            EXPECT_TRUE(command->isProtected());
        }
    }
    auto* last = qobject_cast<JxCmdGenerateMask*>(queued.last());
    ASSERT_NE(last, nullptr);
    EXPECT_TRUE(last->isProtected());
    ASSERT_TRUE(waitUntil([this] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window.isNull();
    }));
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

TEST_F(WindowFlowTest, TheWindowIsDisabledWhileTheSessionWaitsForTheEngine) {
    openPhoto();
    ASSERT_TRUE(window->isEnabled());
    // A new working resolution reopens the session behind the ending of the old one.
    model()->setResolution(model()->resolution() == 1 ? 2 : 1, true);
    ASSERT_TRUE(model()->isWaitingToOpenSession());
    EXPECT_FALSE(window->isEnabled());
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    EXPECT_TRUE(window->isEnabled());
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

// A new composition asks about the cut-out being edited; Save while strokes are still queued
// places it once they are done and only then closes it.
TEST_F(WindowFlowTest, SaveAskedByANewCompositionPlacesTheCutoutThenClosesIt) {
    openPhoto();
    queueDeleteAllThenKeepDab(320, 240);
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    queueDeleteAllThenKeepDab(300, 220);   // still running when the question is answered
    ASSERT_FALSE(thread()->isIdle());
    BoxAnswerer save(QMessageBox::Save);
    FrolixObject::instance()->startComposition();
    ASSERT_EQ(save.texts.size(), 1);
    EXPECT_EQ(save.titles[0], "Closing cut-out");
    ASSERT_TRUE(waitUntil([this] { return placed(); }));
    EXPECT_EQ(cutoutItems().size(), 1);
    ASSERT_TRUE(waitUntil([this] { return model()->sourceImage() == nullptr; }));
    EXPECT_EQ(editedCutoutState, nullptr);
}

// The first strokes of a fresh cut-out are still queued when Cancel is pressed: the question
// comes once they have reached the engine, and Cancel keeps them.
TEST_F(WindowFlowTest, CancelWithStrokesStillQueuedAsksOnceTheyAreDone) {
    openPhoto();
    ASSERT_TRUE(waitUntil([this] { return engineIdle(); }));
    ASSERT_TRUE(model()->isUnmodified());
    queueDeleteAllThenKeepDab(320, 240);
    ASSERT_FALSE(thread()->isIdle());
    BoxAnswerer cancel(QMessageBox::Cancel);
    window->createCutoutItemCancelled();
    ASSERT_TRUE(waitUntil([&] { return engineIdle() && !cancel.texts.isEmpty(); }));
    ASSERT_EQ(cancel.texts.size(), 1);
    EXPECT_EQ(cancel.titles[0], "Closing cut-out");
    EXPECT_NE(model()->sourceImage(), nullptr);
    EXPECT_EQ(window->currentViewTab(), int(ImageView::MaskingTab));
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

}  // namespace
