#include "composition/panels/ItemOpacityChooser.h"

#include <QCoreApplication>
#include <QSignalBlocker>

ItemOpacityChooser::ItemOpacityChooser()
    : PanelWidget(QCoreApplication::translate("QObject",
                                              "Control how much you see through the item",
                                              "Tool tip on property panel"),
                  new QSlider(Qt::Horizontal)) {
    const QSignalBlocker quiet(widget());
    widget()->setRange(10, 100);
    widget()->setInvertedAppearance(true);
}

void ItemOpacityChooser::applyToItem(FrolixItem* item) {
    item->setItemOpacity(widgetValue() * 0.01);
}

void ItemOpacityChooser::readFromItem(FrolixItem* item) {
    setWidgetValue(static_cast<int>(item->itemOpacity() * 100));
}
