#pragma once

#include <Qt>

class QCursor;
class QString;

/// Whether the application's screens have more than one device pixel per logical one, so that
/// pictures drawn at twice the pixels are shown in place of the small ones.
bool onDoubleDensityScreen();
/// The double-density twin of a picture's file: "dir/name.png" becomes "dir/name@2x.png".
QString doubleDensityTwin(const QString& file);

/// A new cursor from a one-bit data image and its mask with the hot spot (x, y); the caller owns
/// it. When either image cannot be read, the cursor takes the standard `fallback` shape, so a
/// missing resource costs the look, never the cursor. When the application's device pixel ratio is
/// above 1 and the twins "name@2x.png" of both images hold twice the pixels, the cursor is drawn
/// from them at ratio 2 with the same logical hot spot.
QCursor* makeBitmapCursor(int x, int y, const QString& dataFile, const QString& maskFile,
                          Qt::CursorShape fallback);
