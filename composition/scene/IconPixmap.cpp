#include "composition/scene/IconPixmap.h"

#include "composition/scene/GaussianBlurImage.h"

#include <QColor>

#include <algorithm>

namespace {
constexpr int iconSide = 32;
}

QPixmap iconPixmapFromImage(const QImage& image) {
    if (image.isNull())
        return QPixmap();
    const QImage converted = image.convertToFormat(QImage::Format_ARGB32);
    const double f = std::max(double(iconSide) / converted.width(),
                              double(iconSide) / converted.height());
    QImage smoothed;
    if (f < 1)
        gaussianBlurImage(converted, smoothed, f);
    else
        smoothed = converted;
    return QPixmap::fromImage(smoothed.scaled(iconSide, iconSide, Qt::IgnoreAspectRatio,
                                              Qt::SmoothTransformation));
}

QPixmap iconPixmapFromFile(const QString& fileName) {
    return iconPixmapFromImage(QImage(fileName));
}

QPixmap handlePixmap(const QString& name) {
    const QString path = QStringLiteral(":/images/fun/cursors32pix/") + name;
    QPixmap pixmap = iconPixmapFromFile(path);
    if (!pixmap.isNull())
        return pixmap;
    qWarning("Handle picture %s could not be read; a placeholder stands in", qPrintable(path));
    pixmap = QPixmap(iconSide, iconSide);
    pixmap.fill(QColor(128, 128, 128, 160));
    return pixmap;
}
