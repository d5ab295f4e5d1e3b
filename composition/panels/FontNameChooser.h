#pragma once

#include "composition/panels/PanelWidget.h"
#include "composition/scene/TextFieldItem.h"

/// The font box of the "Text" group: a chosen font takes each text item's own point size.
class FontNameChooser : public PanelWidget<QFont, TextFieldItem, TruncatedFontComboBox> {
public:
    explicit FontNameChooser(QGridLayout* grid);

    void applyToItem(TextFieldItem* item) override;
    void readFromItem(TextFieldItem* item) override;
};
