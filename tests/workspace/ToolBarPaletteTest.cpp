#include "tests/workspace/WorkspaceFixture.h"

#include "workspace/GmTool.h"
#include "workspace/ImageView.h"
#include "workspace/ToolBarPalette.h"
#include "workspace/ToolOptions.h"

#include <QAction>
#include <QLabel>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace {

using zqtest::benchPhoto;
using zqtest::ViewWindow;

class MaskTool : public GmTool {
public:
    MaskTool(const QString& name, int tabs, bool usable = true)
        : GmTool(name, name, QIcon(), QString(), QString(), nullptr, nullptr, nullptr, nullptr),
          tabs_(tabs), usable_(usable) {
        action()->setEnabled(usable);
    }
    int viewTabs() const override { return tabs_; }
    bool isUsable() const override { return usable_; }

private:
    int tabs_;
    bool usable_;
};

class PaletteFixture : public ::testing::Test {
protected:
    PaletteFixture() : window(benchPhoto()) {
        options = std::make_unique<ToolOptions>();
        window.view()->addViewTab(new QLabel, QStringLiteral("2. Compose Picture"), QString(),
                                  QString(), ImageView::CompositionTab);
        noTool = std::make_unique<NoTool>(options.get());
        noTool->installSlot();
        palette = std::make_unique<ToolBarPalette>();
        QObject::connect(window.view(), &ImageView::viewTabChanged, palette.get(),
                         &ToolBarPalette::viewChanged);
    }

    void showTab(ImageView::ViewTab tab) { window.view()->ensureViewTab(tab, tab); }

    ViewWindow window;
    std::unique_ptr<ToolOptions> options;
    std::unique_ptr<NoTool> noTool;
    std::unique_ptr<ToolBarPalette> palette;
};

TEST_F(PaletteFixture, EntriesShowOnlyFromTheFirstTabChangeAndOnlyInTheirTabs) {
    MaskTool erase(QStringLiteral("Erase"), 2);
    MaskTool compose(QStringLiteral("Compose"), 8);
    palette->addTool(&erase, QString());
    palette->addTool(&compose, QString());
    EXPECT_TRUE(palette->actions().isEmpty());

    palette->viewChanged(ImageView::MaskingTab);
    EXPECT_EQ(palette->actions(), QList<QAction*>{erase.action()});
    showTab(ImageView::CompositionTab);
    EXPECT_EQ(palette->actions(), QList<QAction*>{compose.action()});
}

TEST_F(PaletteFixture, CaptionsShowInTheMaskingTabOnly) {
    MaskTool erase(QStringLiteral("Erase"), 2 | 8);
    palette->addTool(&erase, QStringLiteral("Brushes"));
    palette->viewChanged(ImageView::MaskingTab);
    ASSERT_EQ(palette->actions().size(), 2);
    EXPECT_EQ(palette->actions().at(1), erase.action());
    showTab(ImageView::CompositionTab);
    EXPECT_EQ(palette->actions(), QList<QAction*>{erase.action()});
}

TEST_F(PaletteFixture, TabChangesLeaveNoSeparatorsBehind) {
    MaskTool erase(QStringLiteral("Erase"), 2 | 8);
    MaskTool paint(QStringLiteral("Paint"), 2);
    palette->addTool(&erase, QStringLiteral("Brushes"));
    palette->addTool(&paint, QStringLiteral("More"));
    palette->addPaletteWidget(new QLabel(QStringLiteral("widget")), 2 | 8, QString(), true);
    auto separators = [this] {
        int count = 0;
        for (const QAction* action : palette->findChildren<QAction*>())
            count += action->isSeparator();
        return count;
    };
    palette->viewChanged(ImageView::MaskingTab);
    const int shown = separators();
    EXPECT_GT(shown, 0);
    for (int i = 0; i < 20; ++i) {
        showTab(ImageView::CompositionTab);
        showTab(ImageView::MaskingTab);
    }
    EXPECT_EQ(separators(), shown);
    EXPECT_EQ(palette->actions().at(1), erase.action());
}

TEST_F(PaletteFixture, EachTabGetsItsLastToolBack) {
    MaskTool erase(QStringLiteral("Erase"), 2);
    MaskTool restore(QStringLiteral("Restore"), 2);
    MaskTool compose(QStringLiteral("Compose"), 8);
    MaskTool other(QStringLiteral("Other"), 8);
    palette->addTool(&restore, QString());
    palette->addTool(&erase, QString());
    palette->addTool(&compose, QString());
    palette->addTool(&other, QString());
    palette->viewChanged(ImageView::MaskingTab);
    EXPECT_EQ(theCurrentTool, &restore) << "the first enabled tool of the tab";

    erase.installSlot();
    showTab(ImageView::CompositionTab);
    EXPECT_EQ(theCurrentTool, &compose);
    other.installSlot();
    showTab(ImageView::MaskingTab);
    EXPECT_EQ(theCurrentTool, &erase);
    showTab(ImageView::CompositionTab);
    EXPECT_EQ(theCurrentTool, &other);
}

TEST_F(PaletteFixture, LeavingWithTheNoToolOrAToolWithoutEntryRemembersNothing) {
    MaskTool restore(QStringLiteral("Restore"), 2);
    MaskTool erase(QStringLiteral("Erase"), 2);
    MaskTool hand(QStringLiteral("Hand"), 2 | 8);  // like the hand tool: no palette entry
    palette->addTool(&restore, QString());
    palette->addTool(&erase, QString());
    palette->viewChanged(ImageView::MaskingTab);

    erase.installSlot();
    hand.installSlot();
    showTab(ImageView::CompositionTab);
    EXPECT_EQ(theCurrentTool, &hand) << "no entry in the tab: a current tool that works there stays";
    showTab(ImageView::MaskingTab);
    EXPECT_EQ(theCurrentTool, &restore);

    erase.installSlot();
    noTool->installSlot();
    showTab(ImageView::CompositionTab);
    showTab(ImageView::MaskingTab);
    EXPECT_EQ(theCurrentTool, &restore);
}

TEST_F(PaletteFixture, NoEnabledEntryAndACurrentToolOutsideTheTabGiveTheNoTool) {
    MaskTool erase(QStringLiteral("Erase"), 2);
    MaskTool disabled(QStringLiteral("Disabled"), 8, false);
    palette->addTool(&erase, QString());
    palette->addTool(&disabled, QString());
    palette->viewChanged(ImageView::MaskingTab);
    ASSERT_EQ(theCurrentTool, &erase);
    showTab(ImageView::CompositionTab);
    EXPECT_EQ(theCurrentTool, noTool.get());
}

// The image closed while the composition showed: the remembered brush is disabled, and a
// disabled action triggered from code still emits, so it must not be triggered at all.
TEST_F(PaletteFixture, ARememberedToolDisabledMeanwhileIsNoCandidate) {
    MaskTool restore(QStringLiteral("Restore"), 2);
    MaskTool erase(QStringLiteral("Erase"), 2);
    palette->addTool(&restore, QString());
    palette->addTool(&erase, QString());
    palette->viewChanged(ImageView::MaskingTab);
    erase.installSlot();
    showTab(ImageView::CompositionTab);
    ASSERT_EQ(theCurrentTool, noTool.get());

    erase.action()->setEnabled(false);
    QSignalSpy triggered(erase.action(), &QAction::triggered);
    showTab(ImageView::MaskingTab);
    EXPECT_EQ(triggered.count(), 0);
    EXPECT_EQ(theCurrentTool, &restore) << "the first enabled tool instead";
}

TEST_F(PaletteFixture, ATabChangeNeverRunsAPlainActionOrCaption) {
    QAction finish(QStringLiteral("Finish"), nullptr);
    QAction colour(QStringLiteral("Color"), nullptr);
    QSignalSpy finishRuns(&finish, &QAction::triggered);
    QSignalSpy colourRuns(&colour, &QAction::triggered);
    MaskTool erase(QStringLiteral("Erase"), 2);
    palette->addPaletteWidget(new QLabel(QStringLiteral("caption widget")), 2, QString(), false);
    palette->addPaletteAction(&finish, 2, QStringLiteral("Cut-out"));
    palette->addPaletteAction(&colour, 2, QString());
    palette->addTool(&erase, QString());

    palette->viewChanged(ImageView::MaskingTab);
    showTab(ImageView::CompositionTab);
    showTab(ImageView::MaskingTab);
    palette->updateView();
    EXPECT_EQ(finishRuns.count(), 0);
    EXPECT_EQ(colourRuns.count(), 0);
    EXPECT_EQ(theCurrentTool, &erase);
}

TEST_F(PaletteFixture, UpdateViewSelectsTheCurrentToolAgain) {
    MaskTool erase(QStringLiteral("Erase"), 2);
    MaskTool restore(QStringLiteral("Restore"), 2);
    palette->addTool(&erase, QString());
    palette->addTool(&restore, QString());
    palette->viewChanged(ImageView::MaskingTab);
    restore.installSlot();
    QSignalSpy restoreRuns(restore.action(), &QAction::triggered);
    palette->updateView();
    EXPECT_EQ(restoreRuns.count(), 1);
    EXPECT_EQ(theCurrentTool, &restore);

    noTool->installSlot();
    palette->updateView();
    EXPECT_EQ(theCurrentTool, &erase) << "with the NoTool current the first enabled entry";
}

TEST_F(PaletteFixture, ADestroyedToolIsForgottenByItsTab) {
    MaskTool restore(QStringLiteral("Restore"), 2);
    auto erase = std::make_unique<MaskTool>(QStringLiteral("Erase"), 2);
    palette->addTool(&restore, QString());
    palette->addTool(erase.get(), QString());
    palette->viewChanged(ImageView::MaskingTab);
    erase->installSlot();
    showTab(ImageView::CompositionTab);  // remembers Erase for the masking tab
    erase.reset();
    showTab(ImageView::MaskingTab);       // must not reach the freed entry
    EXPECT_EQ(theCurrentTool, &restore);
    EXPECT_EQ(palette->actions(), QList<QAction*>{restore.action()});
}

TEST_F(PaletteFixture, RemovingAnActionTakesItOffTheBarAndTheList) {
    QAction finish(QStringLiteral("Finish"), nullptr);
    palette->addPaletteAction(&finish, 2, QString());
    palette->viewChanged(ImageView::MaskingTab);
    ASSERT_EQ(palette->actions(), QList<QAction*>{&finish});
    palette->removePaletteAction(&finish);
    EXPECT_TRUE(palette->actions().isEmpty());
    palette->updateView();
    EXPECT_TRUE(palette->actions().isEmpty());
}

} // namespace
