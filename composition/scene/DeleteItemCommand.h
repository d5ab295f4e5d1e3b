#pragma once

#include "composition/scene/Command.h"

/// Moves every selected item into the trash.
class DeleteItemCommand : public Command {
public:
    void execute() override;
};
