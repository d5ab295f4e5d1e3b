#pragma once

#include "composition/panels/ItemPanelButton.h"
#include "composition/scene/DeleteItemCommand.h"

/// Trashes the selected items; a right click opens the trash menu to restore them.
class DeleteButton : public ItemPanelButton<DeleteItemCommand> {
    Q_OBJECT
public:
    explicit DeleteButton(QGridLayout* grid);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};
