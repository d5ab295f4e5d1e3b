#include "composition/panels/QtSignalSlotHandler.h"

void QtSignalSlotHandler::selectionChangedSlot() { showSelectedValue(); }

void QtSignalSlotHandler::widgetValueChangedSlot() { applyWidgetValue(); }
