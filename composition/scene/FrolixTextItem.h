#pragma once

#include "composition/scene/FrolixItem.h"

#include <QGraphicsTextItem>

class QAction;
class QKeyEvent;

/// What every text item of the composition shares: construction and copying, the width,
/// rotate, drag and scale handles, and the keyboard rules while it has focus. Abstract: the
/// kinds supply cloning and the rest of `FrolixItem`. GUI thread only.
class FrolixTextItem : public QGraphicsTextItem, public FrolixItem {
public:
    /// A text item in `scene` showing `text` (the translated default when empty), 32-point
    /// black text wrapped at 160 between words (never inside one), scaled with the canvas
    /// width, centred on `position`, or in the visible part of the view when `position` is
    /// exactly (0, 0) or not finite; placed on top.
    FrolixTextItem(QGraphicsScene* scene, const QString& text, const QPointF& position);
    /// A copy of `other` in the same scene with a document of its own, moved off `other` by
    /// the cascade offset and put on top.
    explicit FrolixTextItem(const FrolixTextItem& other);
    ~FrolixTextItem() override;

    /// `action`'s shortcuts still fire while a text is typed: leaving the program must not wait
    /// until the user clicks out of a text field. Kept until the action is destroyed.
    static void keepLiveWhileEditing(QAction* action);

    /// These re-place the handles, which follow the text's size.
    void setFont(const QFont& font);
    void setTextWidth(qreal width);
    void setDefaultTextColor(const QColor& colour);

    /// `font` at the item's current point size becomes the item's font.
    void setFontFamily(const QFont& font);

    double canvasScaleFactor(const QRect& newRect, const QRect& oldRect) override;
    QRectF localRect() const override;
    QString text() const override;
    /// Rewraps the text at the dragged width (never below 0); the left edge stays.
    void widthHandleMoved(const QPointF& p, Qt::KeyboardModifiers modifiers) override;

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget) override;

protected:
    /// While the text is typed the application's shortcuts do not fire, but for those of
    /// actions kept live with `keepLiveWhileEditing`; while the item has
    /// focus without being edited the space bar does nothing.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent* event) override;
    void dragLeaveEvent(QGraphicsSceneDragDropEvent* event) override;
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;

    /// True while the user can type into the item.
    bool isEditing() const;

private:
    /// True when the shortcut event or the key of the shortcut override belongs to an action
    /// kept live while editing.
    static bool isLiveWhileEditing(QObject* watched, QEvent* event);
    void initTextItem();
    void setTextAndAdjust(const QString& text);
    void finishPlacement();
};
