#pragma once

#include <QGraphicsPixmapItem>

/// The lowest item of the composition scene: the canvas in its background colour with the
/// backdrop picture. Its bounds are the crop rectangle, whatever its pixmap holds.
class BackdropItem : public QGraphicsPixmapItem {
public:
    static constexpr int Type = QGraphicsItem::UserType + 3;

    BackdropItem();

    int type() const override { return Type; }
    QRectF boundingRect() const override { return cropRect_; }

    /// Follows a new crop rectangle (telling the scene before the bounds change).
    void setCropRect(const QRectF& rect);

private:
    QRectF cropRect_;
};
