#include "composition/scene/FrolixOutputHandler.h"

#include <QCoreApplication>
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

QString FrolixOutputHandler::exportFileFilter() const {
    const char* disambiguation = "[zol, frolix]description appearing in File/SaveAs dialogue";
    const QString png = QCoreApplication::translate("TqApp", "PNG image", disambiguation)
                        + QStringLiteral(" (*.png)");
    const QString jpeg = QCoreApplication::translate("TqApp", "JPEG image", disambiguation)
                         + QStringLiteral(" (*.jpg)");
    const bool jpegFirst = fileType_ == Jpg;
    return jpegFirst ? QStringList{jpeg, png}.join(QStringLiteral(";;"))
                     : QStringList{png, jpeg}.join(QStringLiteral(";;"));
}
