#pragma once

#include "masking/JxCmdHistoryStep.h"

/// Undoes one step of the image-wide session's history.
class JxCmdUndo : public JxCmdHistoryStep {
    Q_OBJECT
public:
    explicit JxCmdUndo(GmModel* model);
};
