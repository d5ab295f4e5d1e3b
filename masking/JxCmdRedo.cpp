#include "masking/JxCmdRedo.h"

#include <QCoreApplication>

JxCmdRedo::JxCmdRedo(GmModel* model)
    : JxCmdHistoryStep(model, QCoreApplication::translate("JxCmdRedo", "Redoing..."), &JxRedo) {}
