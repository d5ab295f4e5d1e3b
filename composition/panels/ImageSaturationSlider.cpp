#include "composition/panels/ImageSaturationSlider.h"

#include <QCoreApplication>
#include <QSignalBlocker>

ImageSaturationSlider::ImageSaturationSlider()
    : PanelWidget(QCoreApplication::translate("QObject", "Change from Color to Black & White",
                                              "Tool tip on property panel"),
                  new QSlider(Qt::Horizontal)) {
    const QSignalBlocker quiet(widget());
    widget()->setRange(0, 100);
    widget()->setValue(100);
    widget()->update();
}

void ImageSaturationSlider::applyToItem(ImageItem* item) {
    item->saturation = float(widgetValue() * 0.01);
    item->refreshPixmap();
}

void ImageSaturationSlider::readFromItem(ImageItem* item) {
    setWidgetValue(static_cast<int>(double(item->saturation) * 100));
}
