#pragma once

#include "composition/scene/Command.h"

/// Asks the main window to let the user choose a picture to open.
class NewImageCommand : public Command {
public:
    void execute() override;
};
