// The real main window on a double-density screen: this program runs with QT_SCALE_FACTOR=2.
#include "tests/shell/WindowFlowFixture.h"

#include <QGuiApplication>
#include <QToolButton>

#include <algorithm>

namespace {

using WindowOnADenseScreen = WindowFlowTest;

// A 1920 x 1080 screen at twice the density is 540 logical pixels high.
constexpr int denseScreenHeight = 540;

// The least height the window can take: its minimum, or the hint its layout sets it to.
int minimumHeight(const QWidget* window) {
    return std::max(window->minimumHeight(), window->minimumSizeHint().height());
}

// The masking view needs no more height than such a screen has, so Finish and Cancel stay
// on it; a window at the composition's least size keeps its size when a cut-out opens and
// closes, and the masking view's minimum goes with it.
TEST_F(WindowOnADenseScreen, TheMaskingViewFitsA540PixelScreenAndLeavesNoMinimumBehind) {
    ASSERT_EQ(qGuiApp->devicePixelRatio(), 2.0);
    const int composing = minimumHeight(window);
    window->resize(window->minimumSizeHint());
    settle();
    const QSize before = window->size();

    openPhoto();
    settle();
    EXPECT_LE(minimumHeight(window), denseScreenHeight);
    EXPECT_LE(window->height(), before.height()) << "the window grew for the masking view";

    // On such a screen the palette is shorter than its tools; Finish is still reached by
    // clicks, through the palette's overflow button when it does not fit.
    window->resize(window->width(), denseScreenHeight);
    settle();
    ASSERT_EQ(window->height(), denseScreenHeight);
    auto* palette = window->findChild<QToolBar*>(QStringLiteral("frolixBar"));
    ASSERT_NE(palette, nullptr);
    QWidget* finish = palette->widgetForAction(action("Finish"));
    ASSERT_NE(finish, nullptr);
    if (!finish->isVisible()) {
        auto* overflow = palette->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
        ASSERT_NE(overflow, nullptr);
        ASSERT_TRUE(overflow->isVisible());
        QTest::mouseClick(overflow, Qt::LeftButton);
        ASSERT_TRUE(waitUntil([finish] { return finish->isVisible(); }));
    }
    QTest::mouseClick(finish, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([this] { return placed(); }));
    settle();
    EXPECT_EQ(cutoutItems().size(), 1);
    EXPECT_EQ(minimumHeight(window), composing);
    EXPECT_EQ(window->minimumHeight(), composing);
}

}  // namespace
