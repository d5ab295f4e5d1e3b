#include "composition/panels/ImageOverlaySlider.h"

#include <QCoreApplication>
#include <QSignalBlocker>

ImageOverlaySlider::ImageOverlaySlider()
    : PanelWidget(QCoreApplication::translate("ImageOverlayChooser",
                                              "Alter the strength of the color tint",
                                              "Tool tip on property panel"),
                  new QSlider(Qt::Horizontal)) {
    const QSignalBlocker quiet(widget());
    widget()->setRange(0, 100);
    widget()->setValue(0);
}

void ImageOverlaySlider::applyToItem(ImageItem* item) {
    item->tintStrength = float(widgetValue() * 0.01);
    item->refreshPixmap();
}

void ImageOverlaySlider::readFromItem(ImageItem* item) {
    setWidgetValue(static_cast<int>(double(item->tintStrength) * 100));
}
