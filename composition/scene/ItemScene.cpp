#include "composition/scene/ItemScene.h"

#include "composition/scene/FrolixItem.h"
#include "composition/scene/FrolixWidget.h"
#include "composition/scene/ItemController.h"

#include <QAction>
#include <QPushButton>
#include <QCoreApplication>
#include <QGraphicsView>
#include <QMessageBox>

ItemScene* theItemScene = nullptr;

ItemScene::ItemScene(QObject* parent) : QGraphicsScene(parent) {}

ItemScene::~ItemScene() {
    restoreItemHide();
    ItemController::releaseScene(this);
    FrolixItem::forgetScene(this);
    if (theItemScene == this)
        theItemScene = nullptr;
}

void ItemScene::selectionChangedSlot() {
    if (ItemController::exists())
        ItemController::instance()->updatePropertyPanel(FrolixItem::selectedItems());
}

void ItemScene::restoreItemHovered(QAction* action) {
    restoreItemHide();
    if (!action)
        return;
    auto* entry = static_cast<FrolixItem*>(action->data().value<void*>());
    // Only a trashed item may be shown: any other data names nothing we may add.
    if (!entry || !trashedItems.contains(entry))
        return;
    addItem(entry->graphicsItem());
    previewedEntry_ = entry;
    update();
}

void ItemScene::restoreItemHide() {
    if (!previewedEntry_)
        return;
    if (previewedEntry_->graphicsItem()->scene() == this)
        removeItem(previewedEntry_->graphicsItem());
    previewedEntry_ = nullptr;
}

void ItemScene::emptyDustbin() {
    restoreItemHide();
    QMessageBox question(QMessageBox::Warning, QCoreApplication::applicationName(),
                         tr("Items in the Trash will be lost permanently"));
    QAbstractButton* empty = question.addButton(tr("Empty Trash"), QMessageBox::AcceptRole);
    question.addButton(QMessageBox::Cancel);
    question.exec();
    // Escape and the window's close button count as Cancel.
    if (question.clickedButton() == empty)
        FrolixItem::emptyTrash();
}

FrolixWidget* compositionViewOf(QGraphicsScene* scene) {
    if (!scene || scene->views().isEmpty())
        return nullptr;
    return qobject_cast<FrolixWidget*>(scene->views().first());
}

QPointF visibleSceneCentre() {
    FrolixWidget* view = compositionViewOf(theItemScene);
    return view ? view->visibleSceneRect().center() : QPointF(0, 0);
}
