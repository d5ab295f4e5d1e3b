#include "composition/panels/TextFieldItemPanel.h"

#include "composition/panels/FontChooser.h"

#include <QVBoxLayout>

TextFieldItemPanel::TextFieldItemPanel(QWidget* parent) : ItemPanel(parent) {
    font_ = new FontChooser;
    buildLayout();
}

void TextFieldItemPanel::addPanelWidgets(QVBoxLayout* layout) { layout->addWidget(font_); }
