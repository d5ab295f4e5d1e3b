#pragma once

#include "masking/JxCmdHistoryStep.h"

/// Redoes one step of the image-wide session's history.
class JxCmdRedo : public JxCmdHistoryStep {
    Q_OBJECT
public:
    explicit JxCmdRedo(GmModel* model);
};
