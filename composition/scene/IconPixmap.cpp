#include "composition/scene/IconPixmap.h"

#include "composition/scene/GaussianBlurImage.h"
#include "workspace/BitmapCursor.h"

#include <QColor>

#include <algorithm>

namespace {
constexpr int iconSide = 32;
}

QPixmap iconPixmapFromImage(const QImage& image, int ratio) {
    if (image.isNull())
        return QPixmap();
    if (ratio != 2)
        ratio = 1;
    const int side = iconSide * ratio;
    const QImage converted = image.convertToFormat(QImage::Format_ARGB32);
    const double f = std::max(double(side) / converted.width(), double(side) / converted.height());
    QImage smoothed;
    if (f < 1)
        gaussianBlurImage(converted, smoothed, f);
    else
        smoothed = converted;
    QPixmap pixmap = QPixmap::fromImage(
        smoothed.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QPixmap iconPixmapFromFile(const QString& fileName, int ratio) {
    return iconPixmapFromImage(QImage(fileName), ratio);
}

QPixmap handlePixmap(const QString& name) {
    const QString path = QStringLiteral(":/images/fun/cursors32pix/") + name;
    // The highest ratio of any screen: a handle is made once and may be shown on any of them,
    // and the denser picture scaled down stays sharper than the small one blown up.
    if (onDoubleDensityScreen()) {
        const QString twin = doubleDensityTwin(path);
        QPixmap pixmap = iconPixmapFromFile(twin, 2);
        if (!pixmap.isNull())
            return pixmap;
        qWarning("Handle picture %s could not be read; the small one stands in", qPrintable(twin));
    }
    QPixmap pixmap = iconPixmapFromFile(path);
    if (!pixmap.isNull())
        return pixmap;
    qWarning("Handle picture %s could not be read; a placeholder stands in", qPrintable(path));
    pixmap = QPixmap(iconSide, iconSide);
    pixmap.fill(QColor(128, 128, 128, 160));
    return pixmap;
}
