#include "composition/panels/SpeechBubblePanel.h"

#include "composition/panels/BubbleChooser.h"
#include "composition/panels/FontChooser.h"

#include <QVBoxLayout>

SpeechBubblePanel::SpeechBubblePanel(QWidget* parent) : ItemPanel(parent) {
    font_ = new FontChooser;
    bubble_ = new BubbleChooser;
    buildLayout();
}

void SpeechBubblePanel::addPanelWidgets(QVBoxLayout* layout) {
    layout->addWidget(font_);
    layout->addWidget(bubble_);
}
