// The item menu, cloning, and the trash of composition items.
#include "composition/scene/FrolixItem.h"

#include "composition/scene/DustbinSignaller.h"
#include "composition/scene/FrolixWidget.h"
#include "composition/scene/ItemController.h"
#include "composition/scene/ItemHandle.h"
#include "composition/scene/ItemScene.h"

#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QProxyStyle>
#include <QStyleFactory>

namespace {

constexpr int longestEntryText = 32;
constexpr int keptEntryText = 29;

void reportTrashSize() { emit theDustbinSignaller->sizeChanged(uint(trashedItems.size())); }

/// The look every composition menu shares. The style belongs to the menu: `setStyle` does not
/// take it, so it would otherwise outlive every menu shown.
void styleMenu(QMenu& menu) {
    auto* style = new QProxyStyle(QStyleFactory::create(QStringLiteral("windows")));
    style->setParent(&menu);
    menu.setStyle(style);
    menu.setStyleSheet(qApp->styleSheet());
}

void registerExitCleanup() {
    static bool registered = false;
    if (!registered && QCoreApplication::instance()) {
        qAddPostRoutine(&FrolixItem::deleteTrashAtExit);
        registered = true;
    }
}

}  // namespace

QString restoreEntryText(const QString& itemText) {
    QString text = itemText;
    if (text.size() > longestEntryText)
        text = text.left(keptEntryText) + QStringLiteral("...");
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

void FrolixItem::showContextMenu(QGraphicsSceneContextMenuEvent* event,
                                 const QList<ItemMenuEntry>& extraEntries) {
    if (QGraphicsScene* scene = graphicsItem_->scene())
        scene->clearSelection();
    graphicsItem_->setSelected(true);

    QMenu menu;
    styleMenu(menu);
    QList<ItemMenuEntry> entries{
        {QT_TRANSLATE_NOOP("QObject", "Bring Forwards"), "[zol]", &FrolixItem::bringForward,
         QStringLiteral(":/images/fun/icons48pix/bring_forward.png")},
        {QT_TRANSLATE_NOOP("QObject", "Push Backwards"), "[zol]", &FrolixItem::pushBackward,
         QStringLiteral(":/images/fun/icons48pix/push_backward.png")},
        {QT_TRANSLATE_NOOP("QObject", "Delete"), "[zol]", &FrolixItem::trash,
         QStringLiteral(":/images/fun/icons48pix/delete.png")},
        {QT_TRANSLATE_NOOP("QObject", "Clone"), "[zol]", &FrolixItem::cloneAndSelect,
         QStringLiteral(":/images/fun/icons48pix/clone.png")},
    };
    const int fixed = entries.size();
    entries += extraEntries;
    QList<QAction*> actions;
    for (int i = 0; i < entries.size(); ++i) {
        if (i == fixed)
            menu.addSeparator();
        actions.append(menu.addAction(QIcon(entries[i].iconPath), QObject::tr(entries[i].text)));
    }
    QAction* chosen = menu.exec(event ? event->screenPos() : QCursor::pos());
    const int index = actions.indexOf(chosen);
    if (index >= 0)
        entries[index].action(*this);   // may trash the item; nothing of it is used after
}

FrolixItem* FrolixItem::cloneAndSelect() {
    ItemController::instance();
    FrolixItem* copy = clone();
    if (copy)
        copy->selectAlone();
    return copy;
}

void FrolixItem::selectAlone() {
    if (QGraphicsScene* scene = graphicsItem_->scene())
        scene->clearSelection();
    graphicsItem_->setSelected(true);
    startEditing();
}

void FrolixItem::trash() {
    if (!liveItems.contains(this))
        return;
    if (QGraphicsScene* scene = graphicsItem_->scene())
        scene->clearSelection();
    graphicsItem_->setSelected(false);
    for (const QPointer<ItemHandle>& handle : qAsConst(handles_))
        if (handle && handle->scene())
            handle->scene()->removeItem(handle);
    QGraphicsScene* scene = graphicsItem_->scene();
    if (scene)
        scene->removeItem(graphicsItem_);
    trashedItems.append(this);
    registerExitCleanup();
    reportTrashSize();
    liveItems.removeOne(this);
    if (scene)
        scene->update();
    if (restoreAction_) {
        restoreAction_->setText(restoreEntryText(text()));
        restoreAction_->setIcon(QIcon(icon(QSize(40, 40)).pixmap(40, 40)));
    }
}

void FrolixItem::restore() {
    if (!trashedItems.contains(this))
        return;
    QGraphicsScene* scene = scene_ ? scene_ : theItemScene;
    if (!scene)
        return;   // nowhere to come back to
    if (auto* items = qobject_cast<ItemScene*>(scene); items && items->previewedEntry() == this)
        items->restoreItemHide();
    scene_ = scene;
    liveItems.append(this);
    removeFromTrash();
    if (graphicsItem_->scene() != scene)
        scene->addItem(graphicsItem_);
    scene->update();
    for (const QPointer<ItemHandle>& handle : qAsConst(handles_))
        if (handle && handle->scene() != scene)
            scene->addItem(handle);
    scene->clearSelection();
    graphicsItem_->setSelected(true);
    if (FrolixWidget* view = compositionViewOf(scene))
        view->updateSceneRect();
}

void FrolixItem::removeFromTrash() {
    trashedItems.removeOne(this);
    reportTrashSize();
}

void FrolixItem::emptyTrash() {
    while (!trashedItems.isEmpty())
        delete trashedItems.takeFirst();
    reportTrashSize();
}

void FrolixItem::deleteTrashAtExit() {
    while (!trashedItems.isEmpty())
        delete trashedItems.takeFirst();
}

void FrolixItem::forgetScene(QGraphicsScene* scene) {
    for (FrolixItem* item : qAsConst(trashedItems))
        if (item->scene_ == scene)
            item->scene_ = nullptr;
}

void showDustbinMenu(const QPoint& where) {
    QMenu menu;
    styleMenu(menu);
    if (trashedItems.isEmpty()) {
        menu.addAction(QObject::tr("Trash is Empty"))->setEnabled(false);
        menu.exec(where);
        return;
    }
    menu.addAction(QObject::tr("Restore Items"))->setEnabled(false);
    menu.addSeparator();
    QGraphicsScene* scene = nullptr;
    for (FrolixItem* item : qAsConst(trashedItems)) {
        if (QAction* entry = item->restoreAction())
            menu.addAction(entry);
        if (!scene)
            scene = item->ownerScene();
    }
    menu.addSeparator();
    auto* items = qobject_cast<ItemScene*>(scene ? scene : theItemScene);
    QAction* empty = menu.addAction(QObject::tr("Empty Trash"));
    if (items) {
        QObject::connect(empty, &QAction::triggered, items, &ItemScene::emptyDustbin);
        QObject::connect(&menu, &QMenu::hovered, items, &ItemScene::restoreItemHovered);
        QObject::connect(&menu, &QMenu::aboutToHide, items, &ItemScene::restoreItemHide);
    }
    QAction* chosen = menu.exec(where);
    if (!chosen)
        return;
    auto* item = static_cast<FrolixItem*>(chosen->data().value<void*>());
    if (item && trashedItems.contains(item))
        item->restore();
}
