#include "composition/panels/FontNameChooser.h"

#include <QApplication>

FontNameChooser::FontNameChooser(QGridLayout* grid)
    : PanelWidget(grid,
                  QCoreApplication::translate("QObject", "Click here to choose the text font",
                                              "Tool tip on property panel"),
                  QString(), QString()) {
    setWidgetValue(QApplication::font());
}

void FontNameChooser::applyToItem(TextFieldItem* item) { item->setFontFamily(widgetValue()); }

void FontNameChooser::readFromItem(TextFieldItem* item) { setWidgetValue(item->font()); }
