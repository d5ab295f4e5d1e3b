#pragma once

#include "masking/MaskSelection.h"
#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

class GmRegion;

/// Marks the pixels of a region protected (status 32), so that later selections leave them
/// alone. Its result is not checked: a failed protection never ends the engine work.
class JxCmdProtect : public OstrivalCommand {
    Q_OBJECT
public:
    JxCmdProtect(GmModel* model, GmRegion* region);

    bool prepare() override;
    void execute() override;
    void hasFinished() override;

private:
    MaskSelection mask_;   // a copy: the engine reads it while the region may be deleted
    JxSession* session_ = nullptr;
    JxImage* statusImage_ = nullptr;
};
