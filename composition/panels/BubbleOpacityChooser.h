#pragma once

#include "composition/panels/PanelWidget.h"
#include "composition/scene/SpeechBubbleItem.h"

#include <QSlider>

/// The bubble's fill opacity: the alpha of its colour, 0..255, drawn inverted so that moving
/// right shows more of what lies behind. The colour itself is kept.
class BubbleOpacityChooser : public PanelWidget<int, SpeechBubbleItem, QSlider> {
public:
    explicit BubbleOpacityChooser(QGridLayout* grid);

    void applyToItem(SpeechBubbleItem* item) override;
    void readFromItem(SpeechBubbleItem* item) override;
};
