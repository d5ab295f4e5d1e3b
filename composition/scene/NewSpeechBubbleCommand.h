#pragma once

#include "composition/scene/Command.h"

/// Adds a speech bubble of the last chosen type, selected and ready for typing.
class NewSpeechBubbleCommand : public Command {
public:
    void execute() override;
};
