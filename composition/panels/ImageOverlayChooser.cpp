#include "composition/panels/ImageOverlayChooser.h"

#include "composition/panels/ImageOverlayColour.h"
#include "composition/panels/ImageOverlaySlider.h"

#include <QHBoxLayout>

ImageOverlayChooser::ImageOverlayChooser(QWidget* parent)
    : QGroupBox(tr("Tint", "Heading on property panel"), parent),
      strength_(std::make_unique<ImageOverlaySlider>()),
      colour_(std::make_unique<ImageOverlayColour>()) {
    auto* layout = new QHBoxLayout(this);
    strength_->widget()->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    colour_->widget()->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addWidget(strength_->widget());
    layout->addWidget(colour_->widget());
}

ImageOverlayChooser::~ImageOverlayChooser() = default;
