#pragma once

#include "classification/JxInterface.h"

#include <QString>

class GmModel;
class QImage;
class TqSourceImage;

/// What every engine command takes from the model in `prepare`.
namespace jxcmd {

/// The image-wide segmentation holder's session; null without holder or session.
JxSession* modelSession(const GmModel* model);
/// The status image's engine handle; null without one.
JxImage* modelStatusImage(const GmModel* model);
/// Refreshes the model's source image and builds its working image when missing; the working
/// image as the engine reads it (format 1), all zeros without a source image.
JxImage workingImageOf(GmModel* model);
/// A handle as the log prints it.
QString handleText(const void* handle);
/// The model is the one of this process (a command built for another is never run).
bool isProcessModel(const GmModel* model);

}  // namespace jxcmd
