#pragma once

#include <QString>
#include <QTransform>

class QIODevice;
class QImage;

/// Orientation of JPEG pictures from their EXIF "Orientation" tag (1 to 8; 0 when there is
/// none). Cameras and phones store pictures unrotated and say in that tag how to turn them.

/// The turn and mirror of an orientation value, as a point mapping without translation
/// (`QImage::transformed` adds the translation that keeps the result in view):
///   1 (x, y)  2 (-x, y)  3 (-x, -y)  4 (x, -y)  5 (y, x)  6 (-y, x)  7 (-y, -x)  8 (y, -x).
/// Any other value gives the identity.
QTransform exifOrientationTransform(int orientation);

/// The orientation recorded in the JPEG file `fileName`; 0 when it cannot be read, is not a
/// JPEG or has no usable orientation tag.
int exifOrientationOfFile(const QString& fileName);

/// The same for the bytes of `device` from its current position (a download, say).
int exifOrientationOfDevice(QIODevice& device);

/// `exifOrientationTransform` of the file's orientation.
QTransform exifOrientationMatrix(const QString& fileName);

/// Replaces `image` by itself turned upright as the file's orientation says.
void applyExifOrientation(const QString& fileName, QImage& image);
