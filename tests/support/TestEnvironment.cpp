#include "support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace zqtest {
namespace {

std::string& folder() {
    static std::string path;
    return path;
}

void makeAndExport(const char* variable, const std::string& path) {
    std::filesystem::create_directories(path);
    ::setenv(variable, path.c_str(), 1);
}

}  // namespace

void enterScratchFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/zqtest.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        throw std::runtime_error("cannot create a scratch folder under " + pattern);
    folder() = buffer.data();
    makeAndExport("XDG_CONFIG_HOME", folder() + "/config");
    makeAndExport("TMPDIR", folder() + "/tmp");
    makeAndExport("HOME", folder() + "/home");
    makeAndExport("XDG_CONFIG_DIRS", folder() + "/system");   // system-scope settings
    // Qt wants the runtime folder private to the user, as a session's own one is.
    makeAndExport("XDG_RUNTIME_DIR", folder() + "/runtime");
    std::filesystem::permissions(folder() + "/runtime", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

void removeScratchFolder() {
    if (folder().empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(folder(), ignored);
    folder().clear();
}

const std::string& scratchFolder() { return folder(); }

}  // namespace zqtest
