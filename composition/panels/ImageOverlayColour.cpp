#include "composition/panels/ImageOverlayColour.h"

#include <QCoreApplication>

ImageOverlayColour::ImageOverlayColour()
    : PanelWidget(QCoreApplication::translate("ImageOverlayChooser",
                                              "Choose a color to tint the image",
                                              "Tool tip on property panel"),
                  new ColourButton) {
    setWidgetValue(QColor(255, 127, 0, 255));
}

void ImageOverlayColour::applyToItem(ImageItem* item) {
    item->tintColour = widgetValue();
    item->refreshPixmap();
}

void ImageOverlayColour::readFromItem(ImageItem* item) { setWidgetValue(item->tintColour); }
