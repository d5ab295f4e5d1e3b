#include "HostMemoryFile.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>

HostMemoryFile::HostMemoryFile(const std::vector<unsigned char>& content) {
    descriptor_ = ::memfd_create("zq-host-image", 0);
    if (descriptor_ < 0)
        return;
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t wrote = ::write(descriptor_, content.data() + done, content.size() - done);
        if (wrote <= 0)
            return;
        done += static_cast<std::size_t>(wrote);
    }
    ready_ = true;
}

HostMemoryFile::~HostMemoryFile() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

std::string HostMemoryFile::handle() const {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(descriptor_));
    return text;
}

std::vector<unsigned char> HostMemoryFile::content() const {
    const off_t size = ::lseek(descriptor_, 0, SEEK_END);
    std::vector<unsigned char> bytes(size > 0 ? static_cast<std::size_t>(size) : 0);
    if (!bytes.empty() && ::pread(descriptor_, bytes.data(), bytes.size(), 0) !=
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
