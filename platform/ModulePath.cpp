#include "platform/ModulePath.h"

#include <unistd.h>

#include <vector>

namespace zqplatform {

std::string programPath() {
    // readlink does not say whether it truncated: grow the buffer until the answer fits.
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return std::string();
        if (static_cast<size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(length));
        if (buffer.size() >= (1u << 20))
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string programFolder() {
    const std::string path = programPath();
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace zqplatform
