#include "composition/scene/NewImageCommand.h"

#include "shell/TqMainWindow.h"

void NewImageCommand::execute() {
    // The window asks for the file itself when given no name; without a window there is
    // nobody to ask.
    if (theMainWindow)
        theMainWindow->loadFile(QString());
}
