#pragma once

#include <cstdint>
#include <string>

namespace zqplatform {

/// Reads a file descriptor number written in hexadecimal, the way a host names the mappings it
/// leaves open for us: leading blanks, one optional sign and an optional "0x" or "0X" come
/// first, then at least one hexadecimal digit, and nothing else follows. False for any other
/// text, for a negative value and for one past the largest `int`; `descriptor` is then left as
/// it was.
bool parseDescriptorNumber(const char* text, int& descriptor);

/// What `describeDescriptor` found out about an open descriptor.
struct DescriptorFacts {
    std::uint64_t size = 0;        ///< bytes, as the file system reports them
    std::uint64_t device = 0;      ///< with `inode`, tells whether two descriptors are one object
    std::uint64_t inode = 0;
    bool writable = false;         ///< opened for writing (a shared writable mapping may work)
};

/// Whether `descriptor` is open and names something we can map: a regular file, which includes
/// the anonymous memory files of memfd_create. False with a reason in `error` otherwise.
bool describeDescriptor(int descriptor, DescriptorFacts& facts, std::string& error);

/// Marks the descriptor close-on-exec, so that no program we start (a web browser) inherits it.
bool setCloseOnExec(int descriptor);

/// Whether the descriptor is marked close-on-exec; false for a closed one.
bool isCloseOnExec(int descriptor);

/// Closes the descriptor; a descriptor that is not open is ignored.
void closeDescriptor(int descriptor);

/// A shared mapping of the first `length` bytes of a descriptor, unmapped when the object goes.
/// It never maps more than the descriptor holds at the moment of mapping, so no access through
/// it can run past the end of the file. Its pages are brought in when it is made (it is read or
/// written whole right after), which costs far less than a fault on each page.
class SharedMapping {
public:
    enum Access { ReadOnly, ReadWrite };

    SharedMapping() = default;
    /// Maps `length` bytes (at least 1) from offset 0. Check `isMapped`; `error` says why not.
    SharedMapping(int descriptor, std::uint64_t length, Access access);
    ~SharedMapping();

    SharedMapping(SharedMapping&& other) noexcept;
    SharedMapping& operator=(SharedMapping&& other) noexcept;
    SharedMapping(const SharedMapping&) = delete;
    SharedMapping& operator=(const SharedMapping&) = delete;

    bool isMapped() const { return address_ != nullptr; }
    std::uint64_t length() const { return length_; }
    const unsigned char* data() const { return static_cast<const unsigned char*>(address_); }
    /// Null unless mapped with `ReadWrite`.
    unsigned char* writableData() const {
        return writable_ ? static_cast<unsigned char*>(address_) : nullptr;
    }
    const std::string& error() const { return error_; }

    /// Unmaps now; the object is then empty.
    void unmap();

private:
    void* address_ = nullptr;
    std::uint64_t length_ = 0;
    bool writable_ = false;
    std::string error_;
};

/// Zeroed private memory of a fixed size, in whole pages brought in at once, released when the
/// object goes. For large image buffers that are filled right after they are made.
class PageBuffer {
public:
    PageBuffer() = default;
    /// Throws std::bad_alloc when the memory cannot be had.
    explicit PageBuffer(std::uint64_t bytes);
    ~PageBuffer();

    PageBuffer(PageBuffer&& other) noexcept;
    PageBuffer& operator=(PageBuffer&& other) noexcept;
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;

    unsigned char* data() const { return static_cast<unsigned char*>(address_); }
    std::uint64_t size() const { return size_; }

private:
    void release();

    void* address_ = nullptr;
    std::uint64_t size_ = 0;
};

}  // namespace zqplatform
