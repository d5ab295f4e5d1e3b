#pragma once

#include "composition/panels/ItemPanelButton.h"
#include "composition/scene/CopyItemCommand.h"

/// Clones the selected items; the last clone ends up selected.
class CloneButton : public ItemPanelButton<CopyItemCommand> {
    Q_OBJECT
public:
    explicit CloneButton(QGridLayout* grid);
};
