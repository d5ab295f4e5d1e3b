#pragma once

#include "composition/scene/FrolixTextItem.h"

/// The text field the user adds ("Add Text", dropped text). The first click selects it, a
/// second click without moving it puts the text cursor into it; moving it never starts
/// editing. GUI thread only.
class TextFieldItem : public FrolixTextItem {
public:
    /// Centred text; see `FrolixTextItem` for the rest.
    TextFieldItem(QGraphicsScene* scene, const QString& text, const QPointF& position);
    explicit TextFieldItem(const TextFieldItem& other);

    /// The alignment of the document's default text option.
    Qt::Alignment alignment() const;
    void setAlignment(Qt::Alignment alignment);

    /// Text editing with the whole text selected, so the default text can be overtyped.
    void startEditing() override;
    FrolixItem* clone() override;
    QIcon icon(const QSize& size) const override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;

private:
    void setSelectedState(bool selected);

    /// Set when the item moves or its selection changes, so the release that ends that gesture
    /// does not start editing.
    bool suppressEditOnRelease = false;
};
