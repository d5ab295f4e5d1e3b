#include "composition/scene/NewTextFieldCommand.h"

#include "composition/scene/ItemController.h"

NewTextFieldCommand::NewTextFieldCommand(const QString& text, const QPointF& position)
    : text(text), position(position) {}

void NewTextFieldCommand::execute() { ItemController::instance()->createTextField(text, position); }
