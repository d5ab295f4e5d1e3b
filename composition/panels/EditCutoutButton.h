#pragma once

#include "composition/panels/ItemPanelButton.h"
#include "composition/scene/EditCutoutCommand.h"

/// Reopens the first selected cut-out in the masking view; other items ignore it.
class EditCutoutButton : public ItemPanelButton<EditCutoutCommand> {
    Q_OBJECT
public:
    explicit EditCutoutButton(QGridLayout* grid);
};
