#pragma once

#include "composition/panels/PanelWidget.h"

#include <QSlider>

/// The "Transparency" slider: 10 to 100 percent of the item's own opacity, drawn inverted so
/// that moving right makes the items more transparent. Every selected item counts.
class ItemOpacityChooser : public PanelWidget<int, FrolixItem, QSlider> {
public:
    ItemOpacityChooser();

    void applyToItem(FrolixItem* item) override;
    /// Reads the item's own opacity, never the passing value of a fade-in, so that a read
    /// during a fade neither shows nor later stores a transient opacity.
    void readFromItem(FrolixItem* item) override;
};
