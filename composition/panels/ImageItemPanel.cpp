#include "composition/panels/ImageItemPanel.h"

#include "composition/panels/EditCutoutButton.h"
#include "composition/panels/ImageOverlayChooser.h"
#include "composition/panels/ImageTVControlsChooser.h"

#include <QGridLayout>
#include <QVBoxLayout>

ImageItemPanel::ImageItemPanel(QWidget* parent) : ItemPanel(parent) {
    tvControls_ = new ImageTVControlsChooser(this);
    overlay_ = new ImageOverlayChooser(this);
    buildLayout();
}

void ImageItemPanel::addPanelWidgets(QVBoxLayout* layout) {
    layout->addWidget(tvControls_);
    layout->addWidget(overlay_);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    new EditCutoutButton(grid);
}
