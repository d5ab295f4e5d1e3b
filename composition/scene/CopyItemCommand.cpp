#include "composition/scene/CopyItemCommand.h"

#include "composition/scene/FrolixItem.h"

void CopyItemCommand::execute() {
    // The selection changes with every clone; work on the one the command started with.
    const QList<FrolixItem*> items = FrolixItem::selectedItems();
    for (FrolixItem* item : items)
        item->cloneAndSelect();
}
