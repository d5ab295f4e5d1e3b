#include "platform/CrashGuard.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Everything the handler touches is prepared by `install`: the handler itself may only make
// async-signal-safe calls, so no allocation, no stdio, no locks.

namespace zqplatform {
namespace {

constexpr int guardedSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE};
constexpr int exitCodeAfterCrash = 255;
constexpr std::size_t alternateStackSize = 256 * 1024;   // sanitizer builds need deep frames
constexpr int maxBacktraceFrames = 128;

std::string dumpPath;
std::string dumpHeader;
CrashNotice notice;
std::atomic<pid_t> guardedThread{0};
std::atomic<bool> dumpAttempted{false};
// kill(2) reaches whichever thread the kernel picks; tgkill(2) then passes the signal on to
// the guarded thread, and its siginfo, which tgkill cannot carry, travels here.
siginfo_t forwardedInfo;
std::atomic<bool> forwardClaimed{false};
std::atomic<bool> forwardReady{false};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<pid_t>::is_always_lock_free,
              "signal handlers may only use lock-free atomics");

pid_t currentThreadId() { return static_cast<pid_t>(::syscall(SYS_gettid)); }

const char* signalName(int signal) {
    switch (signal) {
        case SIGSEGV: return "SIGSEGV";
        case SIGBUS: return "SIGBUS";
        case SIGILL: return "SIGILL";
        case SIGFPE: return "SIGFPE";
        default: return "?";
    }
}

/// Writes text and numbers straight to a descriptor and remembers whether every byte got there.
class SignalSafeWriter {
public:
    explicit SignalSafeWriter(int fd) : fd_(fd) {}

    bool ok() const { return ok_; }

    void raw(const char* data, std::size_t size) {
        while (ok_ && size > 0) {
            const ssize_t written = ::write(fd_, data, size);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                ok_ = false;
                return;
            }
            data += written;
            size -= static_cast<std::size_t>(written);
        }
    }

    SignalSafeWriter& operator<<(const char* text) {
        raw(text, std::strlen(text));
        return *this;
    }

    SignalSafeWriter& operator<<(long long value) {
        char digits[24];
        std::size_t at = sizeof digits;
        // Work on the magnitude as unsigned so that the most negative value does not overflow.
        unsigned long long magnitude = value < 0 ? 0ull - static_cast<unsigned long long>(value)
                                                 : static_cast<unsigned long long>(value);
        do {
            digits[--at] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0)
            digits[--at] = '-';
        raw(digits + at, sizeof digits - at);
        return *this;
    }

    SignalSafeWriter& hex(std::uint64_t value) {
        char digits[18] = {'0', 'x'};
        for (int i = 0; i < 16; ++i)
            digits[2 + i] = "0123456789abcdef"[(value >> (60 - 4 * i)) & 0xF];
        raw(digits, sizeof digits);
        return *this;
    }

private:
    int fd_;
    bool ok_ = true;
};

void writeRegister(SignalSafeWriter& out, const char* name, std::uint64_t value) {
    out << name << " ";
    out.hex(value) << "\n";
}

void writeRegisters(SignalSafeWriter& out, const void* context) {
    out << "registers\n";
    if (!context)
        return;
    const auto* machine = &static_cast<const ucontext_t*>(context)->uc_mcontext;
#if defined(__x86_64__)
    static constexpr struct {
        const char* name;
        int index;
    } registers[] = {
        {"rip", REG_RIP}, {"rsp", REG_RSP}, {"rbp", REG_RBP}, {"rax", REG_RAX},
        {"rbx", REG_RBX}, {"rcx", REG_RCX}, {"rdx", REG_RDX}, {"rsi", REG_RSI},
        {"rdi", REG_RDI}, {"r8", REG_R8},   {"r9", REG_R9},   {"r10", REG_R10},
        {"r11", REG_R11}, {"r12", REG_R12}, {"r13", REG_R13}, {"r14", REG_R14},
        {"r15", REG_R15}, {"eflags", REG_EFL}, {"err", REG_ERR}, {"trapno", REG_TRAPNO},
        {"cr2", REG_CR2},
    };
    for (const auto& reg : registers)
        writeRegister(out, reg.name, static_cast<std::uint64_t>(machine->gregs[reg.index]));
#elif defined(__aarch64__)
    static constexpr const char* names[] = {
        "x0",  "x1",  "x2",  "x3",  "x4",  "x5",  "x6",  "x7",  "x8",  "x9",  "x10",
        "x11", "x12", "x13", "x14", "x15", "x16", "x17", "x18", "x19", "x20", "x21",
        "x22", "x23", "x24", "x25", "x26", "x27", "x28", "x29", "x30"};
    for (int i = 0; i < 31; ++i)
        writeRegister(out, names[i], machine->regs[i]);
    writeRegister(out, "sp", machine->sp);
    writeRegister(out, "pc", machine->pc);
    writeRegister(out, "pstate", machine->pstate);
#else
    (void)machine;
#endif
}

void copyFile(SignalSafeWriter& out, const char* path) {
    const int source = ::open(path, O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return;
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(source, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        out.raw(chunk, static_cast<std::size_t>(got));
    }
    ::close(source);
}

bool writeDump(int fd, int signal, const siginfo_t* info, const void* context) {
    SignalSafeWriter out(fd);
    out << dumpHeader.c_str() << "\n";
    out << "signal " << static_cast<long long>(signal) << " (" << signalName(signal) << ")\n";
    out << "code " << static_cast<long long>(info->si_code) << "\n";
    out << "address ";
    out.hex(reinterpret_cast<std::uintptr_t>(info->si_addr)) << "\n";
    if (info->si_code <= 0)
        out << "sender " << static_cast<long long>(info->si_pid) << "\n";
    out << "thread " << static_cast<long long>(currentThreadId()) << "\n";
    writeRegisters(out, context);
    out << "backtrace\n";
    if (out.ok()) {
        void* frames[maxBacktraceFrames];
        const int count = ::backtrace(frames, maxBacktraceFrames);
        ::backtrace_symbols_fd(frames, count, fd);
    }
    out << "maps\n";
    copyFile(out, "/proc/self/maps");
    // Written last: when this line made it, so did everything before it.
    out << "end\n";
    return out.ok();
}

void tellUser(const std::string& text) {
    SignalSafeWriter err(STDERR_FILENO);
    err << notice.caption.c_str() << "\n" << text.c_str();
    if (text.empty() || text.back() != '\n')
        err << "\n";
}

/// Ends this signal's handling with the default action: the signal is blocked while its
/// handler runs, so the raised copy is delivered, and ends the process, once we return.
void takeDefaultAction(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    ::raise(signal);
}

/// Ends the process at once from the signal handler. Straight to the kernel: a sanitizer's
/// `_exit` would first look for leaks, stopping every thread from inside this handler, and
/// hang when one of them holds a lock it needs.
[[noreturn]] void exitAfterCrash() {
    ::syscall(SYS_exit_group, exitCodeAfterCrash);
    __builtin_unreachable();
}

void onFatalSignal(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    if (currentThreadId() != guardedThread.load()) {
        // kill(2) aims at the process, not at a thread; the crash it stands for is the guarded
        // thread's. A real fault of this thread is not ours to catch.
        if (info->si_code == SI_USER || info->si_code == SI_QUEUE) {
            // Only the first one is kept: the guarded thread dumps once.
            if (!forwardClaimed.exchange(true)) {
                forwardedInfo = *info;
                forwardReady.store(true);
            }
            ::syscall(SYS_tgkill, ::getpid(), guardedThread.load(), signal);
        } else
            takeDefaultAction(signal);
        errno = savedErrno;
        return;
    }
    if (dumpAttempted.exchange(true)) {
        takeDefaultAction(signal);
        errno = savedErrno;
        return;
    }
    // A signal passed on from another thread: the dump shows the original sender and code.
    if (info->si_code == SI_TKILL && info->si_pid == ::getpid() && forwardReady.load())
        info = &forwardedInfo;
    if (dumpPath.empty()) {
        tellUser(notice.noDumpText);
        exitAfterCrash();
    }
    const int fd = ::open(dumpPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW,
                          S_IRUSR | S_IWUSR);
    if (fd >= 0) {
        bool written = writeDump(fd, signal, info, context);
        written = ::close(fd) == 0 && written;
        if (!written)
            ::unlink(dumpPath.c_str());
    }
    tellUser(notice.dumpText);
    exitAfterCrash();
}

bool installAlternateStack() {
    static void* stack = nullptr;   // kept for the whole process; the kernel points into it
    if (!stack) {
        void* mapped = ::mmap(nullptr, alternateStackSize, PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
        if (mapped == MAP_FAILED)
            return false;
        stack = mapped;
    }
    stack_t alternate{};
    alternate.ss_sp = stack;
    alternate.ss_size = alternateStackSize;
    return ::sigaltstack(&alternate, nullptr) == 0;
}

}  // namespace

bool CrashGuard::install(const std::string& path, const std::string& header,
                         const CrashNotice& texts) {
    dumpPath = path;
    dumpHeader = header;
    notice = texts;
    guardedThread.store(currentThreadId());
    dumpAttempted.store(false);
    forwardClaimed.store(false);
    forwardReady.store(false);

    // The first backtrace() loads the unwinder, which allocates; do it now, not in the handler.
    void* frame[1];
    ::backtrace(frame, 1);

    const bool onAlternateStack = installAlternateStack();
    struct sigaction action {};
    action.sa_sigaction = onFatalSignal;
    action.sa_flags = SA_SIGINFO | (onAlternateStack ? SA_ONSTACK : 0);
    // A second guarded signal waits while a dump is written (a fault in the handler is then
    // delivered with the default action by the kernel).
    sigemptyset(&action.sa_mask);
    for (int signal : guardedSignals)
        sigaddset(&action.sa_mask, signal);
    bool installed = true;
    for (int signal : guardedSignals)
        installed = ::sigaction(signal, &action, nullptr) == 0 && installed;
    return installed;
}

}  // namespace zqplatform
