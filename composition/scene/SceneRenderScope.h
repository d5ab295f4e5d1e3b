#pragma once

#include <QGraphicsObject>
#include <QPointer>
#include <QTextCursor>

class FrolixItem;
class QGraphicsScene;

/// Quiets the scene for a rendering of the final image or a print: its signals are blocked
/// (so no panel or controller hears of the changes), focus and selection are cleared (so
/// neither frame, handles nor text cursor show) and items paint at their own opacity. When
/// the scope ends, the first selected item is selected again without restarting its fade-in,
/// the item that had the focus gets it back (a text being typed is typed on where its cursor
/// was), and the signals are unblocked unless they were blocked before. A scene destroyed
/// meanwhile is left alone.
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
    QPointer<QGraphicsObject> focus_;
    Qt::TextInteractionFlags textInteraction_;
    QTextCursor textCursor_;
};
