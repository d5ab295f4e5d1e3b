#pragma once

#include "composition/panels/ItemPanel.h"

class ImageOverlayChooser;
class ImageTVControlsChooser;

/// The page of pictures and cut-outs: colour or black and white, tint, and "Edit Cut-Out".
class ImageItemPanel : public ItemPanel {
public:
    explicit ImageItemPanel(QWidget* parent = nullptr);

    ImageTVControlsChooser* colourControls() const { return tvControls_; }
    ImageOverlayChooser* tintControls() const { return overlay_; }

protected:
    void addPanelWidgets(QVBoxLayout* layout) override;

private:
    ImageTVControlsChooser* tvControls_ = nullptr;
    ImageOverlayChooser* overlay_ = nullptr;
};
