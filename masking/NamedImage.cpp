#include "masking/NamedImage.h"

namespace {
// Queued connections copy the value through the meta-type system.
const int namedImageTypeId = qRegisterMetaType<NamedImage>("NamedImage");
}

NamedImage::NamedImage(const QImage& image, const QUrl& url) : QImage(image), url_(url) {}

QString NamedImage::fileName() const { return url_.fileName(QUrl::FullyDecoded); }
