#include "composition/panels/ItemPanel.h"

#include "composition/panels/BringFwdButton.h"
#include "composition/panels/CloneButton.h"
#include "composition/panels/DeleteButton.h"
#include "composition/panels/OpacityChooser.h"
#include "composition/panels/PushBackButton.h"

#include <QGridLayout>
#include <QVBoxLayout>

ItemPanel::ItemPanel(QWidget* /*parent*/) : QWidget(nullptr) {}

void ItemPanel::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QGridLayout;
    layout->addLayout(buttons);
    new BringFwdButton(buttons);
    new PushBackButton(buttons);
    new DeleteButton(buttons);
    new CloneButton(buttons);
    if (!opacity_)
        opacity_ = new OpacityChooser(this);
    layout->addWidget(opacity_);
    addPanelWidgets(layout);
    layout->addStretch();
}
