#include "composition/scene/SceneRenderScope.h"

#include "composition/scene/FrolixItem.h"

#include <QGraphicsScene>

SceneRenderScope::SceneRenderScope(QGraphicsScene* scene) : scene_(scene) {
    FrolixItem::beginFinalRendering();
    if (!scene)
        return;
    wasBlocked_ = scene->blockSignals(true);
    scene->clearFocus();
    reselect_ = FrolixItem::firstSelectedItem();
    scene->clearSelection();
}

SceneRenderScope::~SceneRenderScope() {
    // Still inside the final-rendering state, so the reselected item keeps its fade as it was.
    if (scene_ && reselect_ && liveItems.contains(reselect_)) {
        QGraphicsScene* itemScene = reselect_->graphicsItem()->scene();
        if (itemScene) {
            itemScene->clearSelection();
            reselect_->graphicsItem()->setSelected(true);
        }
    }
    if (scene_ && !wasBlocked_)
        scene_->blockSignals(false);
    FrolixItem::endFinalRendering();
}
