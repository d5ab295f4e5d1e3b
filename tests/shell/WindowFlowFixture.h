#pragma once

// The real main window on a real engine command thread with the photo case: the fixture and
// helpers of the window flow and key tests.
#include "tests/shell/FileDialogTyping.h"
#include "tests/shell/MainWindowFixture.h"
#include "tests/shell/ModalWatch.h"

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
#include "shell/ShowOriginalToolButton.h"
#include "shell/TqApp.h"
#include "shell/TqMainWindow.h"
#include "shell/ZolPreferences.h"
#include "masking/BrushSizeValue.h"
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
#include <QProgressBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <functional>

inline const QString photo = QStringLiteral(ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png");

// The limit only ends a test that would hang: it is far above what the slowest build (the
// thread sanitizer's, on a loaded machine) needs, and below the test's own time-out.
inline bool waitUntil(const std::function<bool()>& done, int ms = 240000) {
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
    explicit BoxAnswerer(QMessageBox::StandardButton button)
        : button_(button), watch_([this](QDialog* dialog) { answer(dialog); }) {}
    QStringList texts;
    QStringList titles;
    void setButton(QMessageBox::StandardButton button) { button_ = button; }

private:
    void answer(QDialog* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        if (!box)
            return;
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
    ModalWatch watch_;
};

/// Answers every file dialog that comes up with `target`.
class FileDialogAnswerer {
public:
    explicit FileDialogAnswerer(const QString& target)
        : watch_([target](QDialog* dialog) {
              if (auto* files = qobject_cast<QFileDialog*>(dialog))
                  typeIntoFileDialog(files, target);
          }) {}

private:
    ModalWatch watch_;
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
        BrushSizeValue::instance()->setBrushSize(25);
        thread()->submit(new JxCmdSelect(model(), nullptr, JxStatusAllClasses, JxStatusDelete));
        auto* stroke = new GmBrushing(Qt::red);
        stroke->brushing().startStroke(QPointF(x, y));
        thread()->submit(new JxCmdSelect(model(), stroke, JxStatusAllClasses, JxStatusKeep, 0, 1));
    }
    /// The photo opened, cut down to one keep dab at (320, 240) and finished: the one cut-out
    /// on the composition, or null (with the failure reported) when it did not get there.
    CutoutItem* placeOneCutout() {
        openPhoto();
        if (::testing::Test::HasFatalFailure())
            return nullptr;
        queueDeleteAllThenKeepDab(320, 240);
        window->createCutoutItemDone();
        EXPECT_TRUE(waitUntil([this] { return placed(); }));
        const QList<CutoutItem*> items = cutoutItems();
        EXPECT_EQ(items.size(), 1);
        return items.size() == 1 ? items[0] : nullptr;
    }
    QList<CutoutItem*> cutoutItems() const {
        QList<CutoutItem*> items;
        for (QGraphicsItem* item : window->frolixWidget()->scene()->items())
            if (auto* cutout = dynamic_cast<CutoutItem*>(item); cutout && cutout->isVisible())
                items << cutout;
        return items;
    }
    /// Where the middle of `item` shows in the composition view's viewport.
    QPoint onScreen(const QGraphicsItem* item) const {
        return window->frolixWidget()->mapFromScene(item->sceneBoundingRect().center());
    }
    /// A double click on `item` in the composition view, as the user reopens a cut-out.
    void doubleClick(const QGraphicsItem* item) const {
        QTest::mouseDClick(window->frolixWidget()->viewport(), Qt::LeftButton, Qt::NoModifier,
                           onScreen(item));
    }
    bool placed() const {
        return !window->isPlacementPending() &&
               window->currentViewTab() == int(ImageView::CompositionTab);
    }
    /// Lets the deferred second pass of the last tab change run. Every tab change schedules
    /// it at once, so nothing is pending when no change has been made.
    void settle() {
        ASSERT_TRUE(waitUntil([this] { return !window->isTabPassPending(); }));
    }
};
