#pragma once

#include "composition/panels/PanelWidget.h"
#include "composition/scene/TextFieldItem.h"

/// The "Text Color" button of the "Text" group.
class FontColourChooser : public PanelWidget<QColor, TextFieldItem, ColourButton> {
public:
    explicit FontColourChooser(QGridLayout* grid);

    void applyToItem(TextFieldItem* item) override;
    void readFromItem(TextFieldItem* item) override;
};
