#include "composition/scene/PreviewFinalImageCommand.h"

#include "composition/scene/FinalImagePreviewDialog.h"

void PreviewFinalImageCommand::execute() {
    FinalImagePreviewDialog dialog;
    dialog.exec();
}
