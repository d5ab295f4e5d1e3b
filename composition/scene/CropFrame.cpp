#include "composition/scene/CropFrame.h"

#include <QGraphicsScene>

CropFrame::CropFrame(QGraphicsScene* scene, const QRectF& rect)
    : lines_{new TopCropLine<BackdropController>, new RightCropLine<BackdropController>,
             new BottomCropLine<BackdropController>, new LeftCropLine<BackdropController>} {
    if (scene)
        for (auto* line : lines_)
            scene->addItem(line);
    setCropRect(rect);
}

CropFrame::~CropFrame() {
    for (auto* line : lines_)
        delete line;
}

void CropFrame::setCropRect(const QRectF& rect) {
    cropRect_ = rect;
    for (auto* line : lines_)
        if (line)
            line->place(rect);
}

void CropFrame::setLinesVisible(bool visible) {
    for (auto* line : lines_)
        if (line)
            line->setVisible(visible);
}
