#include "composition/panels/BubbleOpacityChooser.h"

#include <QCoreApplication>
#include <QSignalBlocker>

BubbleOpacityChooser::BubbleOpacityChooser(QGridLayout* grid)
    : PanelWidget(grid,
                  QCoreApplication::translate(
                      "QObject", "Control how much you see through the bubble's background",
                      "Tool tip on property panel"),
                  QString(), QString(), new QSlider(Qt::Horizontal)) {
    const QSignalBlocker quiet(widget());
    widget()->setRange(0, 255);
    widget()->setInvertedAppearance(true);
}

void BubbleOpacityChooser::applyToItem(SpeechBubbleItem* item) {
    QColor colour = item->bubbleColour();
    colour.setAlpha(widgetValue());
    item->setBubbleColour(colour);
}

void BubbleOpacityChooser::readFromItem(SpeechBubbleItem* item) {
    setWidgetValue(item->bubbleColour().alpha());
}
