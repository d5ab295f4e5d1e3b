#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

/// A 32 x 32 pixmap of `image`; a picture larger than that is smoothed first, so that the
/// reduction does not alias. A null image gives a null pixmap.
QPixmap iconPixmapFromImage(const QImage& image);
/// `iconPixmapFromImage` of the image in `fileName` (a null pixmap when it cannot be read).
QPixmap iconPixmapFromFile(const QString& fileName);
/// The 32-pixel picture of a handle, from the handle pictures' folder. A picture that cannot
/// be read becomes a plain placeholder of the same size and a log line, so that no item fails
/// to build for want of its grips.
QPixmap handlePixmap(const QString& name);
