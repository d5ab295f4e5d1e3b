#pragma once

#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

#include <QPointer>

#include <memory>
#include <vector>

class GmRegion;
class PixelState;
class SegmentationStuff;
class TqSourceImage;

namespace tq {
class Shape;
}

/// Ends a session and, when it differs, its analysis sub-session. Three forms: a region's
/// holder and shape (the region stays), a region (deleted once its sub-sessions have ended),
/// or handles given outright (the model's end of session, an analysis whose holder went away)
/// with the images to delete once they have ended. What the command holds for deletion goes
/// also when the engine reported a failure or the command never ran.
class JxCmdEndSession : public OstrivalCommand {
    Q_OBJECT
public:
    JxCmdEndSession(GmModel* model, JxSession* session, JxSession* subSession,
                    TqSourceImage* source, TqSourceImage* output);
    /// Ends the sub-sessions of `holder`, whose region's outline is `shape`. The shape gets a
    /// fresh pixel state at once, so that whatever is built for the region from here on sees
    /// its current outline; the old one, whose mask the ending sub-session still reads, is
    /// kept until the command is gone.
    JxCmdEndSession(GmModel* model, SegmentationStuff* holder, tq::Shape* shape);
    /// Ends the region's sub-sessions, then deletes the region.
    JxCmdEndSession(GmModel* model, GmRegion* region);
    ~JxCmdEndSession() override;

    /// Made for a region: more regions may join it while it waits.
    bool endsRegions() const { return !region_.isNull(); }
    /// Ends `region`'s sub-sessions with the first region's and deletes it with it (the
    /// command must still wait). Regions removed one after another (closing a picture, a
    /// restore's refused regions) end in one command, not one command each.
    void addRegion(GmRegion* region);

    QString description() const override;
    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool isCancellable() const override { return false; }

private:
    JxSession* session_;
    JxSession* subSession_;
    TqSourceImage* source_ = nullptr;
    TqSourceImage* output_ = nullptr;
    // The handles come from the holder in `prepare` when none were given.
    bool handlesGiven_;
    QPointer<SegmentationStuff> holder_;
    std::unique_ptr<PixelState> oldPixelState_;
    QPointer<GmRegion> region_;
    /// The regions that joined the first, with the handles `prepare` takes from them.
    struct Joined {
        QPointer<GmRegion> region;
        JxSession* session = nullptr;
        JxSession* subSession = nullptr;
    };
    std::vector<Joined> joined_;
};
