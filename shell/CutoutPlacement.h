#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>

#include <functional>

class TqMainWindow;
class TqSourceImage;

/// Puts the cut-out being edited on the composition when the user finishes it. Placing saves
/// the masking session, so it waits until the engine command thread is idle; the wait is a
/// connection, never a blocking call. Work that must follow the placement (saving, closing,
/// opening another picture) is chained on it rather than run beside it. A waiting placement
/// belongs to the picture being cut out: when the masking model shows another one, it is
/// dropped with what was to follow it.
class CutoutPlacement : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Placed, Waiting, Failed };
    /// What the caller does once the cut-out is placed: `Leave` when the window closes then.
    enum class Then { Stay, Leave };

    /// Owned by `window`, whose engine thread it waits for and whose cut-out it closes once
    /// placed; listens to the masking model from now on.
    explicit CutoutPlacement(TqMainWindow* window);

    /// Placed: the cut-out is on the composition (or there was none) and the caller goes on;
    /// `later` is not used. Waiting: the engine has work first, and `later` runs once the
    /// cut-out is placed; a placement already waiting is joined, so one cut-out makes one
    /// item. Failed: the cut-out stays open and the caller stops. When the cut-out cannot be
    /// saved and any caller of this placement is to `Leave`, the message offers to discard
    /// it: taken, the cut-out is closed without an item and it counts as placed.
    Outcome place(std::function<void()> later, Then then = Then::Stay);
    /// Whether a placement waits for the engine.
    bool isPending() const { return pending_; }

private:
    /// One attempt: waits again while the engine has work, brings the mask up to date, places.
    void step();
    bool placeNow();
    /// Forgets a waiting placement and what was to follow it.
    void drop();
    void modelImageChanged(const TqSourceImage* image);

    TqMainWindow* window_;
    bool pending_ = false;
    bool maskRequested_ = false;
    bool failed_ = false;
    bool leaving_ = false;
    const TqSourceImage* image_ = nullptr;
    QList<std::function<void()>> afterPlacement_;
    QMetaObject::Connection queueConnection_;
    QMetaObject::Connection closureConnection_;
};
