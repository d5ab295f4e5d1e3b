#include "composition/panels/BubbleChooser.h"

#include "composition/panels/BubbleColourChooser.h"
#include "composition/panels/BubbleOpacityChooser.h"
#include "composition/panels/BubbleTypeChooser.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

BubbleChooser::BubbleChooser()
    : QGroupBox(tr("Bubble", "Used as a heading in the speech bubble properties panel")) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    opacity_ = std::make_unique<BubbleOpacityChooser>(grid);
    colour_ = std::make_unique<BubbleColourChooser>(grid);
    type_ = std::make_unique<BubbleTypeChooser>(this);
    auto* row = new QHBoxLayout;
    for (QToolButton* button : type_->buttons())
        row->addWidget(button);
    layout->addLayout(row);
}

BubbleChooser::~BubbleChooser() = default;
