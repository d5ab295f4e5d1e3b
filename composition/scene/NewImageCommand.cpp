#include "composition/scene/NewImageCommand.h"

#include "composition/scene/FrolixObject.h"

void NewImageCommand::execute() {
    // The window asks for the file itself; without a window nobody hears, and nobody is asked.
    emit FrolixObject::instance()->addImageRequested();
}
