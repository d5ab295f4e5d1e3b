#pragma once

#include <string>

/// What the command line asks for. Only the exact argument count (the program's name
/// included) and argv[1], compared byte for byte, decide:
///   2 arguments, "--about"  -> the About box alone;
///   9 arguments, "--gp"     -> run mode 2 (argv[2] to argv[8] describe the host's images);
///   3 arguments, "--xmlgp"  -> run mode 3 (argv[2] is not read);
///   anything else           -> run mode 0; argv[1], when present, is a file to open.
struct RunChoice {
    bool aboutBoxOnly = false;
    int runMode = 0;   // a TqApp::RunMode
};
RunChoice chooseRunMode(int argc, const char* const* argv);

/// Runs the program as the command line asks and returns the process exit code: 0 after
/// "--about"; the event loop's result in run modes 0 and 3; the exit status in run mode 2;
/// 11 when a memory allocation failure escaped start-up, the event loop or shut-down; 12 for
/// any other exception.
int realMain(int argc, char** argv);

/// `realMain` under the crash guard: a crash of the main thread writes a dump beside the
/// run's log and ends the process with 255.
int guardedMain(int argc, char** argv);

/// Where this run's crash dump goes: the log folder (made now, owner-only, when missing) and
/// the run's start time, at full length and in the file system's encoding. Empty when the
/// folder cannot be made or is not ours: then there is no dump.
std::string prepareCrashDumpPath();
