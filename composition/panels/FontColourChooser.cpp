#include "composition/panels/FontColourChooser.h"

#include <QCoreApplication>

FontColourChooser::FontColourChooser(QGridLayout* grid)
    : PanelWidget(grid,
                  QCoreApplication::translate("QObject", "Click here to choose the text color",
                                              "Tool tip on property panel"),
                  QCoreApplication::translate("QObject", "Text Color", "Label on property panel"),
                  QString()) {}

void FontColourChooser::applyToItem(TextFieldItem* item) {
    item->setDefaultTextColor(widgetValue());
}

void FontColourChooser::readFromItem(TextFieldItem* item) {
    setWidgetValue(item->defaultTextColor());
}
