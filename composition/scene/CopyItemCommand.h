#pragma once

#include "composition/scene/Command.h"

/// Clones every selected item; the last clone ends up selected alone.
class CopyItemCommand : public Command {
public:
    void execute() override;
};
