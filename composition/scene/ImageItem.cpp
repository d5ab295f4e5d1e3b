#include "composition/scene/ImageItem.h"

#include "composition/scene/FrolixWidget.h"
#include "composition/scene/ImageEffects.h"
#include "composition/scene/ItemScene.h"

#include <QGraphicsScene>

#include <algorithm>
#include <cmath>

ImageItem::ImageItem(QGraphicsScene* scene, const QPixmap& pixmap) : FrolixItem(this, scene) {
    registerItem();
    if (scene)
        scene->addItem(this);
    setUpPixmap(pixmap);

    const FrolixWidget* view = compositionViewOf(scene);
    const QRectF v = view ? view->visibleSceneRect() : QRectF();
    // The picture's own rectangle: the bounding rectangle of a selectable pixmap item has a
    // margin of half a pixel, which would make the fit depend on the picture's size.
    QRectF r = mapRectToScene(localRect());
    // Without a visible area or a picture there is no factor to fit by.
    if (!v.isEmpty() && !r.isEmpty()) {
        const double f = std::min(v.width() / r.width(), v.height() / r.height()) * 0.25;
        if (std::isfinite(f) && f > 0)
            setTransform(QTransform(transform()).scale(f, f));
        r = mapRectToScene(localRect());
    }
    if (view)
        setPos(v.center() + r.topLeft() - r.center());
    finishPlacement();
}

ImageItem::ImageItem(const ImageItem& other)
    : QGraphicsPixmapItem(), FrolixItem(this, other.ownerScene()) {
    setMirrored(other.isMirrored());
    setItemOpacity(other.itemOpacity());
    registerItem();
    saturation = other.saturation;
    tintStrength = other.tintStrength;
    tintColour = other.tintColour;
    if (ownerScene())
        ownerScene()->addItem(this);
    setUpPixmap(other.sourcePixmap);
    setPos(other.pos());
    setZValue(other.zValue());
    setFlags(other.flags());
    setTransform(other.transform());
    refreshPixmap();
    finishPlacement();
}

ImageItem::~ImageItem() {
    if (QGraphicsScene* s = scene())
        s->update();
}

void ImageItem::setUpPixmap(const QPixmap& pixmap) {
    setTransformationMode(Qt::SmoothTransformation);
    setFlag(ItemIsSelectable);
    setPixmap(pixmap);
    addDragHandle();
    addScaleHandle();
    addRotateHandle();
    sourcePixmap = pixmap;
    computeGreyPixmap();
}

void ImageItem::finishPlacement() {
    avoidExactOverlap();
    bringToFront();
    updateHandles();
}

void ImageItem::refreshPixmap() {
    if (tintStrength != 0.0f || saturation != 1.0f)
        setPixmap(effectPixmap());
    else
        setPixmap(sourcePixmap);
    update();
}

QPixmap ImageItem::effectPixmap() const {
    if (sourcePixmap.isNull())
        return QPixmap();
    return QPixmap::fromImage(effectImage(sourcePixmap.toImage(), greyPixmap.toImage(),
                                          tintStrength, saturation, tintColour));
}

void ImageItem::computeGreyPixmap() {
    greyPixmap = sourcePixmap.isNull() ? QPixmap()
                                       : QPixmap::fromImage(greyImage(sourcePixmap.toImage()));
}

double ImageItem::canvasScaleFactor(const QRect& newRect, const QRect& oldRect) {
    return std::sqrt((double(newRect.height()) / oldRect.height()) *
                     (double(newRect.width()) / oldRect.width()));
}

QRectF ImageItem::localRect() const { return QRectF(QPointF(0, 0), pixmap().size()); }

QIcon ImageItem::icon(const QSize& size) const {
    return QIcon(sourcePixmap.scaled(size, Qt::KeepAspectRatio, Qt::FastTransformation));
}

void ImageItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                      QWidget* widget) {
    paintItem(painter, option, widget,
              [this](QPainter* p, const QStyleOptionGraphicsItem* o, QWidget* w) {
                  QGraphicsPixmapItem::paint(p, o, w);
              });
}

QVariant ImageItem::itemChange(GraphicsItemChange change, const QVariant& value) {
    return handleItemChange(change, QGraphicsPixmapItem::itemChange(change, value));
}
