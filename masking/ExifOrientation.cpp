#include "masking/ExifOrientation.h"

#include "masking/JpegMetadataReader.h"

#include <QImage>

QTransform exifOrientationTransform(int orientation) {
    // Each call acts before the transformation built so far, so the mirror acts first.
    QTransform matrix;
    switch (orientation) {
    case 2: matrix.scale(-1, 1); break;
    case 3: matrix.rotate(180); break;
    case 4: matrix.rotate(180); matrix.scale(-1, 1); break;
    case 5: matrix.rotate(-90); matrix.scale(-1, 1); break;
    case 6: matrix.rotate(90); break;
    case 7: matrix.rotate(90); matrix.scale(-1, 1); break;
    case 8: matrix.rotate(-90); break;
    default: break;
    }
    return matrix;
}

int exifOrientationOfFile(const QString& fileName) {
    JpegMetadataReader reader;
    return reader.readFile(fileName) ? reader.info().orientation : 0;
}

int exifOrientationOfDevice(QIODevice& device) {
    JpegMetadataReader reader;
    return reader.read(device, QStringLiteral("(data)")) ? reader.info().orientation : 0;
}

QTransform exifOrientationMatrix(const QString& fileName) {
    return exifOrientationTransform(exifOrientationOfFile(fileName));
}

void applyExifOrientation(const QString& fileName, QImage& image) {
    image = image.transformed(exifOrientationMatrix(fileName), Qt::FastTransformation);
}
