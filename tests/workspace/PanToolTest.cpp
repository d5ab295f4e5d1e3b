#include "tests/workspace/WorkspaceFixture.h"

#include "workspace/GmTool.h"
#include "workspace/ImageView.h"
#include "workspace/ModelPort.h"
#include "workspace/PanTool.h"
#include "workspace/ToolOptions.h"
#include "workspace/TqWorkspace.h"

#include <QScrollBar>

#include <QMouseEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace {

using zqtest::benchPhoto;
using zqtest::ViewWindow;

class OutlineTool : public GmTool {
public:
    OutlineTool() : GmTool("Brush", "Brush", QIcon(), QString(), QString(), nullptr, nullptr, nullptr, nullptr) {}
    int regionOutlineStyle(const ArrowTarget*) const override { return 4; }
};

QMouseEvent mouse(QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held) {
    return QMouseEvent(type, QPointF(global), QPointF(global), QPointF(global), button, held,
                       Qt::NoModifier);
}

class PanFixture : public ::testing::Test {
protected:
    PanFixture() : window(benchPhoto()) {
        options = std::make_unique<ToolOptions>();
        noTool = std::make_unique<NoTool>(options.get());
        noTool->installSlot();
        hand = std::make_unique<PanTool>(nullptr, nullptr, nullptr, options.get());
    }
    ViewWindow window;
    std::unique_ptr<ToolOptions> options;
    std::unique_ptr<NoTool> noTool;
    std::unique_ptr<PanTool> hand;
};

TEST_F(PanFixture, DragReportsScreenDeltasAndSwapsTheHands) {
    hand->installSlot();
    QSignalSpy pans(hand.get(), &PanTool::tellPan);
    QSignalSpy cursors(ToolEvents::instance(), &ToolEvents::cursorChanged);
    // Both hands are drawn bitmaps, told apart by their hot spots; the standard shapes stand in
    // only when the pictures are missing.
    auto look = [this] { return std::make_pair(int(hand->cursor().shape()), hand->cursor().hotSpot()); };
    const auto open = look();

    auto press = mouse(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
    hand->mousePressEvent(&press, {});
    EXPECT_NE(look(), open) << "the grabbing hand while held";
    auto move = mouse(QEvent::MouseMove, {110, 100}, Qt::NoButton, Qt::LeftButton);
    hand->mouseMoveEvent(&move, {});
    auto release = mouse(QEvent::MouseButtonRelease, {110, 100}, Qt::LeftButton, Qt::NoButton);
    hand->mouseReleaseEvent(&release, {});

    ASSERT_EQ(pans.count(), 2);
    EXPECT_EQ(pans.at(0).at(0).toPoint(), QPoint(-10, 0));
    EXPECT_EQ(pans.at(1).at(0).toPoint(), QPoint(0, 0));
    EXPECT_EQ(cursors.count(), 2);
    EXPECT_EQ(look(), open);
}

TEST_F(PanFixture, OtherButtonsNeitherGrabNorPan) {
    hand->installSlot();
    QSignalSpy pans(hand.get(), &PanTool::tellPan);
    QSignalSpy cursors(ToolEvents::instance(), &ToolEvents::cursorChanged);
    auto press = mouse(QEvent::MouseButtonPress, {100, 100}, Qt::RightButton, Qt::RightButton);
    hand->mousePressEvent(&press, {});
    auto move = mouse(QEvent::MouseMove, {130, 100}, Qt::NoButton, Qt::RightButton);
    hand->mouseMoveEvent(&move, {});
    auto release = mouse(QEvent::MouseButtonRelease, {130, 100}, Qt::RightButton, Qt::NoButton);
    hand->mouseReleaseEvent(&release, {});
    EXPECT_EQ(pans.count(), 0);
    EXPECT_EQ(cursors.count(), 0);
}

TEST_F(PanFixture, StandsInForTheToolItReplacesNeverForItself) {
    OutlineTool brush;
    EXPECT_EQ(hand->regionOutlineStyle(nullptr), 3) << "no stand-in yet";

    // Installed with nothing current before it: no stand-in, the base style.
    noTool.reset();
    hand->installSlot();
    EXPECT_EQ(hand->standInFor(), nullptr);
    EXPECT_EQ(hand->regionOutlineStyle(nullptr), 3);

    brush.installSlot();
    hand->installSlot();
    EXPECT_EQ(hand->standInFor(), &brush);
    EXPECT_EQ(hand->regionOutlineStyle(nullptr), 4);

    // Triggering the hand again keeps the brush, and cannot make the hand its own stand-in.
    hand->action()->trigger();
    EXPECT_EQ(hand->standInFor(), &brush);
    EXPECT_EQ(hand->regionOutlineStyle(nullptr), 4);
}

TEST_F(PanFixture, AHandReplacingAHandKeepsTheFirstReplacedTool) {
    OutlineTool brush;
    PanTool otherHand(nullptr, nullptr, nullptr, options.get());
    brush.installSlot();
    otherHand.installSlot();
    hand->installSlot();
    EXPECT_EQ(hand->standInFor(), &brush);
}

TEST_F(PanFixture, DestroyingTheCurrentHandLeavesTheNoTool) {
    hand->installSlot();
    hand.reset();
    EXPECT_EQ(theCurrentTool, noTool.get());
    EXPECT_NE(emptyPanelWidget(), nullptr) << "the shared empty panel outlives the hand";
}

TEST_F(PanFixture, DraggingTheHandScrollsTheViewAgainstTheMovement) {
    window.view()->zoomToSlot(3.0);
    zqtest::waitFor([&] {
        return window.view()->workspace()->horizontalScrollBar()->maximum() > 100;
    });
    QScrollBar* h = window.view()->workspace()->horizontalScrollBar();
    QScrollBar* v = window.view()->workspace()->verticalScrollBar();
    h->setValue(100);
    v->setValue(100);
    QObject::connect(hand.get(), &PanTool::tellPan, window.view(), &ImageView::panImageViewportSlot);
    hand->installSlot();
    auto press = mouse(QEvent::MouseButtonPress, {300, 300}, Qt::LeftButton, Qt::LeftButton);
    hand->mousePressEvent(&press, {});
    auto move = mouse(QEvent::MouseMove, {270, 285}, Qt::NoButton, Qt::LeftButton);
    hand->mouseMoveEvent(&move, {});
    EXPECT_EQ(h->value(), 130) << "the image follows the hand, so the view moves the other way";
    EXPECT_EQ(v->value(), 115);
}

} // namespace
