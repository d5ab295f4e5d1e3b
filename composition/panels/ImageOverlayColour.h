#pragma once

#include "composition/panels/PanelWidget.h"
#include "composition/scene/ImageItem.h"

/// The colour of the pictures' tint.
class ImageOverlayColour : public PanelWidget<QColor, ImageItem, ColourButton> {
public:
    /// Starts on orange without writing it into any item, so a panel built while pictures
    /// are selected leaves their tint alone.
    ImageOverlayColour();

    void applyToItem(ImageItem* item) override;
    void readFromItem(ImageItem* item) override;
};
