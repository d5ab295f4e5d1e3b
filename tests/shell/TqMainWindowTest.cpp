// The real main window, offscreen: what it builds, its actions and menus, how a tab change
// moves enabledness and the palette, the window state it writes at close, and a photo opened
// through it on a real engine command thread.
#include "tests/shell/BrowserCapture.h"
#include "tests/shell/ModalDialogCloser.h"
#include "tests/shell/MainWindowFixture.h"

#include "composition/scene/FrolixWidget.h"
#include "masking/GmModel.h"
#include "masking/OstrivalThread.h"
#include "masking/TqSourceImage.h"
#include "shell/GoogleWidget.h"
#include "common/Product.h"
#include "shell/StyleSheetVariables.h"
#include "shell/TqMainWindow.h"
#include "workspace/GmTool.h"
#include "workspace/ImageView.h"
#include "workspace/NavigatorWindow.h"
#include "workspace/ToolBarPalette.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QUrlQuery>
#include <QToolBar>
#include <QWidgetAction>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace {

// The limit only ends a test that would hang: far above what the slowest build (the thread
// sanitizer's, on a loaded machine) needs, and below the test's own time-out.
bool waitUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(240000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

QString nativeText(const char* portable) {
    return QKeySequence(QString::fromLatin1(portable)).toString(QKeySequence::NativeText);
}

class MainWindowTest : public MainWindowFixture {
protected:
    QStringList menuEntries(const QString& title) const {
        QStringList entries;
        for (QAction* menuAction : window->menuBar()->actions())
            if (menuAction->text() == title)
                for (QAction* entry : menuAction->menu()->actions())
                    entries << (entry->isSeparator() ? QStringLiteral("---") : entry->text());
        return entries;
    }
    QStringList paletteTexts() const {
        QStringList texts;
        for (QAction* entry : window->toolPalette()->actions())
            if (!entry->text().isEmpty())
                texts << entry->text();
        return texts;
    }
    void showTab(int tab) {
        window->imageView()->ensureViewTab(tab, ImageView::ViewTab(tab));
        QCoreApplication::processEvents();
    }
    /// Lets the deferred second pass of the last tab change run. Every tab change schedules
    /// it at once, so nothing is pending when no change has been made.
    void settle() {
        ASSERT_TRUE(waitUntil([this] { return !window->isTabPassPending(); }));
    }
};

TEST_F(MainWindowTest, BuildsTheViewsAndShowsTheCompositionMaximized) {
    EXPECT_EQ(theMainWindow, window.data());
    EXPECT_TRUE(window->isMaximized());
    EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_TRUE(window->acceptDrops());
    EXPECT_EQ(window->windowTitle(), productDisplayName());
    EXPECT_EQ(window->currentViewTab(), int(ImageView::CompositionTab));
    EXPECT_NE(window->findChild<ImageView*>(QStringLiteral("imageView_")), nullptr);
    EXPECT_NE(window->findChild<FrolixWidget*>(QStringLiteral("frolixWidget_")), nullptr);
    EXPECT_NE(window->findChild<NavigatorWindow*>(QStringLiteral("navigatorWindow_")), nullptr);
    EXPECT_NE(window->findChild<ToolBarPalette*>(QStringLiteral("frolixBar")), nullptr);
    EXPECT_NE(window->findChild<QToolBar*>(QStringLiteral("ToolBar-Options")), nullptr);
    EXPECT_NE(window->findChild<QWidget*>(QStringLiteral("OptionsWidget")), nullptr);
    QStringList groups;   // only the shown tab's group labels sit in the palette
    for (QLabel* label : window->findChildren<QLabel*>(QStringLiteral("FunGroupLabel")))
        groups << label->text();
    EXPECT_EQ(groups, QStringList({"1. Start", "2. Create", "3. Finish"}));
    EXPECT_NE(window->fileHandler(), nullptr);
    EXPECT_NE(theEngineThread, nullptr);
    EXPECT_EQ(theCurrentTool, window->noTool());
    EXPECT_EQ(window->progressBar()->maximum(), 100);
    EXPECT_EQ(GmTool::imageView(), window->imageView());
}

TEST_F(MainWindowTest, MenusHoldTheirEntriesInOrder) {
    QStringList bar;
    for (QAction* menuAction : window->menuBar()->actions())
        bar << menuAction->text();
    EXPECT_EQ(bar, QStringList({"&File", "&View", "&Community", "&Help"}));
    EXPECT_EQ(menuEntries("&File"),
              QStringList({"New Composition...", "Add &Image...", "&Save", "Save &As...",
                           "Preview...", "---", "Start A&gain", "---", "&Print...",
                           "Pre&ferences...", "E&xit " + productDisplayName()}));
    EXPECT_EQ(menuEntries("&View"), QStringList({"Zoom &In", "Zoom &Out", "Actual Pixels (1:1)",
                                                 "&Fit on Screen"}));
    EXPECT_EQ(menuEntries("&Community"),
              QStringList({productDisplayName() + " Facebook Group",
                           productDisplayName() + " Flickr Group"}));
    EXPECT_EQ(menuEntries("&Help"),
              QStringList({"&Tutorials", "Home Page", "Latest &News", "---",
                           "&Check for Updates", "---",
                           "&About " + productDisplayName() + " ..."}));
}

struct ShortcutRow {
    const char* text;
    std::vector<const char*> keys;
    const char* toolTipSuffix;   // null: the tool tip carries no shortcut
};

TEST_F(MainWindowTest, ActionsCarryTheirShortcutsAndTips) {
    const ShortcutRow rows[] = {
        {"&Save", {"Ctrl+S"}, "Ctrl+S"},
        {"Save &As...", {"Ctrl+A"}, "Ctrl+A"},
        {"&Print...", {"Ctrl+P"}, "Ctrl+P"},
        {"&Undo", {"Ctrl+Z"}, "Ctrl+Z"},
        {"&Redo", {"Ctrl+Y"}, "Ctrl+Y"},
        {"Zoom &In", {"Ctrl++", "Ctrl+=", "+", "="}, nullptr},
        {"Zoom &Out", {"Ctrl+-", "-"}, nullptr},
        {"&Fit on Screen", {"Ctrl+0"}, "Ctrl+0"},
        {"Actual Pixels (1:1)", {"Alt+Ctrl+0"}, "Alt+Ctrl+0"},
        {"New Composition...", {"Ctrl+N"}, "Ctrl+N"},
        {"Preview...", {"Ctrl+Shift+P"}, "Ctrl+Shift+P"},
        {"Add &Image...", {"Ctrl+I"}, "Ctrl+I"},
        {"Add Text", {"Ctrl+Shift+T"}, "Ctrl+Shift+T"},
        {"Add Speech Bubble", {"Ctrl+Shift+S"}, "Ctrl+Shift+S"},
        {"Set Up Canvas", {"S"}, "S"},
        {"Finish", {"Return"}, "Return"},
        {"Cancel", {"Esc"}, "Esc"},
        {"Translucency", {"B"}, "B"},
        {"Color", {"C"}, "C"},
        {"Edge Smoothing", {"S"}, "S"},
    };
    for (const ShortcutRow& row : rows) {
        SCOPED_TRACE(row.text);
        QAction* found = action(QString::fromUtf8(row.text));
        ASSERT_NE(found, nullptr);
        QList<QKeySequence> expected;
        for (const char* key : row.keys)
            expected << QKeySequence(QString::fromLatin1(key));
        EXPECT_EQ(found->shortcuts(), expected);
        const QString tip = found->toolTip();
        if (row.toolTipSuffix)
            EXPECT_TRUE(tip.endsWith(" (" + nativeText(row.toolTipSuffix) + ")")) << tip.toStdString();
        else
            EXPECT_FALSE(tip.endsWith(")") && tip.contains(" (" + nativeText(row.keys[0])))
                << tip.toStdString();
        EXPECT_FALSE(tip.endsWith(" ()")) << tip.toStdString();
    }
    EXPECT_EQ(action("Finish")->toolTip(),
              "Return to the canvas, adding this finished cut-out (" + nativeText("Return") + ")");
    EXPECT_EQ(action("Cancel")->toolTip(),
              "Return to the canvas, discarding this cut-out (" + nativeText("Esc") + ")");
    // Built without a shortcut: no empty suffix.
    EXPECT_EQ(action(productDisplayName() + " Facebook Group")->toolTip(),
              productDisplayName() + " Facebook Group");
    EXPECT_EQ(action("E&xit " + productDisplayName())->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(window->findChild<QAction*>("Undo Action"), action("&Undo"));
    EXPECT_EQ(window->findChild<QAction*>("Redo Action"), action("&Redo"));
    EXPECT_TRUE(action("&Undo")->whatsThis().startsWith("<p><b>Undo</b></p>"));
    EXPECT_EQ(action("&Save")->whatsThis(), "Export the final image to a file");
    EXPECT_EQ(action("Pre&ferences...")->menuRole(), QAction::PreferencesRole);
    EXPECT_EQ(action("&About " + productDisplayName() + " ...")->menuRole(), QAction::AboutRole);
    // Standalone: Save and Apply does not exist.
    EXPECT_EQ(action("&Save and Apply"), nullptr);
}

TEST_F(MainWindowTest, ATabChangeMovesThePaletteAndTheEnabledness) {
    settle();
    QToolBar* undoRedo = window->findChild<QToolBar*>("ToolBar-UndoRedo");
    ASSERT_NE(undoRedo, nullptr);
    const QStringList composition = paletteTexts();
    EXPECT_TRUE(composition.contains("Set Up Canvas"));
    EXPECT_TRUE(composition.contains("&Print..."));
    EXPECT_FALSE(composition.contains("Finish"));
    EXPECT_FALSE(composition.contains("Edge Smoothing"));
    EXPECT_FALSE(undoRedo->isVisible());
    EXPECT_FALSE(action("Start A&gain")->isEnabled());

    showTab(ImageView::MaskingTab);
    settle();
    const QStringList cutout = paletteTexts();
    EXPECT_EQ(cutout.mid(0, 8),
              QStringList({"Flood Erase", "Erase", "Restore", "Touch-Up", "Edge Smoothing",
                           "Translucency", "Color", "Finish"}));
    EXPECT_TRUE(cutout.contains("Cancel"));
    EXPECT_FALSE(cutout.contains("Set Up Canvas"));
    EXPECT_TRUE(undoRedo->isVisible());
    EXPECT_FALSE(action("Preview...")->isEnabled());
    EXPECT_FALSE(action("Add &Image...")->isEnabled());
    EXPECT_TRUE(action("Zoom &In")->isEnabled());

    // Back within the delay of the second pass: the tab shown last wins.
    showTab(ImageView::CompositionTab);
    showTab(ImageView::MaskingTab);
    showTab(ImageView::CompositionTab);
    settle();
    EXPECT_EQ(window->currentViewTab(), int(ImageView::CompositionTab));
    EXPECT_FALSE(undoRedo->isVisible());
}

// A picture missing from the resources leaves a blank button rather than an error, and the icon
// made from its name is not even null: only drawing it shows the loss.
TEST_F(MainWindowTest, EveryToolBarAndPaletteEntryShowsAPicture) {
    QList<QAction*> entries = window->toolPalette()->actions();
    for (QToolBar* bar : window->findChildren<QToolBar*>())
        entries += bar->actions();
    for (QAction* entry : entries) {
        if (!entry->isSeparator() && !qobject_cast<QWidgetAction*>(entry) && !entry->text().isEmpty()) {
            EXPECT_FALSE(entry->icon().pixmap(24, 24).isNull()) << entry->text().toStdString();
        }
    }
}

// On the dark tool bar a usable Redo must stand out more than an unusable one, never the other
// way round.
TEST_F(MainWindowTest, RedoStandsOutFromItsToolBarOnlyWhileItCanBeUsed) {
    QFile sheet(QStringLiteral(":/fun.css"));
    QFile variables(QStringLiteral(":/funCssVars.xml"));
    ASSERT_TRUE(sheet.open(QIODevice::ReadOnly) && variables.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(expandStyleSheet(QString::fromUtf8(sheet.readAll()), variables.readAll()));
    showTab(ImageView::MaskingTab);
    settle();
    QToolBar* undoRedo = window->findChild<QToolBar*>("ToolBar-UndoRedo");
    ASSERT_NE(undoRedo, nullptr);
    ASSERT_TRUE(undoRedo->isVisible());
    QWidget* button = undoRedo->widgetForAction(action("&Redo"));
    ASSERT_NE(button, nullptr);
    // The mean difference in brightness from the bar, which shows at the frameless corner;
    // taken from the window, where the button sits on the bar.
    auto standOut = [this, button] {
        const QImage face =
            window->grab(QRect(button->mapTo(window, QPoint(0, 0)), button->size())).toImage();
        const int bar = qGray(face.pixel(0, 0));
        double sum = 0;
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x)
                sum += std::abs(qGray(face.pixel(x, y)) - bar);
        return sum / (face.width() * face.height());
    };
    GmModel::instance()->setUndoCounts(0, 0);
    ASSERT_FALSE(action("&Redo")->isEnabled());
    const double unusable = standOut();
    GmModel::instance()->setUndoCounts(0, 1);
    ASSERT_TRUE(action("&Redo")->isEnabled());
    const double usable = standOut();
    GmModel::instance()->setUndoCounts(0, 0);
    qApp->setStyleSheet(QString());
    EXPECT_GT(usable, 2 * unusable) << "usable " << usable << ", unusable " << unusable;
}

TEST_F(MainWindowTest, ExactlyOneSIsLivePerTab) {
    // Only actions in a shown widget of the window answer to their keys.
    auto liveS = [this] {
        QStringList live;
        for (QAction* candidate : window->findChildren<QAction*>()) {
            if (!candidate->shortcuts().contains(QKeySequence("S")))
                continue;
            for (QWidget* holder : candidate->associatedWidgets())
                if (holder->isVisible() && holder->window() == window)
                    live << candidate->text();
        }
        live.removeDuplicates();
        return live;
    };
    settle();
    EXPECT_EQ(liveS(), QStringList{"Set Up Canvas"});
    showTab(ImageView::MaskingTab);
    settle();
    EXPECT_EQ(liveS(), QStringList{"Edge Smoothing"});
}

TEST_F(MainWindowTest, CtrlShiftZDoesNothingWhileRedoIsDisabled) {
    settle();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    ASSERT_FALSE(action("&Redo")->isEnabled());
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCoreApplication::processEvents();
    // Redo would have switched to the cut-out tab.
    EXPECT_EQ(window->currentViewTab(), int(ImageView::CompositionTab));
}

TEST_F(MainWindowTest, CtrlShiftZRedoesThroughTheRedoAction) {
    settle();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    GmModel::instance()->setUndoCounts(0, 1);
    ASSERT_TRUE(action("&Redo")->isEnabled());
    QSignalSpy redo(action("&Redo"), &QAction::triggered);
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(redo.count(), 1);
    EXPECT_EQ(window->currentViewTab(), int(ImageView::MaskingTab));
    GmModel::instance()->setUndoCounts(0, 0);
    EXPECT_FALSE(action("&Redo")->isEnabled());
}

TEST_F(MainWindowTest, ReturnInTheSearchBoxSearchesAndNeverFinishes) {
    showTab(ImageView::MaskingTab);
    settle();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    BrowserCapture browser;
    QSignalSpy finish(action("Finish"), &QAction::triggered);
    QLineEdit* box = window->searchBox()->lineEdit();
    box->setFocus();
    ASSERT_TRUE(waitUntil([box] { return box->hasFocus(); }));
    QTest::keyClicks(box, "cat & dog");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(finish.count(), 0);
    ASSERT_EQ(browser.opened.size(), 1);
    // Words joined by "+"; the "&" stays inside the one query item.
    EXPECT_EQ(QUrlQuery(browser.opened.front()).queryItemValue("q", QUrl::FullyDecoded),
              "cat+&+dog");
    // The same key outside the box finishes.
    window->imageView()->setFocus();
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_EQ(finish.count(), 1);
}

// The zoom actions drive the view of the shown tab from the first moment on.
TEST_F(MainWindowTest, ZoomActionsZoomTheShownView) {
    FrolixWidget* composition = window->frolixWidget();
    const qreal before = composition->transform().m11();
    action("Zoom &In")->trigger();
    const qreal zoomedIn = composition->transform().m11();
    EXPECT_GT(zoomedIn, before);
    action("Zoom &Out")->trigger();
    EXPECT_LT(composition->transform().m11(), zoomedIn);
}

TEST_F(MainWindowTest, CtrlKPutsTheKeyboardIntoTheSearchBox) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_K, Qt::ControlModifier);
    EXPECT_TRUE(waitUntil([this] { return window->searchBox()->lineEdit()->hasFocus(); }));
}

TEST_F(MainWindowTest, WindowStateIsWrittenAtCloseAndTheNextWindowStartsInTheDefaultLayout) {
    window->showNormal();
    window->setGeometry(20, 30, 900, 700);
    QCoreApplication::processEvents();
    const QRect normal = window->normalGeometry();
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(window.isNull());

    QSettings settings;
    EXPECT_EQ(settings.value("PersistVersion").toInt(), 2);
    EXPECT_EQ(settings.value("UI/ScreenMode").toInt(), 0);
    EXPECT_EQ(settings.value("UI/Maximized").toUInt(), 0u);
    EXPECT_EQ(settings.value("UI/NormalGeometry").toRect(), normal);
    EXPECT_TRUE(settings.value("UI/FrolixFrolix/").toList().isEmpty());
    EXPECT_TRUE(settings.contains("UI/FrolixFrolix/"));
    const QByteArray geometry = settings.value("UI/Geometry").toByteArray();
    const QByteArray childState = settings.value("UI/ChildState").toByteArray();
    ASSERT_FALSE(geometry.isEmpty());
    ASSERT_FALSE(childState.isEmpty());

    // The bytes are the toolkit's own: a main window with the same bars takes them back.
    QMainWindow probe;
    auto* options = probe.addToolBar("Options");
    options->setObjectName("ToolBar-Options");
    auto* palette = new QToolBar;
    palette->setObjectName("frolixBar");
    probe.addToolBar(Qt::LeftToolBarArea, palette);
    EXPECT_TRUE(probe.restoreState(childState, 2));
    EXPECT_FALSE(probe.restoreState(childState, 1));
    EXPECT_TRUE(probe.restoreGeometry(geometry));

    // Nothing is read back: the next window opens maximized all the same.
    window = new TqMainWindow;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_TRUE(window->isMaximized());
}

TEST_F(MainWindowTest, APhotoNamedAtStartOpensOnTheCutoutTabWithItsSession) {
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QSettings().setValue("OnImageLoad", 1);   // a cut-out, without asking
    const QString photo = QStringLiteral(ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png");
    window = new TqMainWindow({photo});
    EXPECT_EQ(window->requestedFiles(), QStringList{photo});
    EXPECT_EQ(window->currentViewTab(), int(ImageView::MaskingTab));
    EXPECT_EQ(window->windowTitle(), productDisplayName() + ": image.png");
    GmModel* model = GmModel::existing();
    ASSERT_NE(model, nullptr);
    ASSERT_NE(model->sourceImage(), nullptr);
    EXPECT_EQ(model->sourceImage()->name(), photo);
    ASSERT_TRUE(waitUntil([&] {
        return theEngineThread && theEngineThread->isIdle() && !model->isWaitingToOpenSession();
    }));
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(window->currentViewTab(), int(ImageView::MaskingTab));
}

TEST_F(MainWindowTest, AFileThatCannotBeReadLeavesAUsableWindow) {
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QString message;
    ModalDialogCloser closer([&](QDialog* box) {
        if (auto* messageBox = qobject_cast<QMessageBox*>(box))
            message = messageBox->text();
    });
    window = new TqMainWindow({QStringLiteral("/nonexistent/photo.jpg")});
    EXPECT_EQ(closer.closed(), 1);
    EXPECT_EQ(message, "Sorry - could not open file /nonexistent/photo.jpg\nFile not found.");
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(window->currentViewTab(), int(ImageView::CompositionTab));
    EXPECT_EQ(window->windowTitle(), productDisplayName());
}

}  // namespace
