#pragma once

#include "composition/scene/Command.h"

#include <QPixmap>

class SavedCutoutState;

/// Puts a finished cut-out on the canvas: into the item its state belongs to when the
/// cut-out was reopened from the composition, else as a new item owning the state.
class CreateCutoutItemCommand : public Command {
public:
    CreateCutoutItemCommand(const QPixmap& pixmap, SavedCutoutState* state);
    void execute() override;

    QPixmap pixmap;
    SavedCutoutState* state;   ///< not owned; a new item takes it over
};
