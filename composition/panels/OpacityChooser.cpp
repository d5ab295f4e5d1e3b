#include "composition/panels/OpacityChooser.h"

#include "composition/panels/ItemOpacityChooser.h"

#include <QVBoxLayout>

OpacityChooser::OpacityChooser(QWidget* parent)
    : QGroupBox(tr("Transparency", "Used as a heading in the properties panel"), parent),
      opacity_(std::make_unique<ItemOpacityChooser>()) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(opacity_->widget());
}

OpacityChooser::~OpacityChooser() = default;
