#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zqplatform {

int openRegularFileForReading(const char* path) {
    // O_NONBLOCK: opening a FIFO for reading otherwise waits until some process opens it for
    // writing. The type is checked on the open descriptor, so nothing can be swapped in between.
    const int descriptor = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    struct stat facts {};
    if (::fstat(descriptor, &facts) != 0 || !S_ISREG(facts.st_mode)) {
        ::close(descriptor);
        return -1;
    }
    // Regular files ignore the flag; cleared anyway, so reads behave as on any file.
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags != -1)
        ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
    return descriptor;
}

}  // namespace zqplatform
