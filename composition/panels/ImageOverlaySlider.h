#pragma once

#include "composition/panels/PanelWidget.h"
#include "composition/scene/ImageItem.h"

#include <QSlider>

/// The strength of the pictures' tint, 0 to 100 percent.
class ImageOverlaySlider : public PanelWidget<int, ImageItem, QSlider> {
public:
    ImageOverlaySlider();

    void applyToItem(ImageItem* item) override;
    void readFromItem(ImageItem* item) override;
};
