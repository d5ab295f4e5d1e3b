#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

/// A pixmap of `image` 32 logical pixels square, made of 32 x `ratio` device pixels a side and
/// carrying `ratio` as its device pixel ratio (1 or 2; anything else counts as 1); a picture
/// larger than that is smoothed first, so that the reduction does not alias. A null image gives
/// a null pixmap.
QPixmap iconPixmapFromImage(const QImage& image, int ratio = 1);
/// `iconPixmapFromImage` of the image in `fileName` (a null pixmap when it cannot be read).
QPixmap iconPixmapFromFile(const QString& fileName, int ratio = 1);
/// The picture of a handle, 32 logical pixels square, from the handle pictures' folder. When a
/// screen has more than one device pixel per logical one, it is the picture's twin drawn at
/// twice the pixels (name@2x.png) with a device pixel ratio of 2, so that the handle is as
/// sharp as the icons; the small picture stands in when the twin cannot be read. A picture that
/// cannot be read becomes a plain placeholder of the same size and a log line, so that no item
/// fails to build for want of its grips.
QPixmap handlePixmap(const QString& name);
