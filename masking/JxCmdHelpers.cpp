#include "masking/JxCmdHelpers.h"

#include "masking/GmModel.h"
#include "masking/GmStatusArray.h"
#include "masking/SegmentationStuff.h"
#include "masking/TqSourceImage.h"

#include <QTextStream>

namespace jxcmd {

JxSession* modelSession(const GmModel* model) {
    if (!model || !model->imageSmeg())
        return nullptr;
    return model->imageSmeg()->session();
}

JxImage* modelStatusImage(const GmModel* model) {
    if (!model || !model->statusArray())
        return nullptr;
    return model->statusArray()->engineImage();
}

JxImage workingImageOf(GmModel* model) {
    JxImage view{0, 0, 0, 0, nullptr};
    TqSourceImage* source = model ? model->sourceImage() : nullptr;
    if (!source)
        return view;
    source->refreshFromView();
    if (source->workingImage().isNull() || source->workingDivisor() != model->resolution())
        source->makeWorkingImage(model->resolution());
    const QImage& working = source->workingImage();
    if (working.isNull())
        return view;
    view.width = working.width();
    view.height = working.height();
    view.stride = int(working.bytesPerLine());
    view.format = JxFormatRgba8;
    // The engine reads the working image only while the command runs; the GUI thread leaves
    // it alone until the command has finished.
    view.data = const_cast<uchar*>(working.constBits());
    return view;
}

QString handleText(const void* handle) {
    QString text;
    QTextStream stream(&text);
    stream << handle;
    return text;
}

bool isProcessModel(const GmModel* model) {
    return model && model == GmModel::existing();
}

}  // namespace jxcmd
