#pragma once

#include <QAction>
#include <QIcon>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <QGraphicsItem>

#include <functional>

class QGraphicsScene;
class QPainter;
class QStyleOptionGraphicsItem;
class QWidget;

/// The interface of every item the user places on the composition canvas. It is mixed into a
/// Qt graphics item class; the item kind hands itself over as `graphicsItem`, adds itself to
/// its scene and ends its construction with `registerItem`. Everything runs on the GUI thread.
class FrolixItem {
public:
    FrolixItem(QGraphicsItem* graphicsItem, QGraphicsScene* scene);
    /// Takes the item out of `liveItems` and deletes its trash-menu entry. `trashedItems` is
    /// not touched: the trash removes an item before deleting it.
    virtual ~FrolixItem();
    FrolixItem(const FrolixItem&) = delete;
    FrolixItem& operator=(const FrolixItem&) = delete;

    QGraphicsItem* graphicsItem() const { return graphicsItem_; }
    /// The scene the item belongs to, kept while the item is in the trash.
    QGraphicsScene* ownerScene() const { return scene_; }
    /// The trash menu's entry for this item: a child of the scene holding the item as data.
    QAction* restoreAction() const { return restoreAction_; }

    virtual void startEditing() {}
    virtual FrolixItem* clone() = 0;
    /// The factor by which the item scales when the canvas changes from `oldRect` to `newRect`.
    virtual double canvasScaleFactor(const QRect& newRect, const QRect& oldRect) = 0;
    /// Where a position on the old canvas lies on the new one: both axes in proportion.
    virtual QPointF mapPositionForCanvas(const QPointF& position, const QRect& newRect,
                                         const QRect& oldRect);
    /// Keeps the item at its place and size relative to a changed canvas.
    virtual void applyCanvasChange(const QRect& newRect, const QRect& oldRect);
    virtual void edit() {}
    virtual QRectF localRect() const = 0;
    virtual QString text() const { return QString(); }
    virtual QIcon icon(const QSize& size) const { return QIcon(); }

    /// Call from the kind's `itemChange` after its own handling; returns `value` unchanged.
    QVariant handleItemChange(QGraphicsItem::GraphicsItemChange change, const QVariant& value);

    /// Moves the item above every other live item.
    void bringToFront();
    /// Moves the item by `itemCascadeOffset` once for every other live item that stands at
    /// the position reached so far, so that a new or copied item never hides another exactly.
    void avoidExactOverlap();

    /// The paint rule of every kind: no selection frame or focus rectangle, and the painter's
    /// opacity is the item's own opacity times its fade-in (the fade counts as finished while
    /// the final image is rendered). `basePaint` is the Qt base class's paint.
    void paintItem(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget,
                   const std::function<void(QPainter*, const QStyleOptionGraphicsItem*,
                                            QWidget*)>& basePaint);

    /// The live items whose graphics items are selected, in `liveItems` order.
    static QList<FrolixItem*> selectedItems();
    /// The first of `selectedItems`, or null.
    static FrolixItem* firstSelectedItem();
    /// The graphics items of `liveItems`, in list order.
    static QList<QGraphicsItem*> liveGraphicsItems();

    /// While a final image is being rendered items paint at their own opacity and selecting an
    /// item does not restart fades. Nested scopes count.
    static bool isRenderingFinalImage();
    static void beginFinalRendering();
    static void endFinalRendering();

    /// True while the item's transform is mirrored.
    bool isMirrored() const { return mirrored_; }
    void setMirrored(bool mirrored) { mirrored_ = mirrored; }
    /// The item's own opacity, 0..1 (Qt's item opacity stays 1).
    double itemOpacity() const { return opacity_; }
    void setItemOpacity(double opacity);
    /// Progress of the fade-in after a selection, 0..1; 1 at rest.
    double fadeProportion() const { return fadeProportion_; }
    void setFadeProportion(double proportion);

protected:
    /// Appends the item to `liveItems`, creates its trash-menu entry and asks for geometry
    /// change notifications. The last step of every kind's construction.
    void registerItem();

private:
    QGraphicsItem* graphicsItem_;
    QGraphicsScene* scene_;
    QPointer<QAction> restoreAction_;
    bool mirrored_ = false;
    double opacity_ = 1.0;
    double fadeProportion_ = 1.0;
};

/// The items on the canvas, in the order of their last selection (a selected item moves to
/// the end). Owns nothing.
extern QList<FrolixItem*> liveItems;
/// The items in the trash, oldest first. Owns them.
extern QList<FrolixItem*> trashedItems;

/// Orders graphics items by z value.
bool zValueLessThan(const QGraphicsItem* a, const QGraphicsItem* b);
/// Gives the i-th of n items the z value 4 + i/n: all items stay between the backdrop (2)
/// and the crop lines (8), below the handles.
void renumberZValues(const QList<QGraphicsItem*>& items);
