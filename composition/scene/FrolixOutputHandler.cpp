#include "composition/scene/FrolixOutputHandler.h"

FrolixOutputHandler* FrolixOutputHandler::instance() {
    static FrolixOutputHandler handler;
    return &handler;
}

void FrolixOutputHandler::fileTypeChoosen(int fileType) {
    if (fileType == fileType_)
        return;
    fileType_ = fileType;
    emit fileTypeChanged();
}
