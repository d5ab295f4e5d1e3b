#include "composition/scene/FrolixItem.h"

#include "composition/scene/CutoutItem.h"
#include "composition/scene/ImageItem.h"
#include "composition/scene/ItemController.h"
#include "composition/scene/ItemHandle.h"
#include "composition/scene/ItemScene.h"

#include <QAction>
#include <QGraphicsScene>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionGraphicsItem>

#include <algorithm>
#include <cmath>

QList<FrolixItem*> liveItems;
QList<FrolixItem*> trashedItems;

namespace {
int finalRenderings = 0;
}  // namespace

FrolixItem::FrolixItem(QGraphicsItem* graphicsItem, QGraphicsScene* scene)
    : graphicsItem_(graphicsItem), fader_(this), scene_(scene) {}

FrolixItem::~FrolixItem() {
    // A trashed item shown as a restore preview: the scene must not keep naming it.
    if (auto* items = qobject_cast<ItemScene*>(graphicsItem_->scene());
        items && items->previewedEntry() == this)
        items->restoreItemHide();
    for (const QPointer<ItemHandle>& handle : qAsConst(handles_))
        delete handle.data();
    liveItems.removeAll(this);
    // The entry would otherwise stay with the scene, holding the address of a deleted item.
    delete restoreAction_.data();
}

void FrolixItem::registerItem() {
    liveItems.append(this);
    restoreAction_ = new QAction(scene_);
    restoreAction_->setData(QVariant::fromValue(static_cast<void*>(this)));
    graphicsItem_->setFlag(QGraphicsItem::ItemSendsGeometryChanges);
}

QPointF FrolixItem::mapPositionForCanvas(const QPointF& position, const QRect& newRect,
                                         const QRect& oldRect) {
    if (oldRect.width() <= 0 || oldRect.height() <= 0)
        return position;   // no canvas to be proportional to
    return QPointF(position.x() * newRect.width() / oldRect.width(),
                   position.y() * newRect.height() / oldRect.height());
}

void FrolixItem::applyCanvasChange(const QRect& newRect, const QRect& oldRect) {
    graphicsItem_->setPos(mapPositionForCanvas(graphicsItem_->pos(), newRect, oldRect));
    const double s = canvasScaleFactor(newRect, oldRect);
    // A factor of zero or below would leave a transform that cannot be inverted.
    if (std::isfinite(s) && s > 0)
        graphicsItem_->setTransform(QTransform(graphicsItem_->transform()).scale(s, s));
    updateHandles();
}

QVariant FrolixItem::handleItemChange(QGraphicsItem::GraphicsItemChange change,
                                      const QVariant& value) {
    switch (change) {
    case QGraphicsItem::ItemPositionChange:
        if (graphicsItem_->scene())
            placeHandles(value.toPointF(), graphicsItem_->transform());
        break;
    case QGraphicsItem::ItemTransformChange:
        if (graphicsItem_->scene())
            placeHandles(graphicsItem_->pos(), value.value<QTransform>());
        break;
    case QGraphicsItem::ItemSelectedChange: {
        const bool selected = value.toBool();
        if (selected && liveItems.removeOne(this))
            liveItems.append(this);
        graphicsItem_->setFlag(QGraphicsItem::ItemIsMovable, selected);
        setHandlesVisible(selected);
        if (!selected)
            graphicsItem_->clearFocus();
        break;
    }
    case QGraphicsItem::ItemSelectedHasChanged:
        if (value.toBool() && !isRenderingFinalImage())
            for (FrolixItem* item : selectedItems())
                item->startFadeIn();
        break;
    default:
        break;
    }
    return value;
}

void FrolixItem::bringToFront() {
    QList<QGraphicsItem*> items = liveGraphicsItems();
    std::stable_sort(items.begin(), items.end(), zValueLessThan);
    const int index = items.indexOf(graphicsItem_);
    if (index < 0)
        return;
    items.move(index, items.size() - 1);
    renumberZValues(items);
}

void FrolixItem::bringForward() {
    QList<QGraphicsItem*> items = liveGraphicsItems();
    std::stable_sort(items.begin(), items.end(), zValueLessThan);
    int index = items.indexOf(graphicsItem_);
    if (index < 0)
        return;
    while (index + 1 < items.size()) {
        QGraphicsItem* passed = items[index + 1];
        items.swapItemsAt(index, index + 1);
        ++index;
        if (graphicsItem_->collidesWithItem(passed, Qt::IntersectsItemShape))
            break;
    }
    renumberZValues(items);
}

void FrolixItem::pushBackward() {
    QList<QGraphicsItem*> items = liveGraphicsItems();
    std::stable_sort(items.begin(), items.end(), zValueLessThan);
    int index = items.indexOf(graphicsItem_);
    if (index < 0)
        return;
    while (index > 0) {
        QGraphicsItem* passed = items[index - 1];
        items.swapItemsAt(index, index - 1);
        --index;
        if (graphicsItem_->collidesWithItem(passed, Qt::IntersectsItemShape))
            break;
    }
    renumberZValues(items);
}

void FrolixItem::avoidExactOverlap() {
    constexpr double samePlace = 1e-12;
    QPointF candidate = graphicsItem_->pos();
    for (FrolixItem* other : liveItems) {
        if (other == this)
            continue;
        const QPointF there = other->graphicsItem()->pos();
        if (std::abs(there.x() - candidate.x()) <= samePlace &&
            std::abs(there.y() - candidate.y()) <= samePlace)
            candidate += itemCascadeOffset;
    }
    graphicsItem_->setPos(candidate);
}

void FrolixItem::paintItem(QPainter* painter, const QStyleOptionGraphicsItem* option,
                           QWidget* widget,
                           const std::function<void(QPainter*, const QStyleOptionGraphicsItem*,
                                                    QWidget*)>& basePaint) {
    QStyleOptionGraphicsItem plain(*option);
    plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    const double fade = isRenderingFinalImage() ? 1.0 : fadeProportion_;
    painter->save();
    painter->setOpacity(opacity_ * fade);
    basePaint(painter, &plain, widget);
    painter->restore();
}

void FrolixItem::setItemOpacity(double opacity) {
    opacity_ = std::clamp(opacity, 0.0, 1.0);
    graphicsItem_->update();
}

void FrolixItem::setFadeProportion(double proportion) {
    fadeProportion_ = std::clamp(proportion, 0.0, 1.0);
    graphicsItem_->update();
}

void FrolixItem::startFadeIn() { fader_.start(); }

QList<FrolixItem*> FrolixItem::selectedItems() {
    QList<FrolixItem*> selected;
    for (FrolixItem* item : liveItems)
        if (item->graphicsItem()->isSelected())
            selected.append(item);
    return selected;
}

FrolixItem* FrolixItem::firstSelectedItem() {
    for (FrolixItem* item : liveItems)
        if (item->graphicsItem()->isSelected())
            return item;
    return nullptr;
}

QList<QGraphicsItem*> FrolixItem::liveGraphicsItems() {
    QList<QGraphicsItem*> items;
    for (FrolixItem* item : liveItems)
        items.append(item->graphicsItem());
    return items;
}

bool FrolixItem::isPlainImage(const FrolixItem* item) {
    return dynamic_cast<const ImageItem*>(item) && !dynamic_cast<const CutoutItem*>(item);
}

bool FrolixItem::isRenderingFinalImage() { return finalRenderings > 0; }
void FrolixItem::beginFinalRendering() { ++finalRenderings; }
void FrolixItem::endFinalRendering() {
    if (finalRenderings > 0)
        --finalRenderings;
}

bool zValueLessThan(const QGraphicsItem* a, const QGraphicsItem* b) {
    return a->zValue() < b->zValue();
}

void renumberZValues(const QList<QGraphicsItem*>& items) {
    const int n = items.size();
    for (int i = 0; i < n; ++i)
        items[i]->setZValue(4.0 + double(i) / n);
}
