#include "masking/GmModelShapeHost.h"

#include "masking/GmModel.h"
#include "masking/TqSourceImage.h"
#include "masking/BrushSizeValue.h"

int GmModelShapeHost::resolution() const
{
    const GmModel* model = GmModel::existing();
    return model ? model->resolution() : 1;
}

QRect GmModelShapeHost::workingImageRect() const
{
    const GmModel* model = GmModel::existing();
    TqSourceImage* source = model ? model->sourceImage() : nullptr;
    if (!source || !source->valid())
        return QRect();
    if (source->workingImage().isNull())
        source->makeWorkingImage();
    return QRect(QPoint(0, 0), source->workingImage().size());
}

QRectF GmModelShapeHost::displayImageRect()
{
    const GmModel* model = GmModel::existing();
    TqSourceImage* source = model ? model->sourceImage() : nullptr;
    if (!source)
        return QRectF();
    source->refreshFromView();
    return QRectF(source->pixmap().rect());
}

int GmModelShapeHost::brushSize() const
{
    return BrushSizeValue::instance()->brushSize();
}

void GmModelShapeHost::requestRepaint(const QRectF& imageRect, int dirtyHint, int previewWanted)
{
    if (GmModel* model = GmModel::existing())
        emit model->rectDirty(ImageRectF(imageRect), DirtyHint(dirtyHint),
                              PatchPreviewWanted(previewWanted));
}

void GmModelShapeHost::brushingCreated(GmBrushing* brushing)
{
    if (GmModel* model = GmModel::existing())
        model->brushings().append(brushing);
}

void GmModelShapeHost::brushingDestroyed(GmBrushing* brushing)
{
    if (GmModel* model = GmModel::existing())
        model->brushings().removeAll(brushing);
}
