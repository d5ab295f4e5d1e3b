#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

/// The built program, run as a child process for a test: its standard error goes to a file,
/// its environment is the test's own with the given changes and without the given variables.
class ProgramProcess {
public:
    struct Result {
        bool exited = false;    // false: killed by `signal`, or still running at the deadline
        int exitCode = -1;
        int signal = 0;
    };

    /// Starts `program` with `arguments` (not counting the program's name); standard error goes
    /// to `standardErrorFile`. The variables of `environmentRemovals` are left out.
    ProgramProcess(const std::string& program, const std::vector<std::string>& arguments,
                   const std::map<std::string, std::string>& environmentChanges,
                   const std::string& standardErrorFile,
                   const std::vector<std::string>& environmentRemovals = {});
    /// Kills a child that is still running.
    ~ProgramProcess();

    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    /// Everything the child wrote to standard error so far.
    std::string standardError() const;

    /// Waits until standard error holds `text`; false when the child ended first or a generous
    /// deadline (meant for a hung child, not as a speed limit) passed.
    bool waitForStandardError(const std::string& text);

    /// Waits for the child to end (killing it after the same deadline).
    Result wait();

private:
    /// Reaps the child when it has ended and keeps its result.
    bool stillRunning();

    pid_t pid_ = -1;
    std::string standardErrorFile_;
    bool reaped_ = false;
    Result result_;
};

/// The whole content of a file, "" when it cannot be read.
std::string readWholeFile(const std::string& path);

/// The names of the plain files in `folder` (not recursive), sorted.
std::vector<std::string> filesIn(const std::string& folder);
