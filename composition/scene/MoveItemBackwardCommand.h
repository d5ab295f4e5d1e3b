#pragma once

#include "composition/scene/Command.h"

/// Pushes every selected item back past the next item it overlaps.
class MoveItemBackwardCommand : public Command {
public:
    void execute() override;
};
