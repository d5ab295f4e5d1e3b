#include "composition/scene/MoveItemBackwardCommand.h"

#include "composition/scene/FrolixItem.h"

void MoveItemBackwardCommand::execute() {
    const QList<FrolixItem*> items = FrolixItem::selectedItems();
    for (FrolixItem* item : items)
        item->pushBackward();
}
