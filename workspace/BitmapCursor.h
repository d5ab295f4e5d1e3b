#pragma once

#include <Qt>

class QCursor;
class QString;

/// A new cursor from a one-bit data image and its mask with the hot spot (x, y); the caller owns
/// it. When either image cannot be read, the cursor takes the standard `fallback` shape, so a
/// missing resource costs the look, never the cursor.
QCursor* makeBitmapCursor(int x, int y, const QString& dataFile, const QString& maskFile,
                          Qt::CursorShape fallback);
