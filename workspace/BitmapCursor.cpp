#include "workspace/BitmapCursor.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace {

// The cursor drawn from the twins at twice the pixels, black where `data` is set and white
// elsewhere, shown through `mask`; null when the twins are missing or not twice `size`.
QPixmap doubleDensityCursorPixmap(const QString& dataFile, const QString& maskFile, QSize size) {
    const QBitmap data(doubleDensityTwin(dataFile));
    const QBitmap mask(doubleDensityTwin(maskFile));
    if (data.isNull() || mask.isNull() || data.size() != size * 2 || mask.size() != size * 2)
        return QPixmap();
    const QImage bits = data.toImage().convertToFormat(QImage::Format_Mono);
    QImage picture(bits.size(), QImage::Format_RGB32);
    for (int y = 0; y < bits.height(); ++y)
        for (int x = 0; x < bits.width(); ++x)
            picture.setPixel(x, y, bits.pixelIndex(x, y) == Qt::color1 ? qRgb(0, 0, 0)
                                                                       : qRgb(255, 255, 255));
    QPixmap pixmap = QPixmap::fromImage(picture);
    pixmap.setMask(mask);
    pixmap.setDevicePixelRatio(2);
    return pixmap;
}

} // namespace

bool onDoubleDensityScreen() {
    const auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    return gui && gui->devicePixelRatio() > 1.0;
}

QString doubleDensityTwin(const QString& file) {
    const int dot = file.lastIndexOf(QLatin1Char('.'));
    if (dot <= file.lastIndexOf(QLatin1Char('/')))
        return file + QStringLiteral("@2x");
    return file.left(dot) + QStringLiteral("@2x") + file.mid(dot);
}

QCursor* makeBitmapCursor(int x, int y, const QString& dataFile, const QString& maskFile,
                          Qt::CursorShape fallback) {
    const QBitmap data(dataFile);
    const QBitmap mask(maskFile);
    if (data.isNull() || mask.isNull() || data.size() != mask.size())
        return new QCursor(fallback);
    // On a double-density screen the cursor shows the pictures drawn at twice the pixels; the
    // hot spot stays in logical pixels, as QCursor takes it for a pixmap with a ratio.
    if (onDoubleDensityScreen()) {
        const QPixmap pixmap = doubleDensityCursorPixmap(dataFile, maskFile, data.size());
        if (!pixmap.isNull())
            return new QCursor(pixmap, x, y);
    }
    return new QCursor(data, mask, x, y);
}
