#include "composition/scene/CanvasSettingsCommand.h"

#include "composition/scene/ItemController.h"

void CanvasSettingsCommand::execute() {
    ItemController::instance()->showCanvasSettings();
}
