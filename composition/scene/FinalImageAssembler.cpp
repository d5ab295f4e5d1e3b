#include "composition/scene/FinalImageAssembler.h"

#include "composition/scene/BackdropController.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/SceneRenderScope.h"

#include <QGraphicsScene>
#include <QPainter>

void FinalImageAssembler::calculateFinalImage() {
    QGraphicsScene* scene = FrolixObject::instance()->scene();
    QPixmap pixmap;
    if (scene) {
        SceneRenderScope quiet(scene);
        const QRect canvas = theBackdropController ? theBackdropController->cropRect().toRect()
                                                   : FrolixObject::instance()->canvasRect();
        if (!canvas.isEmpty()) {
            pixmap = QPixmap(canvas.size());
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            if (theBackdropController)
                theBackdropController->setCropLinesVisible(false);
            scene->render(&painter, QRectF(pixmap.rect()), QRectF(canvas), Qt::KeepAspectRatio);
            if (theBackdropController)
                theBackdropController->setCropLinesVisible(true);
        }
    }
    finalPixmap_ = pixmap;
    emit done(finalPixmap_);
}

QPixmap renderFinalPixmap() {
    FinalImageAssembler assembler;
    assembler.calculateFinalImage();
    return assembler.finalPixmap();
}
