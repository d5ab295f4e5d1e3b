#include "ProgramProcess.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

// Sanitizer builds start slowly; a child that takes this long has hung.
constexpr std::chrono::seconds deadline{240};
constexpr std::chrono::milliseconds pollInterval{20};

std::vector<std::string> mergedEnvironment(const std::map<std::string, std::string>& changes,
                                           const std::vector<std::string>& removals) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const auto equals = text.find('=');
        if (equals != std::string::npos)
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& change : changes)
        variables[change.first] = change.second;
    for (const std::string& name : removals)
        variables.erase(name);
    std::vector<std::string> merged;
    for (const auto& variable : variables)
        merged.push_back(variable.first + "=" + variable.second);
    return merged;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(&text[0]);
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ProgramProcess::ProgramProcess(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::map<std::string, std::string>& environmentChanges,
                               const std::string& standardErrorFile,
                               const std::vector<std::string>& environmentRemovals)
    : standardErrorFile_(standardErrorFile) {
    std::vector<std::string> argumentTexts{program};
    argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environmentTexts = mergedEnvironment(environmentChanges, environmentRemovals);
    std::vector<char*> argv = pointersTo(argumentTexts);
    std::vector<char*> envp = pointersTo(environmentTexts);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, standardErrorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0)
        pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
}

ProgramProcess::~ProgramProcess() {
    if (pid_ > 0 && !reaped_) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
}

std::string ProgramProcess::standardError() const { return readWholeFile(standardErrorFile_); }

bool ProgramProcess::waitForStandardError(const std::string& text) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (std::chrono::steady_clock::now() < end) {
        if (standardError().find(text) != std::string::npos)
            return true;
        if (!stillRunning())
            return standardError().find(text) != std::string::npos;
        std::this_thread::sleep_for(pollInterval);
    }
    return false;
}

ProgramProcess::Result ProgramProcess::wait() {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (stillRunning()) {
        if (std::chrono::steady_clock::now() >= end) {
            // Hung: kill it and report neither an exit nor a signal of its own.
            ::kill(pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            reaped_ = true;
            break;
        }
        std::this_thread::sleep_for(pollInterval);
    }
    return result_;
}

bool ProgramProcess::stillRunning() {
    if (pid_ <= 0 || reaped_)
        return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == 0)
        return true;
    reaped_ = true;
    if (WIFEXITED(status)) {
        result_.exited = true;
        result_.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result_.signal = WTERMSIG(status);
    }
    return false;
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* directory = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(directory)) {
            struct stat info {};
            const std::string name = entry->d_name;
            if (::stat((folder + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode))
                names.push_back(name);
        }
        ::closedir(directory);
    }
    std::sort(names.begin(), names.end());
    return names;
}
