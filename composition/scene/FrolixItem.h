#pragma once

#include "composition/scene/FrolixItemFaderUpper.h"

#include <QAction>
#include <QGraphicsItem>
#include <QIcon>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QTransform>
#include <QVariant>

#include <functional>

class ArrowTipItemHandle;
class FrolixItem;
class ItemHandle;
class QGraphicsScene;
class QGraphicsSceneContextMenuEvent;
class QPainter;
class QStyleOptionGraphicsItem;
class QWidget;

/// One row of the item menu: the text (translated when shown), its translation tag, what the
/// entry does to the item and the entry's icon.
struct ItemMenuEntry {
    const char* text;
    const char* tag;
    std::function<void(FrolixItem&)> action;
    QString iconPath;
};

/// The interface of every item the user places on the composition canvas. It is mixed into a
/// Qt graphics item class; the item kind hands itself over as `graphicsItem`, adds itself to
/// its scene and ends its construction with `registerItem`. Everything runs on the GUI thread.
class FrolixItem {
public:
    FrolixItem(QGraphicsItem* graphicsItem, QGraphicsScene* scene);
    /// Deletes the item's handles, takes the item out of `liveItems` and deletes its trash-menu
    /// entry. `trashedItems` is not touched: the trash removes an item before deleting it.
    virtual ~FrolixItem();
    FrolixItem(const FrolixItem&) = delete;
    FrolixItem& operator=(const FrolixItem&) = delete;

    QGraphicsItem* graphicsItem() const { return graphicsItem_; }
    /// The scene the item belongs to, kept while the item is in the trash.
    QGraphicsScene* ownerScene() const { return scene_; }
    /// The trash menu's entry for this item: a child of the scene holding the item as data.
    QAction* restoreAction() const { return restoreAction_; }

    // --- What each kind may override ---
    virtual void startEditing() {}
    virtual FrolixItem* clone() = 0;
    /// The factor by which the item scales when the canvas changes from `oldRect` to `newRect`.
    virtual double canvasScaleFactor(const QRect& newRect, const QRect& oldRect) = 0;
    /// Where a position on the old canvas lies on the new one: both axes in proportion.
    virtual QPointF mapPositionForCanvas(const QPointF& position, const QRect& newRect,
                                         const QRect& oldRect);
    /// Keeps the item at its place and size relative to a changed canvas, handles included.
    virtual void applyCanvasChange(const QRect& newRect, const QRect& oldRect);
    /// The width handle was dragged to scene point `p`; nothing by default.
    virtual void widthHandleMoved(const QPointF& p, Qt::KeyboardModifiers modifiers) {}
    /// Puts the local rectangle's top-left corner under `p`; selects and focuses the item.
    virtual void dragHandleMoved(const QPointF& p, Qt::KeyboardModifiers modifiers);
    /// Turns the item about its centre so that the rotate handle's corner points at `p`;
    /// with Shift, onto the nearest multiple of 22.5 degrees.
    virtual void rotateHandleMoved(const QPointF& p, Qt::KeyboardModifiers modifiers);
    /// Scales about the local origin so that the bottom-right corner follows `p`; past the
    /// left or top edge the item is mirrored.
    virtual void scaleHandleMoved(const QPointF& p, Qt::KeyboardModifiers modifiers);
    /// The arrow-tip handle was put somewhere else; nothing by default (a bubble reshapes).
    virtual void arrowTipMoved() {}
    virtual void edit() {}
    virtual QRectF localRect() const = 0;
    virtual QString text() const { return QString(); }
    virtual QIcon icon(const QSize& size) const { return QIcon(); }

    /// Call from the kind's `itemChange` after its own handling; returns `value` unchanged.
    QVariant handleItemChange(QGraphicsItem::GraphicsItemChange change, const QVariant& value);

    // --- Handles ---
    /// The item's handles in the order they were added; a deleted one reads null.
    const QList<QPointer<ItemHandle>>& handles() const { return handles_; }
    /// Places every live handle for an item at `position` with `transform`.
    void placeHandles(const QPointF& position, const QTransform& transform);
    /// Places the handles for the item as it stands.
    void updateHandles();
    void setHandlesVisible(bool visible);
    void addWidthHandle();
    void addDragHandle();
    void addRotateHandle();
    void addScaleHandle();
    ArrowTipItemHandle* addArrowTipHandle();

    // --- Stacking ---
    /// Moves the item above every other live item.
    void bringToFront();
    /// Moves the item up past its successors until it has passed one it overlaps.
    void bringForward();
    /// Moves the item down past its predecessors until it has passed one it overlaps.
    void pushBackward();
    /// Moves the item by `itemCascadeOffset` once for every other live item that stands at
    /// the position reached so far, so that a new or copied item never hides another exactly.
    void avoidExactOverlap();

    // --- Menu ---
    /// Selects the item alone and runs the item menu at the event's screen position, with
    /// `extraEntries` after the fixed ones.
    void showContextMenu(QGraphicsSceneContextMenuEvent* event,
                         const QList<ItemMenuEntry>& extraEntries = QList<ItemMenuEntry>());
    /// Clones the item and selects the clone alone; returns the clone (null when none).
    FrolixItem* cloneAndSelect();
    /// Clears the scene's selection, selects this item and lets it start editing.
    void selectAlone();

    // --- Trash ---
    /// Takes a live item off the canvas into the trash, keeping everything it had.
    void trash();
    /// Brings a trashed item back onto its scene, selected alone.
    void restore();
    /// Takes the item's first occurrence out of `trashedItems` and reports the new count.
    void removeFromTrash();
    /// Deletes every trashed item, then reports a count of 0.
    static void emptyTrash();
    /// Deletes what the trash still holds when the program ends (their saved states remove
    /// their files); the scene may be gone by then and is not touched.
    static void deleteTrashAtExit();
    /// A scene that goes leaves its trashed items without one; they come back into the
    /// composition's scene of the moment when restored.
    static void forgetScene(QGraphicsScene* scene);

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
    /// Whether `item` is a picture item that is not a cut-out.
    static bool isPlainImage(const FrolixItem* item);

    /// While a final image is being rendered items paint at their own opacity and selecting an
    /// item does not restart fades. Nested scopes count.
    static bool isRenderingFinalImage();
    static void beginFinalRendering();
    static void endFinalRendering();

    /// True while the item's transform is mirrored.
    bool isMirrored() const { return mirrored_; }
    void setMirrored(bool mirrored) { mirrored_ = mirrored; }
    /// The item's own opacity, 0..1 (Qt's item opacity stays 1). This, never the faded value,
    /// is what panels show and the final image uses.
    double itemOpacity() const { return opacity_; }
    void setItemOpacity(double opacity);
    /// Progress of the fade-in after a selection, 0..1; 1 at rest.
    double fadeProportion() const { return fadeProportion_; }
    void setFadeProportion(double proportion);
    /// Starts the fade-in from nearly transparent.
    void startFadeIn();
    FrolixItemFaderUpper& fader() { return fader_; }

protected:
    /// Appends the item to `liveItems`, creates its trash-menu entry and asks for geometry
    /// change notifications. The last step of every kind's construction.
    void registerItem();

private:
    /// Adds a made handle to `handles`, shown as the item's selection says.
    void adoptHandle(ItemHandle* handle);

    QGraphicsItem* graphicsItem_;
    FrolixItemFaderUpper fader_;
    QGraphicsScene* scene_;
    QPointer<QAction> restoreAction_;
    bool mirrored_ = false;
    QList<QPointer<ItemHandle>> handles_;
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
/// The trash menu at global screen point `where`: hovered entries preview their item; the
/// chosen entry's item is restored.
void showDustbinMenu(const QPoint& where);
/// The text of a trash-menu entry: at most 32 characters ("..." after the first 29), with
/// "&" shown as itself rather than as a shortcut mark.
QString restoreEntryText(const QString& itemText);
