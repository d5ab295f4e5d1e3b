#pragma once

#include "composition/scene/Command.h"

/// Reopens the first selected item for editing (a cut-out in the masking view).
class EditCutoutCommand : public Command {
public:
    void execute() override;
};
