#include "CompositionFixture.h"
#include "TestPixmapItem.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/FrolixPanTool.h"
#include "workspace/GmTool.h"
#include "workspace/ModelPort.h"
#include "workspace/ToolOptions.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>

namespace {

class FrolixPanToolTest : public CompositionFixture {
protected:
    void SetUp() override {
        CompositionFixture::SetUp();
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        QObject::connect(ToolEvents::instance(), &ToolEvents::toolChanged, view.get(),
                         &FrolixWidget::toolChangedSlot);
        QObject::connect(ToolEvents::instance(), &ToolEvents::cursorChanged, view.get(),
                         &FrolixWidget::cursorChangedSlot);
        item = addItem(QSize(60, 60), Qt::red, QPointF(170, 120));
        view->fitImageOnScreenSlot();
        view->setZoomProportion(1.0, QPointF(200, 150));   // scroll room on both axes
        other = std::make_unique<NoTool>();
        pan = std::make_unique<FrolixPanTool>(nullptr, nullptr, nullptr, view.get());
        ASSERT_TRUE(pan->installSlot());
        ASSERT_EQ(theCurrentTool, pan.get());
    }
    void TearDown() override {
        pan.reset();
        other.reset();
        CompositionFixture::TearDown();
    }

    void send(QEvent::Type type, const QPoint& at, Qt::MouseButtons held) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), view->viewport()->mapToGlobal(at), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &event);
    }
    QPoint scroll() const {
        return QPoint(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
    }

    TestPixmapItem* item = nullptr;
    std::unique_ptr<NoTool> other;
    std::unique_ptr<FrolixPanTool> pan;
};

TEST_F(FrolixPanToolTest, DragScrollsTheCanvasAlongWithoutTouchingItems) {
    const QPoint itemOnScreen = view->mapFromScene(QPointF(200, 150));
    const QPoint before = scroll();
    send(QEvent::MouseButtonPress, itemOnScreen, Qt::LeftButton);
    EXPECT_EQ(pan->currentCursor(), pan->grabCursor());
    EXPECT_EQ(view->viewport()->cursor().shape(), pan->grabCursor()->shape());
    send(QEvent::MouseMove, itemOnScreen + QPoint(30, 20), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, itemOnScreen + QPoint(30, 20), Qt::NoButton);

    EXPECT_EQ(scroll(), before - QPoint(30, 20));
    EXPECT_EQ(item->pos(), QPointF(170, 120));
    EXPECT_FALSE(item->isSelected());
    EXPECT_FALSE(pan->isDragging());
    EXPECT_EQ(pan->currentCursor(), pan->openCursor());
}

TEST_F(FrolixPanToolTest, MovingWithoutAPressNeverScrolls) {
    const QPoint before = scroll();
    send(QEvent::MouseMove, QPoint(100, 100), Qt::NoButton);
    send(QEvent::MouseMove, QPoint(300, 200), Qt::NoButton);
    EXPECT_EQ(scroll(), before);
}

TEST_F(FrolixPanToolTest, ChangingToolMidDragEndsTheDrag) {
    send(QEvent::MouseButtonPress, QPoint(300, 300), Qt::LeftButton);
    ASSERT_TRUE(pan->isDragging());
    ASSERT_TRUE(other->installSlot());
    EXPECT_FALSE(pan->isDragging());
    EXPECT_EQ(pan->currentCursor(), pan->openCursor());

    // The view's own handling is back: a click selects the item.
    const QPoint at = view->mapFromScene(QPointF(200, 150));
    send(QEvent::MouseButtonPress, at, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at, Qt::NoButton);
    EXPECT_TRUE(item->isSelected());
}

TEST_F(FrolixPanToolTest, OnlyANewCursorIsAnnounced) {
    QSignalSpy cursors(ToolEvents::instance(), &ToolEvents::cursorChanged);
    pan->setCursor(pan->openCursor());
    EXPECT_EQ(cursors.count(), 0);
    pan->setCursor(pan->grabCursor());
    EXPECT_EQ(cursors.count(), 1);
    ASSERT_TRUE(other->installSlot());
    pan->setCursor(pan->openCursor());
    EXPECT_EQ(cursors.count(), 1) << "a tool that is not current stays quiet";
}

TEST_F(FrolixPanToolTest, UsableOnlyWhileACompositionIsOpen) {
    EXPECT_EQ(pan->viewTabs(), 8);
    EXPECT_EQ(pan->optionsWidget(), emptyPanelWidget());
    EXPECT_EQ(pan->action()->shortcut(), QKeySequence("P"));
    FrolixObject::instance()->endComposition();
    EXPECT_FALSE(pan->isUsable());
    FrolixObject::instance()->startComposition();
    EXPECT_TRUE(pan->isUsable());
}

}  // namespace
