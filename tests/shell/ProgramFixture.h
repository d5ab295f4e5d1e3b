#pragma once
// A fixture for tests of the real program: each run is a child process with its own temporary,
// settings and home folders, and the test driver loaded into it (LD_PRELOAD).
#include "ProgramProcess.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zqtest {

namespace fs = std::filesystem;

inline const std::string crashNotice =
    "Brenmoor Zolquist\u2122\nSorry - Zolquist\u2122 has encountered a problem and is exiting.\n";

inline std::vector<std::string> withSuffix(const std::vector<std::string>& names,
                                    const std::string& suffix) {
    std::vector<std::string> kept;
    std::copy_if(names.begin(), names.end(), std::back_inserter(kept),
                 [&](const std::string& name) {
                     return name.size() >= suffix.size() &&
                            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
                 });
    return kept;
}

class ProgramTest : public ::testing::Test {
protected:
    /// The type the "finish-save" driver saves the picture as.
    std::string saveAsSuffix_ = "png";
    /// The program that runs: the build's own, or a copy installed beside a distributor file.
    std::string program_ = ZQ_PROGRAM_PATH;

    /// Installs the program in a folder of its own beside a distributor file that switches the
    /// update and news checks off (a hard link or a copy, so that the program's own folder is
    /// that one), and runs it from now on: such a run reaches no web site.
    void installWithoutWebChecks() {
        const std::string folder = root_ + "/install";
        fs::create_directories(folder);
        std::error_code linkError;
        fs::create_hard_link(ZQ_PROGRAM_PATH, folder + "/zolquist", linkError);
        if (linkError)   // another file system: a copy does as well
            fs::copy_file(ZQ_PROGRAM_PATH, folder + "/zolquist");
        std::ofstream(folder + "/distributor.xml") << R"(<Customisation id="quiet">
  <HomePage enabled="1"/>
  <LatestNews enabled="0"/>
  <CheckForUpdates enabled="0"/>
  <BuyNowAlways enabled="0"/>
  <Tutorials enabled="1"/>
  <AboutBoxText>Supplied without web checks</AboutBoxText>
</Customisation>
)";
        program_ = folder + "/zolquist";
    }
    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');
        root_ = zqtest::scratchFolder() + "/" + name;
        for (const char* folder : {"tmp", "config", "system", "home"})
            fs::create_directories(root_ + "/" + folder);
        systemFolder_ = root_ + "/system";
        tmpFolder_ = root_ + "/tmp";
    }

    std::map<std::string, std::string> environment(const std::string& driverMode) const {
        const char* asan = std::getenv("ASAN_OPTIONS");
        // The driver is loaded ahead of the sanitizer runtime; it replaces no allocator.
        const std::string asanOptions =
            std::string(asan ? asan : "") + (asan && *asan ? ":" : "") + "verify_asan_link_order=0";
        std::map<std::string, std::string> variables{{"TMPDIR", tmpFolder_},
                {"LSAN_OPTIONS", "suppressions=" ZQ_LSAN_SUPPRESSIONS ":print_suppressions=0"},
                {"XDG_CONFIG_HOME", root_ + "/config"},
                {"XDG_CONFIG_DIRS", systemFolder_},
                {"HOME", root_ + "/home"},
                {"QT_QPA_PLATFORM", "offscreen"},
                {"LD_PRELOAD", ZQ_DRIVER_PATH},
                {"ZQTEST_DRIVER", driverMode},
                {"ZQTEST_SAVE_AS", root_ + "/picture." + saveAsSuffix_},
                {"ASAN_OPTIONS", asanOptions}};
        for (const auto& [name, value] : extraEnvironment_)
            variables[name] = value;
        return variables;
    }

    /// The environment of a run with `locale` as the user's locale (LC_ALL).
    std::map<std::string, std::string> environment(const std::string& driverMode,
                                                   const std::string& locale) const {
        auto variables = environment(driverMode);
        variables["LC_ALL"] = locale;
        return variables;
    }

    std::unique_ptr<ProgramProcess> start(const std::vector<std::string>& arguments,
                                          const std::string& driverMode) {
        const std::string errors = root_ + "/stderr-" + std::to_string(++runs_) + ".txt";
        auto process = std::make_unique<ProgramProcess>(
            program_, arguments,
            locale_.empty() ? environment(driverMode) : environment(driverMode, locale_), errors,
            removedEnvironment_);
        EXPECT_TRUE(process->started());
        return process;
    }

    /// Runs the program until the driver has closed it; keeps its standard error.
    ProgramProcess::Result run(const std::vector<std::string>& arguments,
                               const std::string& driverMode = "close") {
        auto process = start(arguments, driverMode);
        const ProgramProcess::Result result = process->wait();
        standardError_ = process->standardError();
        return result;
    }

    std::string logFolder() const { return fs::canonical(tmpFolder_).string() + "/Zolquist"; }

    /// Writes the application's settings files as an installer (system scope) and an earlier
    /// run (user scope) left them; returns the user's file.
    std::string writeApplicationSettings(const std::string& installation, const std::string& user) {
        fs::create_directories(systemFolder_ + "/BrenmoorTech");
        std::ofstream(systemFolder_ + "/BrenmoorTech/Zolquist.conf") << installation;
        const std::string userFile = root_ + "/config/BrenmoorTech/Zolquist.conf";
        fs::create_directories(root_ + "/config/BrenmoorTech");
        std::ofstream(userFile) << user;
        return userFile;
    }

    /// Starts the program, waits until its standard error shows `ready`, then crashes it the
    /// way a fault would: SIGSEGV, here sent from outside.
    void crashWhenShowing(const std::vector<std::string>& arguments, const std::string& ready) {
        auto process = start(arguments, "watch");
        ASSERT_TRUE(process->waitForStandardError(ready)) << process->standardError();
        ASSERT_EQ(::kill(process->pid(), SIGSEGV), 0);
        const ProgramProcess::Result result = process->wait();
        const std::string errors = process->standardError();
        ASSERT_TRUE(result.exited) << "signal " << result.signal << "\n" << errors;
        EXPECT_EQ(result.exitCode, 255);
        EXPECT_NE(errors.find(crashNotice), std::string::npos) << errors;
    }

    /// The only log file of the runs so far.
    std::string onlyLog() const {
        const auto logs = withSuffix(filesIn(logFolder()), ".txt");
        EXPECT_EQ(logs.size(), 1u);
        return logs.empty() ? std::string() : readWholeFile(logFolder() + "/" + logs.front());
    }

    std::string root_;
    std::string systemFolder_;
    std::string tmpFolder_;
    std::string standardError_;
    std::string locale_;   // empty: the test's own
    /// Variables added to (or replacing) the environment of every run.
    std::map<std::string, std::string> extraEnvironment_;
    /// Variables of the test's own environment that no run gets.
    std::vector<std::string> removedEnvironment_;
    int runs_ = 0;
};

}  // namespace zqtest
