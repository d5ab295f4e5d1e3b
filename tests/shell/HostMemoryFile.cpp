#include "HostMemoryFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

HostMemoryFile::HostMemoryFile(const std::vector<unsigned char>& content) {
    descriptor_ = ::memfd_create("zq-host-image", 0);
    if (descriptor_ < 0)
        return;
    own_ = ::fcntl(descriptor_, F_DUPFD_CLOEXEC, 0);
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t wrote = ::write(descriptor_, content.data() + done, content.size() - done);
        if (wrote <= 0)
            return;
        done += static_cast<std::size_t>(wrote);
    }
    ready_ = own_ >= 0;
}

HostMemoryFile::~HostMemoryFile() {
    // Closed here only when the number still names this file: the code under test may have
    // closed it, and the number may name something else since.
    struct stat handed {}, own {};
    if (descriptor_ >= 0 && ::fstat(descriptor_, &handed) == 0 && ::fstat(own_, &own) == 0 &&
        handed.st_dev == own.st_dev && handed.st_ino == own.st_ino)
        ::close(descriptor_);
    if (own_ >= 0)
        ::close(own_);
}

std::string HostMemoryFile::handle() const {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(descriptor_));
    return text;
}

std::vector<unsigned char> HostMemoryFile::content() const {
    const off_t size = ::lseek(own_, 0, SEEK_END);
    std::vector<unsigned char> bytes(size > 0 ? static_cast<std::size_t>(size) : 0);
    if (!bytes.empty() && ::pread(own_, bytes.data(), bytes.size(), 0) !=
                              static_cast<ssize_t>(bytes.size()))
        bytes.clear();
    return bytes;
}

std::vector<unsigned char> patternBytes(std::size_t count, unsigned seed) {
    std::vector<unsigned char> bytes(count);
    unsigned value = seed * 2654435761u + 12345u;
    for (unsigned char& byte : bytes) {
        value = value * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(value >> 16);
    }
    return bytes;
}
