#pragma once

#include <QGroupBox>

#include <memory>

class ImageSaturationSlider;

/// The "Color" group of the picture page: the saturation slider between a black-and-white
/// and a colour television.
class ImageTVControlsChooser : public QGroupBox {
    Q_OBJECT
public:
    explicit ImageTVControlsChooser(QWidget* parent);
    ~ImageTVControlsChooser() override;

    ImageSaturationSlider* saturationChooser() const { return saturation_.get(); }

private:
    std::unique_ptr<ImageSaturationSlider> saturation_;
};
