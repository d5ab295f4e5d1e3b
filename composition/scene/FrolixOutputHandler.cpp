#include "composition/scene/FrolixOutputHandler.h"

#include <QSignalBlocker>

FrolixOutputHandler* FrolixOutputHandler::instance() {
    static FrolixOutputHandler handler;
    return &handler;
}

void FrolixOutputHandler::fileTypeChoosen(int fileType) {
    if (fileType < Jpg || fileType > Pdf)
        return;
    if (fileType != fileType_) {
        fileType_ = fileType;
        syncComboBoxes();
        emit fileTypeChanged();
    }
    syncComboBoxes();
}

void FrolixOutputHandler::syncComboBoxes() {
    comboBoxes_.removeAll(QPointer<QComboBox>());
    for (const QPointer<QComboBox>& box : comboBoxes_) {
        const QSignalBlocker quiet(box.data());
        box->setCurrentIndex(fileType_);
    }
}
