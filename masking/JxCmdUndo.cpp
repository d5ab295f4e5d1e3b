#include "masking/JxCmdUndo.h"

#include <QCoreApplication>

JxCmdUndo::JxCmdUndo(GmModel* model)
    : JxCmdHistoryStep(model, QCoreApplication::translate("JxCmdUndo", "Undoing..."), &JxUndo) {}
