#include "tests/workspace/WorkspaceFixture.h"

#include "workspace/GmTool.h"
#include "workspace/ImageView.h"
#include "workspace/ModelPort.h"
#include "workspace/ToolOptions.h"

#include <QLabel>
#include <QSignalSpy>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using zqtest::benchPhoto;
using zqtest::ViewWindow;

// Writes every call of the change protocol into one shared journal.
class RecordingTool : public GmTool {
public:
    RecordingTool(const QString& name, std::vector<QString>* journal, int tabs = 2,
                  bool usable = true, const QString& tip = QString())
        : GmTool(name, name, QIcon(), QString(), tip, nullptr, nullptr, nullptr, nullptr),
          journal_(journal), tabs_(tabs), usable_(usable) {}
    ~RecordingTool() override { journal_->push_back(name() + " destroyed"); }

    int viewTabs() const override { return tabs_; }
    bool isUsable() const override { return usable_; }
    void activated(GmTool* previous) override {
        journal_->push_back(name() + " activated after " + (previous ? previous->name() : "none"));
    }
    void deactivated(GmTool* next) override {
        journal_->push_back(name() + " deactivated for " + next->name());
    }
    void setUsable(bool usable) { usable_ = usable; }

private:
    std::vector<QString>* journal_;
    int tabs_;
    bool usable_;
};

// A test window with a composition page and a NoTool, as the main window sets them up.
class ToolFixture : public ::testing::Test {
protected:
    ToolFixture() : window(benchPhoto()) {
        options = std::make_unique<ToolOptions>();
        window.view()->addViewTab(new QLabel, QStringLiteral("2. Compose Picture"), QString(),
                                  QString(), ImageView::CompositionTab);
        noTool = std::make_unique<NoTool>(options.get());
        noTool->installSlot();
    }
    ~ToolFixture() override {
        GmTool::setSpaceReturnToolQuery(nullptr);
        GmTool::setDefaultToolChooser(nullptr);
    }

    std::vector<QString> journal;
    ViewWindow window;
    std::unique_ptr<ToolOptions> options;
    std::unique_ptr<NoTool> noTool;
};

TEST_F(ToolFixture, AChangeRunsDeactivateNewToolSignalOptionsActivateInOrder) {
    RecordingTool erase(QStringLiteral("Erase"), &journal);
    RecordingTool restore(QStringLiteral("Restore"), &journal);
    QSignalSpy changes(ToolEvents::instance(), &ToolEvents::toolChanged);
    QObject::connect(ToolEvents::instance(), &ToolEvents::toolChanged, &erase,
                     [&](const GmTool* tool) {
                         journal.push_back("toolChanged " + tool->name() + ", current " +
                                           theCurrentTool->name());
                     });

    erase.action()->trigger();
    restore.action()->trigger();
    restore.action()->trigger();  // again: the tool is its own predecessor

    const std::vector<QString> expected = {
        "toolChanged Erase, current Erase",
        "Erase activated after No Tool",
        "Erase deactivated for Restore",
        "toolChanged Restore, current Restore",
        "Restore activated after Erase",
        "Restore deactivated for Restore",
        "toolChanged Restore, current Restore",
        "Restore activated after Restore",
    };
    EXPECT_EQ(journal, expected);
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(theCurrentTool, &restore);
    EXPECT_TRUE(restore.action()->isChecked());
    EXPECT_FALSE(erase.action()->isChecked());
    EXPECT_EQ(options->windowTitle(), QStringLiteral("Restore"));
}

TEST_F(ToolFixture, InstallingAnUnusableToolLeavesTheChoiceToTheMainWindow) {
    RecordingTool usable(QStringLiteral("Usable"), &journal);
    RecordingTool unusable(QStringLiteral("Unusable"), &journal, 2, false);
    int defaultChoices = 0;
    GmTool::setDefaultToolChooser([&] { ++defaultChoices; });

    EXPECT_TRUE(usable.installSlot());
    EXPECT_EQ(theCurrentTool, &usable);
    journal.clear();
    EXPECT_TRUE(usable.installSlot()) << "the current, usable tool";
    EXPECT_TRUE(journal.empty()) << "installing the current tool triggers nothing";

    EXPECT_FALSE(unusable.installSlot());
    EXPECT_EQ(defaultChoices, 1);
    EXPECT_EQ(theCurrentTool, &usable);
}

// A tool can turn usable (an edge finding has just begun) before its action hears of it: a
// disabled action still emits when triggered from code, so installing catches the action up
// first and nothing is ever chosen through a disabled entry.
TEST_F(ToolFixture, InstallingAToolWhoseActionLagsEnablesTheActionFirst) {
    RecordingTool touchUp(QStringLiteral("Touch-Up"), &journal, 2, false);
    touchUp.setEnabledSlot();
    ASSERT_FALSE(touchUp.action()->isEnabled());
    QStringList triggeredWhileDisabled;
    QObject::connect(touchUp.action(), &QAction::triggered, &touchUp, [&] {
        if (!touchUp.action()->isEnabled())
            triggeredWhileDisabled << touchUp.name();
    });

    touchUp.setUsable(true);   // no signal told the action
    EXPECT_TRUE(touchUp.installSlot());
    EXPECT_EQ(theCurrentTool, &touchUp);
    EXPECT_TRUE(touchUp.action()->isEnabled());
    EXPECT_TRUE(touchUp.action()->isChecked());
    EXPECT_TRUE(triggeredWhileDisabled.isEmpty());
}

TEST_F(ToolFixture, EscapeWithoutActiveRegionInstallsTheNoTool) {
    RecordingTool erase(QStringLiteral("Erase"), &journal);
    erase.installSlot();
    erase.endInteraction();
    EXPECT_EQ(theCurrentTool, noTool.get());
}

TEST_F(ToolFixture, DestroyingTheCurrentToolHandsOverWithoutCallingIt) {
    auto erase = std::make_unique<RecordingTool>(QStringLiteral("Erase"), &journal);
    erase->installSlot();
    journal.clear();
    QSignalSpy changes(ToolEvents::instance(), &ToolEvents::toolChanged);
    erase.reset();
    // Nothing of the destroyed tool is called after its own destructor.
    EXPECT_EQ(journal, std::vector<QString>{"Erase destroyed"});
    EXPECT_EQ(theCurrentTool, noTool.get());
    ASSERT_EQ(changes.count(), 1);
}

TEST_F(ToolFixture, DestroyingTheNoToolLeavesNoCurrentTool) {
    RecordingTool erase(QStringLiteral("Erase"), &journal);
    erase.installSlot();
    noTool.reset();
    EXPECT_EQ(theCurrentTool, nullptr);
    EXPECT_EQ(theNoTool, nullptr);
}

TEST_F(ToolFixture, SelectingSwitchesToThePreferredTabUnlessSpaceHoldsAHand) {
    RecordingTool erase(QStringLiteral("Erase"), &journal);
    ImageView* view = window.view();
    view->ensureViewTab(8, ImageView::CompositionTab);
    ASSERT_EQ(view->currentViewTab(), ImageView::CompositionTab);

    GmTool* returnTool = &erase;
    GmTool::setSpaceReturnToolQuery([&] { return returnTool; });
    erase.action()->trigger();
    EXPECT_EQ(view->currentViewTab(), ImageView::CompositionTab) << "Space is held";

    returnTool = nullptr;
    erase.action()->trigger();
    EXPECT_EQ(view->currentViewTab(), ImageView::MaskingTab);

    // The NoTool works everywhere: no switch.
    view->ensureViewTab(8, ImageView::CompositionTab);
    noTool->action()->trigger();
    EXPECT_EQ(view->currentViewTab(), ImageView::CompositionTab);
}

TEST_F(ToolFixture, AvailabilityFollowsTheShownTab) {
    RecordingTool masking(QStringLiteral("Masking"), &journal, 2);
    RecordingTool composing(QStringLiteral("Composing"), &journal, 8);
    EXPECT_TRUE(masking.isAvailableInCurrentTab());
    EXPECT_FALSE(composing.isAvailableInCurrentTab());
    window.view()->ensureViewTab(8, ImageView::CompositionTab);
    EXPECT_FALSE(masking.isAvailableInCurrentTab());
    EXPECT_TRUE(composing.isAvailableInCurrentTab());
}

TEST_F(ToolFixture, TheActionFollowsUsabilityAtEachImageChange) {
    RecordingTool erase(QStringLiteral("Erase"), &journal);
    EXPECT_TRUE(erase.action()->isEnabled());
    erase.setUsable(false);
    ModelPort::instance()->setPictures(QImage(), QImage());
    EXPECT_FALSE(erase.action()->isEnabled());
    erase.setUsable(true);
    ModelPort::instance()->setPictures(benchPhoto(), QImage());
    EXPECT_TRUE(erase.action()->isEnabled());
}

TEST_F(ToolFixture, WhatsThisHasTheTitleInFrontOfANonEmptyTip) {
    RecordingTool plain(QStringLiteral("Plain"), &journal);
    RecordingTool tipped(QStringLiteral("Tipped"), &journal, 2, true, QStringLiteral("Paints."));
    EXPECT_EQ(plain.action()->whatsThis(), QString());
    EXPECT_EQ(tipped.action()->whatsThis(), QStringLiteral("<p><b>Tipped</b></p>Paints."));
}

TEST_F(ToolFixture, TheOptionsPanelShowsEachToolsWidgetOnce) {
    RecordingTool erase(QStringLiteral("Erase"), &journal);
    erase.installSlot();
    noTool->installSlot();
    erase.installSlot();
    noTool->installSlot();
    EXPECT_EQ(options->stack()->count(), 1) << "only the NoTool has a widget";
    EXPECT_EQ(options->stack()->currentWidget(), noTool->optionsWidget());
    EXPECT_EQ(noTool->optionsWidget()->objectName(), QStringLiteral("ToolOptionsWidget"));
}

} // namespace
