#include "composition/panels/FontChooser.h"

#include "composition/panels/FontColourChooser.h"
#include "composition/panels/FontNameChooser.h"
#include "composition/panels/TextAlignmentChooser.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

FontChooser::FontChooser()
    : QGroupBox(tr("Text", "Used as a heading in the text properties panel")) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    fontName_ = std::make_unique<FontNameChooser>(grid);
    fontColour_ = std::make_unique<FontColourChooser>(grid);
    alignment_ = std::make_unique<TextAlignmentChooser>(this);
    auto* row = new QHBoxLayout;
    for (QToolButton* button : alignment_->buttons())
        row->addWidget(button);
    layout->addLayout(row);
}

FontChooser::~FontChooser() = default;
