#pragma once

#include "composition/panels/ItemPanelButton.h"
#include "composition/scene/MoveItemForwardCommand.h"

/// Runs the bring-forward command on the selected items.
class BringFwdButton : public ItemPanelButton<MoveItemForwardCommand> {
    Q_OBJECT
public:
    explicit BringFwdButton(QGridLayout* grid);
};
