#pragma once

namespace zqplatform {

/// Opens `path` for reading when it names a regular file (after symbolic links), and returns
/// the descriptor, close-on-exec; -1 for anything else. A FIFO is opened without waiting for
/// a writer, so naming one never blocks the caller: it is refused like a folder or a device.
int openRegularFileForReading(const char* path);

}  // namespace zqplatform
