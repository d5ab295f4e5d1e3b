#pragma once

#include <QtGlobal>

/// Whether `bytes` hold a JPEG that reaches its end-of-image marker through its own structure:
/// every marker segment whole, every scan's compressed data followed by a marker, and the
/// frame closed by an end-of-image marker; bytes after it are allowed. A JPEG cut short still
/// decodes (the decoder fills the missing rows with grey and only warns), so this is how a
/// damaged file is told from a good one. False for anything that does not start as a JPEG.
/// Reads only inside `bytes`; any thread.
bool jpegIsComplete(const uchar* bytes, qint64 size);
