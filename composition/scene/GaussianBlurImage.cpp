#include "composition/scene/GaussianBlurImage.h"

#include "ProcessorGauss.h"

namespace {

// The processor filters on a thread of its own when started; `run` is that thread's work, and
// the icons that need a blur want it at once, so it is called here, on the caller's thread.
class DirectGauss : public Corvel::ProcessorGauss<1, 1, 1, 1> {
public:
    using ProcessorGauss::ProcessorGauss;
    void filterHere() { run(); }
};

Corvel::PixelBuffer bufferOf(QImage& image) {
    return Corvel::PixelBuffer{image.bits(), image.width(), image.height(),
                               image.bytesPerLine()};
}

}  // namespace

void gaussianBlurImage(const QImage& in, QImage& out, double frequency) {
    if (in.isNull())
        return;
    QImage tmp = in.convertToFormat(QImage::Format_ARGB32);
    if (tmp.format() != QImage::Format_ARGB32 || tmp.isNull()) {
        qWarning("gaussianBlurImage: the picture could not be converted to 32-bit ARGB");
        out = QImage();
        return;
    }
    out = tmp.copy();
    if (frequency >= 1 || frequency <= 0 || out.isNull())
        return;
    double sigma = 0.15915494309189535 / frequency;   // 1 / (2 pi frequency)
    if (sigma > 3.0 * tmp.width())
        sigma = tmp.width() * 0.2857142857142857;
    if (sigma > 3.0 * tmp.height())
        sigma = tmp.height() * 0.2857142857142857;

    DirectGauss(bufferOf(out), bufferOf(tmp), float(sigma)).filterHere();
}
