#include "composition/scene/TextFieldItem.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

TextFieldItem::TextFieldItem(QGraphicsScene* scene, const QString& text, const QPointF& position)
    : FrolixTextItem(scene, text, position) {
    setAlignment(Qt::AlignHCenter);
}

TextFieldItem::TextFieldItem(const TextFieldItem& other) : FrolixTextItem(other) {}

Qt::Alignment TextFieldItem::alignment() const {
    return document()->defaultTextOption().alignment();
}

void TextFieldItem::setAlignment(Qt::Alignment alignment) {
    QTextOption option = document()->defaultTextOption();
    option.setAlignment(alignment);
    document()->setDefaultTextOption(option);
    update();
}

void TextFieldItem::startEditing() {
    setTextInteractionFlags(Qt::TextEditorInteraction);
    setFocus(Qt::OtherFocusReason);
    // Typed keys reach the item only through a view that has the keyboard focus: a new field
    // must take them even while a panel's box (the font box) had the focus.
    if (QGraphicsScene* owner = scene())
        for (QGraphicsView* view : owner->views())
            if (view->isVisible()) {
                view->setFocus(Qt::OtherFocusReason);
                break;
            }
    setHandlesVisible(true);
    QTextCursor cursor = textCursor();
    cursor.select(QTextCursor::Document);
    setTextCursor(cursor);
}

FrolixItem* TextFieldItem::clone() { return new TextFieldItem(*this); }

QIcon TextFieldItem::icon(const QSize&) const {
    return QIcon(QStringLiteral(":/images/fun/icons48pix/text_tool.png"));
}

QVariant TextFieldItem::itemChange(GraphicsItemChange change, const QVariant& value) {
    switch (change) {
    case ItemVisibleChange:
        return value;
    case ItemPositionChange:
        suppressEditOnRelease = true;
        break;
    case ItemSelectedChange:
        suppressEditOnRelease = value.toBool();
        setSelectedState(value.toBool());
        break;
    default:
        break;
    }
    return handleItemChange(change, FrolixTextItem::itemChange(change, value));
}

void TextFieldItem::setSelectedState(bool selected) {
    setTextInteractionFlags(Qt::NoTextInteraction);
    QTextCursor cursor = textCursor();
    cursor.clearSelection();
    setTextCursor(cursor);
    clearFocus();
    setHandlesVisible(selected);
}

void TextFieldItem::mouseReleaseEvent(QGraphicsSceneMouseEvent* event) {
    FrolixTextItem::mouseReleaseEvent(event);
    if (suppressEditOnRelease) {
        suppressEditOnRelease = false;
    } else if (isSelected()) {
        setTextInteractionFlags(Qt::TextEditorInteraction);
        setFocus(Qt::OtherFocusReason);
        setHandlesVisible(true);
    }
}
