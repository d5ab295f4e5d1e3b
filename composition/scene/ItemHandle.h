#pragma once

#include <QGraphicsPixmapItem>
#include <QObject>
#include <QPixmap>
#include <QPointF>
#include <QTransform>

class FrolixItem;
class QGraphicsScene;

/// A grip of a selected composition item: a graphics item of its own in the scene, not a
/// child of the item, so that it keeps 32 screen pixels however the view zooms and however
/// the item is scaled or turned. It turns drags into calls of its owner and moves only when
/// the owner places it again.
class ItemHandle : public QObject, public QGraphicsPixmapItem {
    Q_OBJECT
public:
    ItemHandle(QGraphicsScene* scene, FrolixItem* owner, const QPixmap& pixmap, double z);
    ~ItemHandle() override;

    /// Puts the handle where the owner's anchor lands for an item at `itemPosition` with
    /// `itemTransform`.
    virtual void place(const QPointF& itemPosition, const QTransform& itemTransform);
    /// The point of the owner's local rectangle the handle marks.
    virtual QPointF anchor() const { return QPointF(); }
    /// Reacts to the handle being dragged to scene point `p`.
    virtual void dragTo(const QPointF& p, Qt::KeyboardModifiers modifiers) {}

    FrolixItem* owner() const { return owner_; }

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;

    FrolixItem* owner_;
    QGraphicsItem* ownerItem_;

private:
    QPointF pressOffset_;
};
