#include "platform/FileMapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <new>
#include <utility>

namespace zqplatform {

namespace {

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string systemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

bool parseDescriptorNumber(const char* text, int& descriptor) {
    if (!text)
        return false;
    const char* c = text;
    while (isBlank(*c))
        ++c;
    bool negative = false;
    if (*c == '+' || *c == '-')
        negative = *c++ == '-';
    if (c[0] == '0' && (c[1] == 'x' || c[1] == 'X') && hexDigitValue(c[2]) >= 0)
        c += 2;
    if (hexDigitValue(*c) < 0)
        return false;
    long long value = 0;
    for (; *c; ++c) {
        const int digit = hexDigitValue(*c);
        if (digit < 0)
            return false;
        value = value * 16 + digit;
        if (value > INT_MAX)
            return false;
    }
    if (negative && value != 0)
        return false;
    descriptor = static_cast<int>(value);
    return true;
}

bool describeDescriptor(int descriptor, DescriptorFacts& facts, std::string& error) {
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (descriptor < 0 || flags < 0) {
        error = "descriptor " + std::to_string(descriptor) + " is not open";
        return false;
    }
    struct stat info {};
    if (::fstat(descriptor, &info) != 0) {
        error = systemError("fstat");
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "descriptor " + std::to_string(descriptor) + " is not a file that can be mapped";
        return false;
    }
    facts.size = info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    facts.device = static_cast<std::uint64_t>(info.st_dev);
    facts.inode = static_cast<std::uint64_t>(info.st_ino);
    facts.writable = (flags & O_ACCMODE) == O_RDWR;
    return true;
}

bool setCloseOnExec(int descriptor) {
    const int flags = ::fcntl(descriptor, F_GETFD);
    return flags >= 0 && ::fcntl(descriptor, F_SETFD, flags | FD_CLOEXEC) == 0;
}

bool isCloseOnExec(int descriptor) {
    const int flags = ::fcntl(descriptor, F_GETFD);
    return flags >= 0 && (flags & FD_CLOEXEC) != 0;
}

void closeDescriptor(int descriptor) {
    if (descriptor >= 0)
        ::close(descriptor);
}

SharedMapping::SharedMapping(int descriptor, std::uint64_t length, Access access) {
    DescriptorFacts facts;
    if (!describeDescriptor(descriptor, facts, error_))
        return;
    if (length == 0) {
        error_ = "nothing to map";
        return;
    }
    // Touching a page past the end of the file raises SIGBUS: map only what is there.
    if (facts.size < length) {
        error_ = "the mapping holds " + std::to_string(facts.size) + " bytes, " +
                 std::to_string(length) + " are needed";
        return;
    }
    if (length > static_cast<std::uint64_t>(SIZE_MAX)) {
        error_ = "the mapping is too large for this process";
        return;
    }
    const int protection = access == ReadWrite ? PROT_READ | PROT_WRITE : PROT_READ;
    void* address = ::mmap(nullptr, static_cast<size_t>(length), protection,
                           MAP_SHARED | MAP_POPULATE, descriptor, 0);
    if (address == MAP_FAILED) {
        error_ = systemError("mmap");
        return;
    }
    address_ = address;
    length_ = length;
    writable_ = access == ReadWrite;
}

SharedMapping::~SharedMapping() { unmap(); }

SharedMapping::SharedMapping(SharedMapping&& other) noexcept
    : address_(std::exchange(other.address_, nullptr)),
      length_(std::exchange(other.length_, 0)),
      writable_(std::exchange(other.writable_, false)),
      error_(std::move(other.error_)) {}

SharedMapping& SharedMapping::operator=(SharedMapping&& other) noexcept {
    if (this != &other) {
        unmap();
        address_ = std::exchange(other.address_, nullptr);
        length_ = std::exchange(other.length_, 0);
        writable_ = std::exchange(other.writable_, false);
        error_ = std::move(other.error_);
    }
    return *this;
}

void SharedMapping::unmap() {
    if (address_)
        ::munmap(address_, static_cast<size_t>(length_));
    address_ = nullptr;
    length_ = 0;
    writable_ = false;
}

PageBuffer::PageBuffer(std::uint64_t bytes) {
    if (bytes == 0)
        return;
    if (bytes > static_cast<std::uint64_t>(SIZE_MAX))
        throw std::bad_alloc();
    void* address = ::mmap(nullptr, static_cast<size_t>(bytes), PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (address == MAP_FAILED)
        throw std::bad_alloc();
    address_ = address;
    size_ = bytes;
}

PageBuffer::~PageBuffer() { release(); }

PageBuffer::PageBuffer(PageBuffer&& other) noexcept
    : address_(std::exchange(other.address_, nullptr)), size_(std::exchange(other.size_, 0)) {}

PageBuffer& PageBuffer::operator=(PageBuffer&& other) noexcept {
    if (this != &other) {
        release();
        address_ = std::exchange(other.address_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void PageBuffer::release() {
    if (address_)
        ::munmap(address_, static_cast<size_t>(size_));
    address_ = nullptr;
    size_ = 0;
}

}  // namespace zqplatform
