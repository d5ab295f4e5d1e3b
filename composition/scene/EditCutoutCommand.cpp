#include "composition/scene/EditCutoutCommand.h"

#include "composition/scene/FrolixItem.h"

void EditCutoutCommand::execute() {
    if (FrolixItem* item = FrolixItem::firstSelectedItem())
        item->edit();
}
