#pragma once

#include "composition/scene/ItemScene.h"

#include <QColor>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QRectF>

#include <memory>

class BackdropItem;
class CropFrame;

/// Paints the backdrop, the lowest item of the item scene (the canvas filled with the
/// background colour, the backdrop picture stretched over it), and lays the crop lines along
/// the canvas border. Its items live in `theItemScene` as it was at construction; it must be
/// destroyed before that scene is.
class BackdropController : public QObject {
    Q_OBJECT
public:
    explicit BackdropController(QObject* parent = nullptr);
    ~BackdropController() override;

    /// The scene the backdrop is in; null once that scene is gone.
    ItemScene* scene() const { return scene_; }
    QColor backgroundColour() const { return backgroundColour_; }
    QPixmap backdropPixmap() const { return backdropPixmap_; }
    /// The crop rectangle, which is the canvas rectangle.
    QRectF cropRect() const;
    BackdropItem* backdropItem() const { return backdropItem_; }
    CropFrame* cropFrame() const { return cropFrame_.get(); }

    void setBackdropPixmap(const QPixmap& pixmap);
    void clearBackdropPixmap();
    void setCropLinesVisible(bool visible);

public slots:
    void canvasChanged(const QRect& newRect);
    void setBackgroundColor(const QColor& colour);

private:
    void refreshBackdrop();

    QPointer<ItemScene> scene_;
    bool addedToScene_ = false;
    BackdropItem* backdropItem_;
    QPixmap backdropPixmap_;
    QColor backgroundColour_ = Qt::white;
    std::unique_ptr<CropFrame> cropFrame_;
};

/// The backdrop controller while one exists, else null.
extern BackdropController* theBackdropController;
