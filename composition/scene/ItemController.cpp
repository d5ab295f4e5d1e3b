#include "composition/scene/ItemController.h"

#include "composition/scene/BackdropController.h"
#include "composition/scene/CanvasSettingsInterface.h"
#include "composition/scene/CutoutItem.h"
#include "composition/scene/FrolixItem.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/FrolixWidget.h"
#include "composition/scene/ItemScene.h"
#include "composition/scene/TextFieldItem.h"
#include "masking/SavedCutoutState.h"
#include "masking/TqSourceImage.h"
#include "workspace/GmTool.h"
#include "workspace/ImageView.h"

#include <QGraphicsItem>

#include <algorithm>

QPointF itemCascadeOffset(10.0, 10.0);

namespace {
ItemController* builtController = nullptr;
ItemController::CanvasSettingsMaker canvasSettingsMaker;
}

void ItemController::setCanvasSettingsMaker(CanvasSettingsMaker maker) {
    canvasSettingsMaker = std::move(maker);
}

ItemController* ItemController::instance() {
    static ItemController controller;
    return &controller;
}

bool ItemController::exists() { return builtController != nullptr; }

ItemController::ItemController() {
    builtController = this;
    if (theItemScene)
        backdrop_ = new BackdropController(this);
    canvasSettings();
    FrolixObject* document = FrolixObject::instance();
    connect(document, &FrolixObject::frolixReset, this, &ItemController::resetCanvasSettings);
    resetCanvasSettings();
    // Connected after the first reset, so the default canvas does not move the cascade offset.
    connect(document, &FrolixObject::canvasChanged, this, &ItemController::canvasChangedSlot);
}

ItemController::~ItemController() {
    delete canvasSettings_.data();
    builtController = nullptr;
}

void ItemController::attachScene() {
    if (!builtController || !theItemScene)
        return;
    ItemController* controller = builtController;
    if (!controller->backdrop_)
        controller->backdrop_ = new BackdropController(controller);
}

void ItemController::releaseScene(ItemScene* scene) {
    if (!builtController)
        return;
    ItemController* controller = builtController;
    if (controller->backdrop_ && controller->backdrop_->scene() == scene) {
        controller->clearAll();
        delete controller->backdrop_.data();
        return;
    }
    // A scene without the backdrop still takes its own items along; those of the canvas stay.
    for (QGraphicsItem* item : FrolixItem::liveGraphicsItems())
        if (item->scene() == scene)
            delete item;
}

CanvasSettingsInterface* ItemController::canvasSettings() {
    if (canvasSettings_)
        return canvasSettings_;
    FrolixWidget* view = compositionViewOf(theItemScene);
    if (!view || !canvasSettingsMaker)
        return nullptr;
    canvasSettings_ = canvasSettingsMaker(view->window());
    if (!canvasSettings_)
        return nullptr;
    connect(canvasSettings_, &CanvasSettingsInterface::canvasSizeChanged, this,
            &ItemController::setCanvasSize);
    connect(canvasSettings_, &CanvasSettingsInterface::backgroundColourChanged, this,
            [this](const QColor& colour) {
                if (backdrop_)
                    backdrop_->setBackgroundColor(colour);
            });
    connect(canvasSettings_, &CanvasSettingsInterface::backdropPixmapChanged, this,
            &ItemController::setBackdropPixmapSlot);
    if (ImageView* tabs = GmTool::imageView())
        connect(tabs, &ImageView::viewTabChanged, canvasSettings_, &QWidget::hide);
    return canvasSettings_;
}

void ItemController::updatePropertyPanel(const QList<FrolixItem*>& items) {
    if (!propertyPanel_) {
        showItems_ = nullptr;   // it may point into the panel that went
        return;
    }
    if (showItems_)
        showItems_(items);
}

void ItemController::setPropertyPanel(QWidget* panel,
                                      std::function<void(const QList<FrolixItem*>&)> showItems) {
    propertyPanel_ = panel;
    showItems_ = panel ? std::move(showItems) : nullptr;
}

QWidget* ItemController::propertyPanel() const { return propertyPanel_; }

void ItemController::showCanvasSettings() {
    CanvasSettingsInterface* dialog = canvasSettings();
    if (!dialog)
        return;
    if (backdrop_) {
        dialog->setBackgroundColour(backdrop_->backgroundColour());
        dialog->setCanvasSize(FrolixObject::instance()->canvasRect().size());
        dialog->setBackdropPixmap(backdrop_->backdropPixmap());
    } else {
        dialog->setCanvasSize(FrolixObject::instance()->canvasRect().size());
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void ItemController::clearAll() {
    if (backdrop_) {
        backdrop_->setBackgroundColor(Qt::white);
        backdrop_->clearBackdropPixmap();
    }
    for (QGraphicsItem* item : FrolixItem::liveGraphicsItems())
        delete item;
}

FrolixItem* ItemController::createCutoutItem(TqSourceImage* image) {
    if (!image || !theItemScene)
        return nullptr;
    image->refreshFromView();
    if (image->pixmap().isNull())
        return nullptr;
    const QPixmap pixmap = image->pixmap();
    return addCutoutItem(pixmap, new SavedCutoutState(image));
}

FrolixItem* ItemController::addCutoutItem(const QPixmap& pixmap, SavedCutoutState* state) {
    if (pixmap.isNull() || !theItemScene)
        return nullptr;
    auto* item = new CutoutItem(theItemScene, pixmap, state);
    item->selectAlone();
    return item;
}

FrolixItem* ItemController::createTextField(const QString& text, const QPointF& position) {
    if (!theItemScene)
        return nullptr;
    auto* item = new TextFieldItem(theItemScene, text, position);
    item->selectAlone();
    return item;
}

void ItemController::setBackdropPixmapSlot(const QPixmap& pixmap, const QSize& size) {
    FrolixObject::instance()->setCanvasRect(QRect(0, 0, size.width(), size.height()));
    if (backdrop_)
        backdrop_->setBackdropPixmap(pixmap);
    if (CanvasSettingsInterface* dialog = canvasSettings()) {
        dialog->setBackdropPixmap(pixmap.copy());
        dialog->setCanvasSize(size);
    }
}

void ItemController::resetCanvasSettings() {
    FrolixObject::instance()->setCanvasRect(QRect(0, 0, 400, 300));
}

void ItemController::setCanvasSize(const QSize& size) {
    FrolixObject::instance()->setCanvasRect(QRect(QPoint(0, 0), size));
}

void ItemController::canvasChangedSlot(const QRect& newRect, const QRect& oldRect) {
    // A copy: an item's reaction must not disturb the walk.
    const QList<FrolixItem*> items = liveItems;
    for (FrolixItem* item : items)
        item->applyCanvasChange(newRect, oldRect);
    const double m = std::min(newRect.width(), newRect.height()) * 0.05;
    itemCascadeOffset = QPointF(m, m);
}
