#pragma once

#include "composition/panels/PanelWidget.h"
#include "composition/scene/SpeechBubbleItem.h"

#include <QButtonGroup>
#include <QList>

class QToolButton;

/// The three bubble types: rounded rectangle with a speech wedge, ellipse with a speech
/// wedge, ellipse with thought ellipses. A choice also becomes the type of every bubble made
/// afterwards.
class BubbleTypeChooser : public PanelWidget<int, SpeechBubbleItem, QButtonGroup> {
public:
    /// The button group belongs to `groupOwner` (the group box).
    explicit BubbleTypeChooser(QObject* groupOwner);

    QList<QToolButton*> buttons() const { return buttons_; }

    void applyToItem(SpeechBubbleItem* item) override;
    void readFromItem(SpeechBubbleItem* item) override;

private:
    QList<QToolButton*> buttons_;
};
