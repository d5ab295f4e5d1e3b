#pragma once

#include "composition/panels/ItemPanelButton.h"
#include "composition/scene/MoveItemBackwardCommand.h"

/// Runs the push-backward command on the selected items.
class PushBackButton : public ItemPanelButton<MoveItemBackwardCommand> {
    Q_OBJECT
public:
    explicit PushBackButton(QGridLayout* grid);
};
