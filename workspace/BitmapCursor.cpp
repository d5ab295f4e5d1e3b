#include "workspace/BitmapCursor.h"

#include <QBitmap>
#include <QCursor>
#include <QString>

QCursor* makeBitmapCursor(int x, int y, const QString& dataFile, const QString& maskFile,
                          Qt::CursorShape fallback) {
    const QBitmap data(dataFile);
    const QBitmap mask(maskFile);
    if (data.isNull() || mask.isNull() || data.size() != mask.size())
        return new QCursor(fallback);
    return new QCursor(data, mask, x, y);
}
