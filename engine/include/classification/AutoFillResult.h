#pragma once

#include "classification/IntBox.h"

namespace classification {

/// What the auto-fill step of a mask generation found: which kinds of marks there are to
/// separate, and the box whose statuses the colour estimates of the passes are built from.
struct AutoFillResult {
    IntBox contextBox;       // the whole status image, or the margin box round the generation
    bool hasKeep = false;
    bool hasDelete = false;
    int undoGroupsBegun = 0; // the fills' groups, so that exactly those can be undone
};

}  // namespace classification
