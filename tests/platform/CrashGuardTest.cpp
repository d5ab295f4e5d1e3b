#include "platform/CrashGuard.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

using zqplatform::CrashGuard;
using zqplatform::CrashNotice;

constexpr const char* header = "TestProduct crash dump 9.9";
constexpr int crashExitCode = 255;

CrashNotice testNotice() {
    return {"Guard Caption", "dump attempted, exiting\n", "no dump support, exiting"};
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool fileExists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

std::string hexAddress(const void* address) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%016jx",
                  static_cast<std::uintmax_t>(reinterpret_cast<std::uintptr_t>(address)));
    return text;
}

/// One page that faults on every access, mapped in the test so that the child of a death test
/// shares its address with us.
class ForbiddenPage {
public:
    ForbiddenPage() {
        page_ = ::mmap(nullptr, pageSize(), PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    }
    ~ForbiddenPage() {
        if (page_ != MAP_FAILED)
            ::munmap(page_, pageSize());
    }
    bool ok() const { return page_ != MAP_FAILED; }
    void* address() const { return page_; }
    void touch() const { *static_cast<volatile int*>(page_) = 1; }

    static std::size_t pageSize() { return static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)); }

private:
    void* page_;
};

/// A page mapped beyond the end of an empty file: reading it raises SIGBUS.
class PastEndOfFile {
public:
    explicit PastEndOfFile(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        page_ = fd_ < 0 ? MAP_FAILED
                        : ::mmap(nullptr, ForbiddenPage::pageSize(), PROT_READ, MAP_SHARED, fd_, 0);
    }
    ~PastEndOfFile() {
        if (page_ != MAP_FAILED)
            ::munmap(page_, ForbiddenPage::pageSize());
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool ok() const { return page_ != MAP_FAILED; }
    void* address() const { return page_; }
    int read() const { return *static_cast<volatile const int*>(page_); }

private:
    int fd_;
    void* page_;
};

void limitFileSize(rlim_t bytes) {
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

class CrashGuardTest : public ::testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "fast");  // the child must share our mappings
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');  // parameterised names hold a slash
        dumpPath_ = zqtest::scratchFolder() + "/tmp/" + name + ".dmp";
        std::remove(dumpPath_.c_str());
    }

    std::string dumpPath_;
};

TEST_F(CrashGuardTest, SegmentationFaultWritesTheWholeDumpAndExits255) {
    ForbiddenPage page;
    ASSERT_TRUE(page.ok());
    EXPECT_EXIT(
        {
            CrashGuard::install(dumpPath_, header, testNotice());
            page.touch();
        },
        ::testing::ExitedWithCode(crashExitCode), "Guard Caption\ndump attempted, exiting\n");

    ASSERT_TRUE(fileExists(dumpPath_));
    const std::string dump = readFile(dumpPath_);
    const std::string address = hexAddress(page.address());
    // A write to a page without access: SEGV_ACCERR (2) at exactly that page, which the
    // processor also reports in its fault address register.
    const std::string opening =
        std::string(header) + "\nsignal 11 (SIGSEGV)\ncode 2\naddress " + address + "\nthread ";
    EXPECT_EQ(dump.compare(0, opening.size(), opening), 0) << dump.substr(0, 200);
    EXPECT_NE(dump.find("\nregisters\nrip 0x"), std::string::npos);
    EXPECT_NE(dump.find("\ncr2 " + address + "\n"), std::string::npos);
    const auto backtrace = dump.find("\nbacktrace\n");
    const auto maps = dump.find("\nmaps\n");
    ASSERT_NE(backtrace, std::string::npos);
    ASSERT_NE(maps, std::string::npos);
    ASSERT_LT(backtrace, maps);
    // backtrace_symbols_fd names the binary of each frame: the test binary is among them.
    EXPECT_NE(dump.substr(backtrace, maps - backtrace).find("platform_test("), std::string::npos);
    // /proc/self/maps lists the forbidden page as "start-end ---p ...", start without "0x".
    const std::string start = address.substr(2).erase(0, address.substr(2).find_first_not_of('0'));
    EXPECT_NE(dump.find("\n" + start + "-", maps), std::string::npos);
    EXPECT_EQ(dump.size() - dump.rfind("\nend\n"), 5u) << "the dump ends with its end line";
}

struct SignalCase {
    const char* name;
    int signal;
    const char* signalLine;
    const char* codeLine;
};

class CrashGuardSignals : public CrashGuardTest,
                          public ::testing::WithParamInterface<SignalCase> {};

// Each guarded signal sent by the process to itself: raise() gives SI_TKILL (-6) and names
// this process as the sender.
TEST_P(CrashGuardSignals, EveryGuardedSignalIsDumped) {
    const SignalCase& row = GetParam();
    EXPECT_EXIT(
        {
            CrashGuard::install(dumpPath_, header, testNotice());
            ::raise(row.signal);
        },
        ::testing::ExitedWithCode(crashExitCode), "dump attempted");
    const std::string dump = readFile(dumpPath_);
    EXPECT_NE(dump.find(std::string("\n") + row.signalLine + "\n" + row.codeLine + "\n"),
              std::string::npos)
        << dump.substr(0, 200);
    EXPECT_NE(dump.find("\nsender "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Raised, CrashGuardSignals,
    ::testing::Values(SignalCase{"segv", SIGSEGV, "signal 11 (SIGSEGV)", "code -6"},
                      SignalCase{"bus", SIGBUS, "signal 7 (SIGBUS)", "code -6"},
                      SignalCase{"ill", SIGILL, "signal 4 (SIGILL)", "code -6"},
                      SignalCase{"fpe", SIGFPE, "signal 8 (SIGFPE)", "code -6"}),
    [](const ::testing::TestParamInfo<SignalCase>& info) { return std::string(info.param.name); });

TEST_F(CrashGuardTest, BusErrorReportsTheFaultAddress) {
    PastEndOfFile mapping(zqtest::scratchFolder() + "/tmp/empty.bin");
    ASSERT_TRUE(mapping.ok());
    EXPECT_EXIT(
        {
            CrashGuard::install(dumpPath_, header, testNotice());
            mapping.read();
        },
        ::testing::ExitedWithCode(crashExitCode), "dump attempted");
    // BUS_ADRERR (2): the page lies wholly beyond the end of the file.
    EXPECT_NE(readFile(dumpPath_).find("\nsignal 7 (SIGBUS)\ncode 2\naddress " +
                                       hexAddress(mapping.address()) + "\n"),
              std::string::npos);
}

TEST_F(CrashGuardTest, WithoutADumpPathTheLongNoticeIsShownAndNothingWritten) {
    ForbiddenPage page;
    EXPECT_EXIT(
        {
            CrashGuard::install("", header, testNotice());
            page.touch();
        },
        ::testing::ExitedWithCode(crashExitCode), "Guard Caption\nno dump support, exiting\n");
}

TEST_F(CrashGuardTest, DumpInAMissingFolderIsSkippedButTheUserIsTold) {
    const std::string path = zqtest::scratchFolder() + "/no such folder/crash.dmp";
    ForbiddenPage page;
    EXPECT_EXIT(
        {
            CrashGuard::install(path, header, testNotice());
            page.touch();
        },
        ::testing::ExitedWithCode(crashExitCode), "dump attempted, exiting");
    EXPECT_FALSE(fileExists(path));
}

TEST_F(CrashGuardTest, DumpThatCannotBeWrittenWholeIsDeleted) {
    ForbiddenPage page;
    EXPECT_EXIT(
        {
            // The maps alone are far longer than 200 bytes, so the writes fail part way.
            ::signal(SIGXFSZ, SIG_IGN);
            limitFileSize(200);
            CrashGuard::install(dumpPath_, header, testNotice());
            page.touch();
        },
        ::testing::ExitedWithCode(crashExitCode), "dump attempted, exiting");
    EXPECT_FALSE(fileExists(dumpPath_));
}

TEST_F(CrashGuardTest, FaultOnAnotherThreadTakesTheDefaultAction) {
    ForbiddenPage page;
    EXPECT_EXIT(
        {
            CrashGuard::install(dumpPath_, header, testNotice());
            std::thread worker([&page] { page.touch(); });
            worker.join();
        },
        ::testing::KilledBySignal(SIGSEGV), "");
    EXPECT_FALSE(fileExists(dumpPath_));
}

TEST_F(CrashGuardTest, KillCaughtByAnotherThreadIsPassedToTheGuardedThread) {
    EXPECT_EXIT(
        {
            CrashGuard::install(dumpPath_, header, testNotice());
            // Keep the signal off the guarded thread until the worker has caught it, so the
            // kernel must pick the worker.
            sigset_t segv;
            sigemptyset(&segv);
            sigaddset(&segv, SIGSEGV);
            ::pthread_sigmask(SIG_BLOCK, &segv, nullptr);
            std::thread worker([&segv] {
                ::pthread_sigmask(SIG_UNBLOCK, &segv, nullptr);
                ::kill(::getpid(), SIGSEGV);
            });
            worker.join();
            ::pthread_sigmask(SIG_UNBLOCK, &segv, nullptr);
            ::pause();
        },
        ::testing::ExitedWithCode(crashExitCode), "dump attempted");
    const std::string dump = readFile(dumpPath_);
    // SI_USER (0); in a forked death test the guarded thread's id is the process id.
    EXPECT_NE(dump.find("\nsignal 11 (SIGSEGV)\ncode 0\n"), std::string::npos)
        << dump.substr(0, 300);
    const auto sender = dump.find("\nsender ");
    const auto thread = dump.find("\nthread ");
    ASSERT_NE(sender, std::string::npos);
    ASSERT_NE(thread, std::string::npos);
    EXPECT_EQ(std::stol(dump.substr(sender + 8)), std::stol(dump.substr(thread + 8)));
}

}  // namespace
