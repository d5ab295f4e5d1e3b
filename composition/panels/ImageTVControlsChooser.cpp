#include "composition/panels/ImageTVControlsChooser.h"

#include "composition/panels/ImageSaturationSlider.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {
QLabel* pictureLabel(const QString& path) {
    auto* label = new QLabel;
    label->setPixmap(QPixmap(path));
    label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return label;
}
}  // namespace

ImageTVControlsChooser::ImageTVControlsChooser(QWidget* parent)
    : QGroupBox(tr("Color", "Heading on property panel"), parent),
      saturation_(std::make_unique<ImageSaturationSlider>()) {
    auto* layout = new QHBoxLayout(this);
    saturation_->widget()->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    layout->addWidget(pictureLabel(QStringLiteral(":/images/fun/icons48pix/bwtv.png")));
    layout->addWidget(saturation_->widget());
    layout->addWidget(pictureLabel(QStringLiteral(":/images/fun/icons48pix/colourtv.png")));
}

ImageTVControlsChooser::~ImageTVControlsChooser() = default;
