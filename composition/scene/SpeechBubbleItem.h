#pragma once

#include "composition/scene/TextFieldItem.h"

#include <QColor>
#include <QPainterPath>

class ArrowTipItemHandle;

/// A text field inside a filled outline whose tail points at the arrow-tip handle: a rounded
/// rectangle or an ellipse, with a speech wedge or a chain of thought ellipses. The outline is
/// cached and rebuilt after every change that moves it. GUI thread only.
class SpeechBubbleItem : public TextFieldItem {
public:
    /// A new bubble in `theItemScene` with the default text, centred in the visible part of
    /// the view, of the type last chosen on the panel, above the other items.
    SpeechBubbleItem();
    /// A copy with a tail tip of its own below its own corner and a chain of its own.
    explicit SpeechBubbleItem(const SpeechBubbleItem& other);

    /// The text's bounding rectangle grown by the margin on every side.
    QRectF bubbleRect() const;
    QPainterPath bodyPath() const;
    /// The tail towards the tip, in item coordinates; empty when the tip is at the centre.
    QPainterPath tailPath() const;
    /// Body united with tail.
    QPainterPath outlinePath() const;

    /// Fill colour; its alpha is the bubble's opacity, which thins only the fill.
    QColor bubbleColour() const { return bubbleColour_; }
    void setBubbleColour(const QColor& colour);
    /// 0 rounded rectangle, 1 ellipse; other values draw no body.
    int bodyShape() const { return bodyShape_; }
    /// 0 speech wedge, 1 thought ellipses; other values draw no tail.
    int tailShape() const { return tailShape_; }
    void setShapes(int bodyShape, int tailShape);
    int randomSeed() const { return randomSeed_; }
    ArrowTipItemHandle* arrowTip() const { return arrowTip_; }

    /// The tip was put somewhere else: the outline is rebuilt.
    void arrowTipMoved() override;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    /// The outline, tail included (the text item's own test knows only the text).
    bool contains(const QPointF& point) const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget) override;

    QRectF localRect() const override { return bubbleRect(); }
    void applyCanvasChange(const QRect& newRect, const QRect& oldRect) override;
    QIcon icon(const QSize& size) const override;
    FrolixItem* clone() override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    void finishBubble();
    /// Must run before anything that moves the outline.
    void invalidateOutline();
    QPointF tipInItem() const;
    QPainterPath speechWedge(const QPointF& tip, const QPointF& centre, const QRectF& b) const;
    QPainterPath thoughtChain(const QPointF& tip, const QPointF& centre, const QRectF& b) const;

    ArrowTipItemHandle* arrowTip_ = nullptr;
    QColor bubbleColour_ = Qt::white;
    int bodyShape_ = 0;
    int tailShape_ = 0;
    double cornerRadius = 10.0;
    double margin = 7.0;
    int randomSeed_ = 0;
    mutable QPainterPath outline_;
    mutable bool outlineValid_ = false;
};

/// The shapes every new bubble starts with; the panel's bubble-type chooser sets them.
extern int lastBubbleBodyShape;
extern int lastBubbleTailShape;
