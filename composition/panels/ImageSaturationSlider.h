#pragma once

#include "composition/panels/PanelWidget.h"
#include "composition/scene/ImageItem.h"

#include <QSlider>

/// From black and white (0) to the pictures' own colours (100).
class ImageSaturationSlider : public PanelWidget<int, ImageItem, QSlider> {
public:
    ImageSaturationSlider();

    void applyToItem(ImageItem* item) override;
    void readFromItem(ImageItem* item) override;
};
