#pragma once

#include "composition/scene/Command.h"

/// Shows the canvas settings dialog.
class CanvasSettingsCommand : public Command {
public:
    void execute() override;
};
