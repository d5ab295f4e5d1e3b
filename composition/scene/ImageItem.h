#pragma once

#include "composition/scene/FrolixItem.h"

#include <QColor>
#include <QGraphicsPixmapItem>
#include <QPixmap>

class SavedCutoutState;

/// A picture on the composition canvas. It keeps the picture as placed and a black-and-white
/// version of it, and shows the picture with the tint and saturation the panels set.
class ImageItem : public QGraphicsPixmapItem, public FrolixItem {
public:
    /// A new item in `scene` showing `pixmap`, fitted to a quarter of the visible area,
    /// centred in it and put on top.
    ImageItem(QGraphicsScene* scene, const QPixmap& pixmap);
    /// A copy in the other's scene: same picture, settings, transform and z value, moved off
    /// the original by the cascade offset and put on top, with handles of its own.
    explicit ImageItem(const ImageItem& other);
    /// Repaints the scene it leaves.
    ~ImageItem() override;

    /// Takes a new picture, keeping position, transform and settings.
    virtual void replacePixmap(const QPixmap& pixmap, SavedCutoutState* state) = 0;

    /// Shows the effect when there is one, else the picture itself.
    void refreshPixmap();
    /// The picture with the current tint and saturation applied.
    QPixmap effectPixmap() const;
    void computeGreyPixmap();

    double canvasScaleFactor(const QRect& newRect, const QRect& oldRect) override;
    QRectF localRect() const override;
    QIcon icon(const QSize& size) const override;

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget) override;

    float saturation = 1.0f;          ///< 0 is black and white, 1 the picture's own colours
    QPixmap greyPixmap;
    float tintStrength = 0.0f;        ///< 0 none, 1 a flat silhouette in the tint colour
    QPixmap sourcePixmap;             ///< the picture as placed
    QColor tintColour{255, 127, 0, 255};

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;
    void setUpPixmap(const QPixmap& pixmap);
    void finishPlacement();
};
