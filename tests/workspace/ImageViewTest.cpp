#include "tests/workspace/WorkspaceFixture.h"

#include "workspace/ImageView.h"
#include "workspace/TqWorkspace.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTabBar>

#include <gtest/gtest.h>

namespace {

using zqtest::ViewWindow;

// A view with the masking page and a composition page under tab 8, as the main window builds it.
struct TwoTabView {
    TwoTabView() : window(QImage()) {
        composition = new QLabel(QStringLiteral("composition"));
        window.view()->addViewTab(composition, QStringLiteral("2. Compose Picture"), QString(),
                                  QString(), ImageView::CompositionTab);
    }
    ViewWindow window;
    QLabel* composition;
};

TEST(ImageView, StartsOnTheMaskingTabWithItsOwnPage) {
    ViewWindow window{QImage()};
    ImageView* view = window.view();
    EXPECT_EQ(view->currentViewTab(), ImageView::MaskingTab);
    EXPECT_EQ(view->currentPage(), view->workspace());
    EXPECT_EQ(view->tabBar()->count(), 1);
    EXPECT_EQ(view->tabBar()->tabText(0), QStringLiteral("1. Delete Background"));
    EXPECT_FALSE(view->tabBar()->isVisible()) << "tabs change only through ensureViewTab";
    EXPECT_EQ(view->minimumSizeHint(), QSize(400, 300));
}

TEST(ImageView, EnsureViewTabKeepsSwitchesOrIgnores) {
    struct Case {
        const char* name;
        int mask;
        ImageView::ViewTab fallback;
        ImageView::ViewTab expected;
        int emitted;
    };
    const Case cases[] = {
        {"current tab in the mask stays, silently", 8 | 2, ImageView::CompositionTab,
         ImageView::MaskingTab, 0},
        {"current tab outside the mask switches to the fallback", 8, ImageView::CompositionTab,
         ImageView::CompositionTab, 1},
        {"a fallback no tab has leaves the current tab", 4, static_cast<ImageView::ViewTab>(4),
         ImageView::MaskingTab, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TwoTabView fixture;
        ImageView* view = fixture.window.view();
        QSignalSpy changes(view, &ImageView::viewTabChanged);
        view->ensureViewTab(c.mask, c.fallback);
        EXPECT_EQ(view->currentViewTab(), c.expected);
        ASSERT_EQ(changes.count(), c.emitted);
        if (c.emitted)
            EXPECT_EQ(changes.at(0).at(0).value<ImageView::ViewTab>(), c.expected);
    }
}

TEST(ImageView, SwitchingShowsTheTabsOwnPage) {
    TwoTabView fixture;
    ImageView* view = fixture.window.view();
    view->ensureViewTab(8, ImageView::CompositionTab);
    EXPECT_EQ(view->currentPage(), fixture.composition);
    view->ensureViewTab(2, ImageView::MaskingTab);
    EXPECT_EQ(view->currentPage(), view->workspace());
}

TEST(ImageView, AmpersandsLeaveTheTitle) {
    TwoTabView fixture;
    EXPECT_EQ(fixture.window.view()->tabBar()->tabText(1), QStringLiteral("2. Compose Picture"));
    fixture.window.view()->addViewTab(new QLabel, QStringLiteral("&Print && Go"), QString(),
                                      QString(), static_cast<ImageView::ViewTab>(16));
    EXPECT_EQ(fixture.window.view()->tabBar()->tabText(2), QStringLiteral("Print  Go"));
}

TEST(ImageView, TabsSharingAPageShowItAndReportTheirOwnValue) {
    TwoTabView fixture;
    ImageView* view = fixture.window.view();
    // A third tab on the composition page, and one more on the masking page: with pages shared,
    // every tab must still find its own page, whatever order the tabs were added in.
    view->addViewTab(fixture.composition, QStringLiteral("Shared"), QString(), QString(),
                     static_cast<ImageView::ViewTab>(32));
    view->addViewTab(view->workspace(), QStringLiteral("Masking again"), QString(), QString(),
                     static_cast<ImageView::ViewTab>(64));
    EXPECT_EQ(view->tabBar()->count(), 4);

    struct Step {
        ImageView::ViewTab tab;
        QWidget* page;
    };
    const Step steps[] = {{static_cast<ImageView::ViewTab>(32), fixture.composition},
                          {static_cast<ImageView::ViewTab>(64), view->workspace()},
                          {ImageView::CompositionTab, fixture.composition},
                          {ImageView::MaskingTab, view->workspace()}};
    for (const Step& step : steps) {
        SCOPED_TRACE(int(step.tab));
        QSignalSpy changes(view, &ImageView::viewTabChanged);
        view->ensureViewTab(step.tab, step.tab);
        EXPECT_EQ(view->currentPage(), step.page);
        ASSERT_EQ(changes.count(), 1);
        EXPECT_EQ(changes.at(0).at(0).value<ImageView::ViewTab>(), step.tab);
        EXPECT_EQ(view->currentViewTab(), step.tab);
    }
}

} // namespace
