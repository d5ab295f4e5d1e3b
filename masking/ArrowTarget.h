#pragma once

#include <QColor>
#include <QObject>
#include <QVariant>

class ForcedEdge;
class GmRegion;
class OstrivalCommand;

namespace tq {
class Shape;
}

/// A region (patch) or a forced edge: what the user can select on the canvas and what the
/// engine works on apart from the whole image. The masking model owns them in two lists.
class ArrowTarget : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ArrowTarget() override = default;

    virtual tq::Shape* shape() = 0;
    virtual GmRegion* asRegion() = 0;
    virtual ForcedEdge* asForcedEdge() = 0;
    virtual bool isBrushRegion() const = 0;
    virtual bool isForcedEdge() const = 0;
    virtual void activate() = 0;
    virtual void deactivate() = 0;
    /// The user altered the target.
    virtual void changed() = 0;
    /// The outline colour, active or not.
    virtual QColor arrowStyle() const = 0;
    virtual bool isActive() const = 0;
    /// Submits the engine commands that put the target into the open session.
    virtual void applyToEngine() = 0;
    virtual QVariant save() const = 0;
    /// Drops what the engine knows of the target. A region given as `region` is ended and
    /// deleted by an end-session command (when the engine command thread is open).
    virtual void resetEngineState(GmRegion* region = nullptr) = 0;
    virtual bool canPreview() const { return false; }
    /// No patch-preview tool is ever made, so a preview changes nothing.
    virtual void preview() {}

protected:
    /// The colour setting "Active Patch or Forced Edge" or "Patch or Forced Edge".
    static QColor outlineColour(bool active);
    /// Hands `command` to the engine command thread; deletes it when there is none.
    static void submitToEngine(OstrivalCommand* command);
    static bool engineThreadOpen();
};
