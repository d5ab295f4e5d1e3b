#include "CompositionFixture.h"
#include "SceneDrag.h"
#include "composition/scene/ArrowTipItemHandle.h"
#include "composition/scene/BackdropController.h"
#include "composition/scene/ItemController.h"
#include "composition/scene/SpeechBubbleItem.h"

#include <QPolygonF>

#include <cmath>

namespace {

class SpeechBubbleItemTest : public CompositionFixture {
protected:
    void SetUp() override {
        CompositionFixture::SetUp();
        lastBubbleBodyShape = 0;
        lastBubbleTailShape = 0;
    }
    void TearDown() override {
        if (theBackdropController)
            theBackdropController->setBackgroundColor(Qt::white);
        CompositionFixture::TearDown();
    }
    static SpeechBubbleItem* newBubble() {
        auto* bubble = new SpeechBubbleItem;
        bubble->setSelected(false);
        return bubble;
    }
    /// Puts the tail's tip at `itemPoint`, in the bubble's own coordinates.
    static void setTip(SpeechBubbleItem* bubble, const QPointF& itemPoint) {
        bubble->arrowTip()->setTipPos(bubble->mapToScene(itemPoint));
        bubble->arrowTipMoved();
        bubble->updateHandles();
    }
    static bool allFinite(const QPainterPath& path) {
        for (int i = 0; i < path.elementCount(); ++i)
            if (!std::isfinite(path.elementAt(i).x) || !std::isfinite(path.elementAt(i).y))
                return false;
        return true;
    }
    /// The canvas as the final image shows it: fade-ins count as finished, so no picture
    /// depends on the clock.
    QImage renderSettled() const {
        FrolixItem::beginFinalRendering();
        const QImage image = renderCanvas();
        FrolixItem::endFinalRendering();
        return image;
    }
    static QList<QRectF> ellipseBoxes(const QPainterPath& path) {
        QList<QRectF> boxes;
        for (const QPolygonF& polygon : path.toSubpathPolygons())
            boxes.append(polygon.boundingRect());
        return boxes;
    }
};

TEST_F(SpeechBubbleItemTest, TheFirstBubbleIsARoundedRectangleWithAWedgeBelowItsCorner) {
    SpeechBubbleItem* bubble = newBubble();
    EXPECT_EQ(bubble->bodyShape(), 0);
    EXPECT_EQ(bubble->tailShape(), 0);
    EXPECT_EQ(bubble->bubbleColour(), QColor(Qt::white));
    EXPECT_EQ(bubble->zValue(), 7);
    const QRectF b = bubble->bubbleRect();
    const QPointF tip = bubble->mapFromScene(bubble->arrowTip()->tipPos());
    EXPECT_NEAR(tip.x(), b.right(), 1e-6);
    EXPECT_NEAR(tip.y(), b.bottom() + b.height(), 1e-6);
    EXPECT_TRUE(bubble->shape().contains(tip - QPointF(2, 6)))
        << "the outline reaches down to the tip";
}

TEST_F(SpeechBubbleItemTest, ATipAtTheCentreGivesNoTailAndNothingNaN) {
    SpeechBubbleItem* bubble = newBubble();
    for (int tail : {0, 1}) {
        SCOPED_TRACE(tail);
        bubble->setShapes(1, tail);
        setTip(bubble, bubble->bubbleRect().center());
        EXPECT_TRUE(bubble->tailPath().isEmpty());
        EXPECT_TRUE(allFinite(bubble->outlinePath()));
        EXPECT_EQ(bubble->boundingRect().adjusted(1, 1, -1, -1),
                  bubble->bodyPath().boundingRect());
    }
}

TEST_F(SpeechBubbleItemTest, ATipStraightAboveGivesAHorizontalWedgeBase) {
    SpeechBubbleItem* bubble = newBubble();
    const QRectF b = bubble->bubbleRect();
    for (double dy : {-300.0, 300.0}) {
        SCOPED_TRACE(dy);
        setTip(bubble, b.center() + QPointF(0, dy));
        const QPainterPath tail = bubble->tailPath();
        ASSERT_EQ(tail.elementCount(), 4);
        EXPECT_TRUE(allFinite(tail));
        const double s = 0.25 * std::min(b.width(), b.height());
        EXPECT_NEAR(tail.elementAt(1).y, b.center().y(), 1e-9);
        EXPECT_NEAR(tail.elementAt(2).y, b.center().y(), 1e-9);
        EXPECT_NEAR(std::abs(tail.elementAt(1).x - tail.elementAt(2).x), 2 * s, 1e-9);
    }
}

TEST_F(SpeechBubbleItemTest, AThoughtChainOfFiveEllipsesWhenTheDistanceLimits) {
    SpeechBubbleItem* bubble = newBubble();
    bubble->setShapes(1, 1);
    const QRectF b = bubble->bubbleRect();
    const QPointF m = b.center();
    // Straight to the right: the chain starts on the body ellipse at m + (0.7 w, 0).
    const QPointF start = m + QPointF(0.7 * b.width(), 0);
    const double d = 3 * std::min(b.width(), b.height());   // d / 6 is the smallest limit
    const QPointF tip = start + QPointF(d, 0);
    setTip(bubble, tip);

    const QList<QRectF> boxes = ellipseBoxes(bubble->tailPath());
    const double expected[] = {0.2066, 0.5043, 0.7087, 0.8492, 0.9457};
    ASSERT_EQ(boxes.size(), 5);
    const double bigR = d / 6;
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const QPointF centre = start * (1 - expected[i]) + tip * expected[i];
        EXPECT_NEAR(boxes[i].center().x(), centre.x(), 1e-3 * d);
        EXPECT_NEAR(boxes[i].center().y(), centre.y(), 1e-3 * d);
        const double nominal = (1 - expected[i]) * bigR + expected[i] * 0.1 * bigR;
        EXPECT_GE(boxes[i].width() / 2, 0.85 * nominal - 0.01);
        EXPECT_LE(boxes[i].width() / 2, 1.15 * nominal + 0.01);
    }
    EXPECT_EQ(bubble->tailPath(), bubble->tailPath()) << "every repaint draws the same chain";

    bubble->setSelected(false);
    EXPECT_EQ(renderSettled(), renderSettled());
}

TEST_F(SpeechBubbleItemTest, BubblesAndClonesMadeInOneSecondDrawDifferentChains) {
    lastBubbleBodyShape = 1;
    lastBubbleTailShape = 1;
    SpeechBubbleItem* first = newBubble();
    SpeechBubbleItem* second = newBubble();
    auto* copy = static_cast<SpeechBubbleItem*>(first->clone());
    EXPECT_EQ(copy->bodyShape(), 1);
    EXPECT_EQ(copy->tailShape(), 1);
    // The same tip relative to each bubble, so only the random sizes can differ.
    const QPointF tip = first->bubbleRect().center() + QPointF(300, 250);
    for (SpeechBubbleItem* bubble : {first, second, copy})
        setTip(bubble, tip);
    EXPECT_NE(first->randomSeed(), second->randomSeed());
    EXPECT_NE(first->randomSeed(), copy->randomSeed());
    EXPECT_NE(first->tailPath(), second->tailPath());
    EXPECT_NE(first->tailPath(), copy->tailPath());
    EXPECT_EQ(ellipseBoxes(first->tailPath()).size(), ellipseBoxes(copy->tailPath()).size());
}

TEST_F(SpeechBubbleItemTest, TheOutlineFollowsTextFontAndWidth) {
    SpeechBubbleItem* bubble = newBubble();
    bubble->setShapes(0, 2);   // no tail: the outline is the body alone
    const auto bodyMatches = [bubble] {
        return bubble->boundingRect().adjusted(1, 1, -1, -1) == bubble->bubbleRect();
    };
    ASSERT_TRUE(bodyMatches());
    const QRectF before = bubble->bubbleRect();
    QFont big = bubble->font();
    big.setPointSize(64);
    bubble->setFont(big);
    EXPECT_GT(bubble->bubbleRect().height(), before.height());
    EXPECT_TRUE(bodyMatches()) << "font";
    bubble->setTextWidth(400);
    EXPECT_TRUE(bodyMatches()) << "width";
    bubble->setPlainText(QStringLiteral("a much longer text that wraps onto more lines"));
    EXPECT_TRUE(bodyMatches()) << "text";
    EXPECT_TRUE(view->itemScene()->items(bubble->mapToScene(bubble->bubbleRect().bottomRight() -
                                                            QPointF(3, 3)))
                    .contains(bubble));
}

TEST_F(SpeechBubbleItemTest, TheTipFollowsACanvasChange) {
    SpeechBubbleItem* bubble = newBubble();
    bubble->arrowTip()->setTipPos(QPointF(300, 250));
    bubble->arrowTipMoved();
    ItemController::instance()->setCanvasSize(QSize(200, 150));
    EXPECT_EQ(bubble->arrowTip()->tipPos(), QPointF(150, 125));
    EXPECT_EQ(bubble->arrowTip()->scenePos(), QPointF(150, 125));
    EXPECT_TRUE(bubble->sceneBoundingRect().contains(QPointF(150, 124)))
        << "the outline was rebuilt for the new tip";
}

TEST_F(SpeechBubbleItemTest, TheSceneFindsTheBubbleAtItsTailAfterATipDrag) {
    SpeechBubbleItem* bubble = newBubble();
    bubble->setSelected(true);   // handles show
    ItemHandle* handle = bubble->arrowTip();
    const QPointF centre = bubble->mapToScene(bubble->bubbleRect().center());
    const QPointF target = centre + QPointF(-150, 110);
    const QPointF nearTip = target + (centre - target) * 0.1;
    ASSERT_FALSE(view->itemScene()->items(nearTip).contains(bubble));

    // Grabbed off its tip, the handle keeps the offset of the grab.
    const QPointF grab = grabPoint(handle);
    dragScene(view.get(), grab, target + (grab - bubble->arrowTip()->tipPos()));
    EXPECT_NEAR(bubble->arrowTip()->tipPos().x(), target.x(), 1);
    EXPECT_NEAR(bubble->arrowTip()->tipPos().y(), target.y(), 1);
    EXPECT_EQ(handle->scenePos(), bubble->arrowTip()->tipPos());
    EXPECT_TRUE(view->itemScene()->items(nearTip).contains(bubble));
    EXPECT_FALSE(bubble->textInteractionFlags() & Qt::TextEditable)
        << "moving the tip ends editing";
}

TEST_F(SpeechBubbleItemTest, AClearBubbleLeavesOnlyItsOutlineOverTheBackdrop) {
    theBackdropController->setBackgroundColor(Qt::red);
    SpeechBubbleItem* bubble = newBubble();
    const QRectF b = bubble->bubbleRect();
    // Inside the body, between its edge and the text.
    const QPoint fill = bubble->mapToScene(b.topLeft() + QPointF(b.width() / 2, 3)).toPoint();
    const QPoint edge = bubble->mapToScene(QPointF(b.center().x(), b.top())).toPoint();

    EXPECT_EQ(pixelAt(renderSettled(), fill.x(), fill.y()), QColor(Qt::white));
    QColor clear = Qt::white;
    clear.setAlpha(0);
    bubble->setBubbleColour(clear);
    const QImage image = renderSettled();
    EXPECT_EQ(pixelAt(image, fill.x(), fill.y()), QColor(Qt::red)) << "no fill left";
    // Grey over red: only the outline can bring green into these pixels.
    int green = 0;
    for (int dy = -1; dy <= 1; ++dy)
        green = std::max(green, pixelAt(image, edge.x(), edge.y() + dy).green());
    EXPECT_GT(green, 30) << "the dark grey outline stays";
}

}  // namespace
