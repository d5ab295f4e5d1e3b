#include "composition/scene/BackdropController.h"

#include "composition/scene/BackdropItem.h"
#include "composition/scene/CropFrame.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/ItemScene.h"

#include <QPainter>

BackdropController* theBackdropController = nullptr;

BackdropController::BackdropController(QObject* parent)
    : QObject(parent), scene_(theItemScene), backdropItem_(new BackdropItem) {
    theBackdropController = this;
    FrolixObject* document = FrolixObject::instance();
    const QRectF canvas(document->canvasRect());
    backdropItem_->setCropRect(canvas);
    refreshBackdrop();
    if (scene_) {
        scene_->addItem(backdropItem_);
        addedToScene_ = true;
    }
    cropFrame_ = std::make_unique<CropFrame>(scene_, canvas);
    connect(document, &FrolixObject::canvasChanged, this, &BackdropController::canvasChanged);
}

BackdropController::~BackdropController() {
    if (theBackdropController == this)
        theBackdropController = nullptr;
    // A scene that went first took the items along; otherwise they are deleted here.
    if (!scene_ && addedToScene_) {
        cropFrame_->abandonLines();
        backdropItem_ = nullptr;
    }
    cropFrame_.reset();
    delete backdropItem_;
}

QRectF BackdropController::cropRect() const { return cropFrame_->cropRect(); }

void BackdropController::canvasChanged(const QRect& newRect) {
    cropFrame_->setCropRect(QRectF(newRect));
    backdropItem_->setCropRect(QRectF(newRect));
    refreshBackdrop();
}

void BackdropController::setBackgroundColor(const QColor& colour) {
    backgroundColour_ = colour;
    refreshBackdrop();
}

void BackdropController::setBackdropPixmap(const QPixmap& pixmap) {
    backdropPixmap_ = pixmap;
    refreshBackdrop();
}

void BackdropController::clearBackdropPixmap() { setBackdropPixmap(QPixmap()); }

void BackdropController::setCropLinesVisible(bool visible) {
    cropFrame_->setLinesVisible(visible);
}

void BackdropController::refreshBackdrop() {
    const QRect canvas = FrolixObject::instance()->canvasRect();
    QPixmap backdrop(canvas.size());
    if (!backdrop.isNull()) {
        backdrop.fill(QColor(0, 0, 0, 0));
        QPainter painter(&backdrop);
        painter.setBrush(QBrush(backgroundColour_));
        // The default pen stays on purpose: it outlines the canvas's top row and left column,
        // which a backdrop picture then covers.
        const QRect crop = cropFrame_ ? cropFrame_->cropRect().toRect() : canvas;
        painter.drawRect(crop);
        if (!backdropPixmap_.isNull()) {
            const QPixmap scaled = backdropPixmap_.scaled(backdrop.size(), Qt::IgnoreAspectRatio,
                                                          Qt::SmoothTransformation);
            painter.drawPixmap(QRectF(crop), scaled, QRectF(crop));
        }
    }
    backdropItem_->setPixmap(backdrop);
}
