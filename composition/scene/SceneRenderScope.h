#pragma once

#include <QPointer>

class FrolixItem;
class QGraphicsScene;

/// Quiets the scene for a rendering of the final image or a print: its signals are blocked
/// (so no panel or controller hears of the changes), focus and selection are cleared (so
/// neither frame nor handles show) and items paint at their own opacity. When the scope
/// ends, the first selected item is selected again without restarting its fade-in, and the
/// signals are unblocked unless they were blocked before. A scene destroyed meanwhile is left
/// alone.
class SceneRenderScope {
public:
    explicit SceneRenderScope(QGraphicsScene* scene);
    ~SceneRenderScope();
    SceneRenderScope(const SceneRenderScope&) = delete;
    SceneRenderScope& operator=(const SceneRenderScope&) = delete;

private:
    QPointer<QGraphicsScene> scene_;
    bool wasBlocked_ = false;
    FrolixItem* reselect_ = nullptr;
};
