#pragma once

#include "composition/panels/ItemPanel.h"

class FontChooser;

/// The page of text fields: font, text colour and alignment.
class TextFieldItemPanel : public ItemPanel {
public:
    explicit TextFieldItemPanel(QWidget* parent = nullptr);

    FontChooser* fontChooser() const { return font_; }

protected:
    void addPanelWidgets(QVBoxLayout* layout) override;

private:
    FontChooser* font_ = nullptr;
};
