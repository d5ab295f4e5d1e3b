#pragma once

#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

#include <QPointer>

class GmRegion;

/// Begins a region's sub-session over the region's mask within the image-wide session. The
/// engine reads the mask for the whole life of the sub-session, so the selection points into
/// the mask the region's shape keeps (its pixel state), which is kept until the sub-session
/// has been ended (see the end-session command), not into a copy of the command's.
class JxCmdBeginSubSession : public OstrivalCommand {
    Q_OBJECT
public:
    JxCmdBeginSubSession(GmModel* model, GmRegion* region);

    QString description() const override;
    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool isCancellable() const override { return false; }

private:
    QPointer<GmRegion> region_;
    JxSession* session_ = nullptr;
    JxSelection selection_{0, 0, 0, 0, 0, 0, nullptr};
    JxSession* subSession_ = nullptr;
    // A region that covers no pixel, or that the engine refused, is of no use and goes; one
    // that found no session (the image-wide session failed) is kept.
    bool regionUseless_ = false;
};
