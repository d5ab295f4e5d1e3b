#pragma once

#include "composition/scene/Command.h"

/// Announces that the user wants to add a picture; the main window lets them choose one.
class NewImageCommand : public Command {
public:
    void execute() override;
};
