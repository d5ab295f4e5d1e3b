#include "composition/scene/DeleteItemCommand.h"

#include "composition/scene/FrolixItem.h"

void DeleteItemCommand::execute() {
    const QList<FrolixItem*> items = FrolixItem::selectedItems();
    for (FrolixItem* item : items)
        item->trash();
}
