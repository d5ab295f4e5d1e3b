#pragma once

#include "composition/panels/PanelWidget.h"
#include "composition/scene/SpeechBubbleItem.h"

/// The "Bubble Color" button: a new colour keeps each bubble's own opacity.
class BubbleColourChooser : public PanelWidget<QColor, SpeechBubbleItem, ColourButton> {
public:
    explicit BubbleColourChooser(QGridLayout* grid);

    void applyToItem(SpeechBubbleItem* item) override;
    void readFromItem(SpeechBubbleItem* item) override;
};
