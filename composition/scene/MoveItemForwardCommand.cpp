#include "composition/scene/MoveItemForwardCommand.h"

#include "composition/scene/FrolixItem.h"

void MoveItemForwardCommand::execute() {
    const QList<FrolixItem*> items = FrolixItem::selectedItems();
    for (FrolixItem* item : items)
        item->bringForward();
}
