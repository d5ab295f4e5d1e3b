#pragma once

#include <string>

namespace zqplatform {

/// What the crash guard tells the user, on standard error: a signal handler cannot show a
/// window. `caption` stands on a line of its own before the text.
struct CrashNotice {
    std::string caption;
    std::string dumpText;      // after a dump was attempted (written or not)
    std::string noDumpText;    // when this run has no dump path at all
};

/// Catches the first SIGSEGV, SIGBUS, SIGILL or SIGFPE of the guarded thread, writes a crash
/// dump of our own text format to the path given at installation, tells the user on standard
/// error and ends the process with `_exit(255)`. No destructor runs after a crash.
///
/// The dump, in this order: `dumpHeader`; "signal N (NAME)"; "code N" (si_code); "address
/// 0x..." (the fault address); "sender N" when the signal was sent by another process;
/// "thread N" (kernel thread id); "registers" and one "NAME 0x..." line per general register
/// of the interrupted context; "backtrace" and the frames as `backtrace_symbols_fd` writes
/// them; "maps" and a copy of /proc/self/maps; "end". A dump that cannot be written whole is
/// deleted. The file is created readable by its owner only.
///
/// A fault on any other thread takes the signal's default action. A signal sent to the whole
/// process with kill(2) is passed on to the guarded thread, whichever thread the kernel picked.
/// SIGABRT is not guarded: a fatal Qt message or std::terminate ends the process as usual.
/// A second signal that arrives while the dump is written takes the default action.
class CrashGuard {
public:
    /// Guards the calling thread (the main thread). `dumpPath` is taken at full length; empty
    /// means no dump can be written in this run: a crash then shows `noDumpText`. Sets up an
    /// alternate signal stack, so a stack overflow is caught as well, and primes backtrace(3)
    /// so that the handler loads no library. Returns false when a handler cannot be installed.
    /// Call it before other threads start; a later call replaces the earlier settings.
    static bool install(const std::string& dumpPath, const std::string& dumpHeader,
                        const CrashNotice& notice);

    CrashGuard() = delete;
};

}  // namespace zqplatform
