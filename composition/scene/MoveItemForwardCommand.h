#pragma once

#include "composition/scene/Command.h"

/// Brings every selected item forward past the next item it overlaps.
class MoveItemForwardCommand : public Command {
public:
    void execute() override;
};
