#pragma once

#include <string>
#include <vector>

/// An anonymous memory file as a host image editor hands one over: open for reading and
/// writing, not close-on-exec, so that a program started now inherits it. The code under test
/// may take the descriptor and close it; the test reads the file through a copy of its own.
class HostMemoryFile {
public:
    explicit HostMemoryFile(const std::vector<unsigned char>& content);
    ~HostMemoryFile();
    HostMemoryFile(const HostMemoryFile&) = delete;
    HostMemoryFile& operator=(const HostMemoryFile&) = delete;

    int descriptor() const { return descriptor_; }
    /// The descriptor as a host writes it on the command line: "0x" and hexadecimal digits.
    std::string handle() const;
    bool ready() const { return ready_; }
    /// The whole file as it is now.
    std::vector<unsigned char> content() const;

private:
    int descriptor_ = -1;
    int own_ = -1;   // the test's copy, close-on-exec
    bool ready_ = false;
};

/// `count` bytes that differ from their neighbours, so that a swap or a shift shows.
std::vector<unsigned char> patternBytes(std::size_t count, unsigned seed);
