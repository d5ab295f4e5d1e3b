#pragma once

#include "composition/scene/Command.h"

/// Shows the final image in its preview dialog, modally.
class PreviewFinalImageCommand : public Command {
public:
    void execute() override;
};
