#include "composition/scene/SceneRenderScope.h"

#include "composition/scene/FrolixItem.h"

#include <QGraphicsScene>
#include <QGraphicsTextItem>

SceneRenderScope::SceneRenderScope(QGraphicsScene* scene) : scene_(scene) {
    FrolixItem::beginFinalRendering();
    if (!scene)
        return;
    wasBlocked_ = scene->blockSignals(true);
    // A final image is rendered while a text is typed (the quit question asks whether the
    // composition changed): the text is handed back as it was once the image is made.
    if (QGraphicsItem* focus = scene->focusItem())
        focus_ = focus->toGraphicsObject();
    scene->clearFocus();
    reselect_ = FrolixItem::firstSelectedItem();
    auto* text = reselect_ ? dynamic_cast<QGraphicsTextItem*>(reselect_->graphicsItem()) : nullptr;
    if (text) {
        textInteraction_ = text->textInteractionFlags();
        textCursor_ = text->textCursor();
    }
    scene->clearSelection();
}

SceneRenderScope::~SceneRenderScope() {
    // Still inside the final-rendering state, so the reselected item keeps its fade as it was.
    if (scene_ && reselect_ && liveItems.contains(reselect_)) {
        QGraphicsScene* itemScene = reselect_->graphicsItem()->scene();
        if (itemScene) {
            itemScene->clearSelection();
            reselect_->graphicsItem()->setSelected(true);
            // Selecting a text again ends its editing: what it had comes back after that.
            if (auto* text = dynamic_cast<QGraphicsTextItem*>(reselect_->graphicsItem())) {
                text->setTextInteractionFlags(textInteraction_);
                text->setTextCursor(textCursor_);
            }
        }
    }
    if (scene_ && focus_ && focus_->scene() == scene_)
        focus_->setFocus(Qt::OtherFocusReason);
    if (scene_ && !wasBlocked_)
        scene_->blockSignals(false);
    FrolixItem::endFinalRendering();
}
