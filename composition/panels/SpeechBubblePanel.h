#pragma once

#include "composition/panels/ItemPanel.h"

class BubbleChooser;
class FontChooser;

/// The page of speech bubbles: the text's font, colour and alignment, and the bubble's
/// opacity, colour and type.
class SpeechBubblePanel : public ItemPanel {
public:
    explicit SpeechBubblePanel(QWidget* parent = nullptr);

    FontChooser* fontChooser() const { return font_; }
    BubbleChooser* bubbleChooser() const { return bubble_; }

protected:
    void addPanelWidgets(QVBoxLayout* layout) override;

private:
    FontChooser* font_ = nullptr;
    BubbleChooser* bubble_ = nullptr;
};
