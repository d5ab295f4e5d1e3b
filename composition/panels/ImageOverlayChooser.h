#pragma once

#include <QGroupBox>

#include <memory>

class ImageOverlayColour;
class ImageOverlaySlider;

/// The "Tint" group of the picture page: strength and colour.
class ImageOverlayChooser : public QGroupBox {
    Q_OBJECT
public:
    explicit ImageOverlayChooser(QWidget* parent);
    ~ImageOverlayChooser() override;

    ImageOverlaySlider* strengthChooser() const { return strength_.get(); }
    ImageOverlayColour* colourChooser() const { return colour_.get(); }

private:
    std::unique_ptr<ImageOverlaySlider> strength_;
    std::unique_ptr<ImageOverlayColour> colour_;
};
