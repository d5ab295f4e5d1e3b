#include "composition/panels/BubbleColourChooser.h"

#include <QCoreApplication>

BubbleColourChooser::BubbleColourChooser(QGridLayout* grid)
    : PanelWidget(grid,
                  QCoreApplication::translate("QObject", "Click here to choose a bubble color",
                                              "Tool tip on property panel"),
                  QCoreApplication::translate("QObject", "Bubble Color",
                                              "Label on property panel"),
                  QString()) {}

void BubbleColourChooser::applyToItem(SpeechBubbleItem* item) {
    QColor colour = widgetValue();
    colour.setAlpha(item->bubbleColour().alpha());
    item->setBubbleColour(colour);
}

void BubbleColourChooser::readFromItem(SpeechBubbleItem* item) {
    setWidgetValue(item->bubbleColour());
}
