#pragma once

#include "masking/MaskSelection.h"
#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

#include <QList>

#include <memory>
#include <vector>

class GmRegion;

/// Marks the pixels of one region, or of several, protected (status 32), so that later
/// selections leave them alone. Its result is not checked: a failed protection never ends the
/// engine work.
class JxCmdProtect : public OstrivalCommand {
    Q_OBJECT
public:
    JxCmdProtect(GmModel* model, GmRegion* region);
    /// The protections laid down again after the whole image was unprotected: every region of
    /// `regions`, in their order, in one command however many there are.
    JxCmdProtect(GmModel* model, const QList<GmRegion*>& regions);

    /// Made by the second constructor: it re-protects, and a newer re-protection may take its
    /// place while it waits.
    bool reprotects() const { return reprotects_; }
    /// Takes `regions` in place of the regions given before (the command must still wait). A
    /// mask unchanged since it was copied is not copied again.
    void retake(const QList<GmRegion*>& regions);

    bool prepare() override;
    void execute() override;
    void hasFinished() override;

private:
    /// A region's mask as the command copied it, and which picture it was copied from.
    struct Copy {
        qint64 sourceKey = 0;
        QRect workingRect;
        std::unique_ptr<MaskSelection> mask;   // a copy: the engine reads it while the region may be deleted
    };
    Copy copyOf(GmRegion* region, const QRect& workingRect) const;

    std::vector<Copy> masks_;
    bool reprotects_ = false;
    JxSession* session_ = nullptr;
    JxImage* statusImage_ = nullptr;
};
