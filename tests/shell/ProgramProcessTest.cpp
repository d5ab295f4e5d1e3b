// The program as a user starts it: a child process per run, with its own temporary and
// settings folders. A test driver loaded into it (LD_PRELOAD) closes what it shows and reports
// on standard error, so no test hook lives in the program.
#include "HostMemoryFile.h"
#include "ProgramFixture.h"
#include "ProgramProcess.h"

#include "support/TestEnvironment.h"

#include <QColor>
#include <QImage>
#include <QSettings>
#include <QString>

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using zqtest::ProgramTest;
using zqtest::crashNotice;
using zqtest::withSuffix;

/// Whether `text` has the shape of `pattern`: '9' stands for a decimal digit, '#' for a
/// lower-case hexadecimal digit, every other character for itself.
bool hasShape(const std::string& text, const std::string& pattern) {
    if (text.size() != pattern.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool matches = pattern[i] == '9' ? (c >= '0' && c <= '9')
                             : pattern[i] == '#'
                                 ? ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))
                                 : c == pattern[i];
        if (!matches)
            return false;
    }
    return true;
}

const std::string stampShape = "9999.99.99_99.99.99.999";
const std::string uuidShape = "{########-####-####-####-############}";
const std::string timeShape = "99:99:99.999 ";

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

QString iniValue(const std::string& file, const char* key) {
    return QSettings(QString::fromStdString(file), QSettings::IniFormat).value(key).toString();
}

std::string stem(const std::string& name) {
    return name.substr(0, name.rfind('.'));
}



// ---------------------------------------------------------------------------------------------
// Run modes and exit codes

struct RunCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    bool mainWindow;  // false: the About box alone
};

class ProgramRunModes : public ProgramTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(ProgramRunModes, ExactArgumentCountChoosesTheRunAndItsExitCode) {
    const RunCase& row = GetParam();
    const ProgramProcess::Result result = run(row.arguments);
    ASSERT_TRUE(result.exited) << "signal " << result.signal << "\n" << standardError_;
    EXPECT_EQ(result.exitCode, row.exitCode) << standardError_;
    EXPECT_EQ(
        standardError_.find("zqtest: main window shown \"Zolquist\u2122\"") != std::string::npos,
        row.mainWindow)
        << standardError_;
    EXPECT_EQ(standardError_.find("zqtest: closing modal QDialog") != std::string::npos,
              !row.mainWindow)
        << standardError_;
}

const std::vector<std::string> sevenHostArguments{"0x1c", "0x20",   "640", "480",
                                                  "8",    "little", "name"};

std::vector<std::string> gp(std::size_t count) {
    std::vector<std::string> arguments{"--gp"};
    for (std::size_t i = 0; i < count; ++i)
        arguments.push_back(sevenHostArguments[i % sevenHostArguments.size()]);
    return arguments;
}

INSTANTIATE_TEST_SUITE_P(
    Program, ProgramRunModes,
    ::testing::Values(
        RunCase{"noArguments", {}, 0, true}, RunCase{"about", {"--about"}, 0, false},
        RunCase{"aboutWithMore", {"--about", "x"}, 0, true},
        RunCase{"aboutInCapitals", {"--ABOUT"}, 0, true},
        RunCase{"imageFile", {"picture.jpg"}, 0, true},
        // A host run that never reached a save prompt hands nothing back: "unchanged" (2).
        RunCase{"hostSharedMemory", gp(7), 2, true}, RunCase{"gpWithSixMore", gp(6), 0, true},
        RunCase{"gpWithEightMore", gp(8), 0, true},
        RunCase{"controlFile", {"--xmlgp", "control.btqx"}, 0, true},
        RunCase{"xmlgpWithTwoMore", {"--xmlgp", "a", "b"}, 0, true}),
    [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

TEST_F(ProgramTest, AboutBoxAloneGetsTheRealArguments) {
    const ProgramProcess::Result result = run({"--about"});
    ASSERT_TRUE(result.exited);
    EXPECT_NE(
        standardError_.find("zqtest: arguments " + std::string(ZQ_PROGRAM_PATH) + " --about\n"),
        std::string::npos)
        << standardError_;
}

struct ExceptionCase {
    const char* name;
    const char* driverMode;
    int exitCode;
};

class ProgramExceptions : public ProgramTest,
                          public ::testing::WithParamInterface<ExceptionCase> {};

// Qt's event loop cannot carry an exception; the program takes it out of the loop, shuts down
// in order and ends with 11 (out of memory) or 12 (anything else), never std::terminate.
TEST_P(ProgramExceptions, ExceptionInTheEventLoopEndsWithItsExitCode) {
    const ProgramProcess::Result result = run({}, GetParam().driverMode);
    ASSERT_TRUE(result.exited) << "signal " << result.signal << "\n" << standardError_;
    EXPECT_EQ(result.exitCode, GetParam().exitCode) << standardError_;
}

INSTANTIATE_TEST_SUITE_P(Program, ProgramExceptions,
                         ::testing::Values(ExceptionCase{"badAlloc", "throw-bad-alloc", 11},
                                           ExceptionCase{"runtimeError", "throw-runtime-error",
                                                         12}),
                         [](const ::testing::TestParamInfo<ExceptionCase>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------------------
// Crash and problem reports

TEST_F(ProgramTest, CrashLeavesADumpBesideTheLogAndTheNextStartReportsBoth) {
    ASSERT_NO_FATAL_FAILURE(crashWhenShowing({}, "zqtest: main window shown"));
    const auto files = filesIn(logFolder());
    const auto dumps = withSuffix(files, ".dmp");
    ASSERT_EQ(dumps.size(), 1u);
    const std::string name = stem(dumps.front());
    EXPECT_TRUE(hasShape(name, stampShape)) << name;
    EXPECT_NE(std::find(files.begin(), files.end(), name + ".txt"), files.end());
    const std::string dump = readWholeFile(logFolder() + "/" + dumps.front());
    EXPECT_EQ(dump.rfind("Zolquist crash dump, version " ZQ_VERSION " (", 0), 0u)
        << dump.substr(0, 200);
    EXPECT_NE(dump.find("\nsignal 11 (SIGSEGV)\ncode 0\n"), std::string::npos);

    const ProgramProcess::Result next = run({});
    ASSERT_TRUE(next.exited) << standardError_;
    EXPECT_EQ(next.exitCode, 0);
    EXPECT_NE(standardError_.find("Problem Reports Detected"), std::string::npos) << standardError_;
    EXPECT_EQ(filesIn(logFolder() + "/Event"),
              (std::vector<std::string>{name + ".dmp", name + ".txt"}));
    const auto left = filesIn(logFolder());
    EXPECT_EQ(std::count(left.begin(), left.end(), name + ".dmp"), 0);
    EXPECT_EQ(std::count(left.begin(), left.end(), name + ".txt"), 0);
}

// The About box alone builds no log, so nothing else makes the log folder of a first run.
TEST_F(ProgramTest, CrashOfTheAboutBoxAloneStillLeavesADump) {
    ASSERT_FALSE(fs::exists(root_ + "/tmp/Zolquist"));
    ASSERT_NO_FATAL_FAILURE(crashWhenShowing({"--about"}, "zqtest: arguments"));
    EXPECT_EQ(withSuffix(filesIn(logFolder()), ".dmp").size(), 1u);
}

TEST_F(ProgramTest, CrashDumpPathIsNotCutShort) {
    tmpFolder_ = root_ + "/" + std::string(120, 'a') + "/" + std::string(120, 'b') + "/tmp";
    fs::create_directories(tmpFolder_);
    ASSERT_GT(logFolder().size(), 260u);
    ASSERT_NO_FATAL_FAILURE(crashWhenShowing({}, "zqtest: main window shown"));
    const auto files = filesIn(logFolder());
    const auto dumps = withSuffix(files, ".dmp");
    ASSERT_EQ(dumps.size(), 1u);
    EXPECT_EQ(dumps.front().size(), stampShape.size() + 4);
    EXPECT_NE(std::find(files.begin(), files.end(), stem(dumps.front()) + ".txt"), files.end());
}

TEST_F(ProgramTest, NormalRunReportsNoProblem) {
    ASSERT_TRUE(run({}).exited);
    EXPECT_EQ(standardError_.find("Problem Reports"), std::string::npos) << standardError_;
    EXPECT_TRUE(withSuffix(filesIn(logFolder()), ".dmp").empty());
}

// ---------------------------------------------------------------------------------------------
// Identity keys and the start-up log

TEST_F(ProgramTest, StartUpLogNamesItselfThenIdentitiesThenLanguageThenVersion) {
    locale_ = "de_DE.UTF-8";
    ASSERT_TRUE(run({}).exited);
    const std::vector<std::string> lines = linesOf(onlyLog());
    ASSERT_GE(lines.size(), 14u);
    for (const std::string& line : lines)
        EXPECT_TRUE(hasShape(line.substr(0, timeShape.size()), timeShape)) << line;
    const auto text = [&](std::size_t i) { return lines[i].substr(timeShape.size()); };
    const fs::path logPath = text(0);
    EXPECT_EQ(logPath.parent_path().string(), logFolder());
    EXPECT_TRUE(hasShape(logPath.stem().string(), stampShape)) << text(0);
    EXPECT_EQ(logPath.extension().string(), ".txt");
    const QString machine = iniValue(systemFolder_ + "/BrenmoorTech.conf", "MID");
    EXPECT_EQ(text(1), "MID: " + machine.toStdString());
    EXPECT_EQ(text(2), "ID: N/A");
    EXPECT_EQ(text(3), "Your active language is [de]");
    EXPECT_EQ(text(4), "An available language: [de]");
    EXPECT_EQ(text(9), "An available language: [ja]");
    EXPECT_EQ(text(10), "Loading that language's translation, if any");
    EXPECT_EQ(text(11).rfind("Loading Qt translation file ", 0), 0u) << text(11);
    EXPECT_EQ(text(12).rfind("Loading our translation file ", 0), 0u) << text(12);
    EXPECT_TRUE(hasShape(text(13), "Version: " ZQ_VERSION " (" + std::string(40, '#') + "); Linux"))
        << text(13);
}

// ---------------------------------------------------------------------------------------------
// Language and style at start-up

struct LanguageCase {
    const char* name;
    const char* locale;
    std::vector<std::string> languageLines;   // after the availability lines
};

class ProgramLanguages : public ProgramTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(ProgramLanguages, SystemLocaleChoosesTheTranslation) {
    const LanguageCase& c = GetParam();
    const std::string folder = ZQ_TEST_TRANSLATIONS_DIR "/ja";
    writeApplicationSettings("", "[General]\nTransDir=" + folder + "\n");
    locale_ = c.locale;
    ASSERT_TRUE(run({}).exited) << standardError_;
    std::vector<std::string> lines;
    for (const std::string& line : linesOf(onlyLog()))
        lines.push_back(line.substr(timeShape.size()));
    const auto versionLine = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("Version: ", 0) == 0;
    });
    ASSERT_NE(versionLine, lines.end());
    ASSERT_GE(versionLine - lines.begin(), 10);
    const std::vector<std::string> languageLines(lines.begin() + 10, versionLine);
    std::vector<std::string> expected = c.languageLines;
    for (std::string& line : expected) {
        const auto at = line.find("<dir>");
        if (at != std::string::npos)
            line.replace(at, 5, folder);
    }
    EXPECT_EQ(languageLines, expected);
    EXPECT_EQ(lines[3], std::string("Your active language is [") + c.name + "]");
    EXPECT_NE(standardError_.find("zqtest: style sheet expanded\n"), std::string::npos)
        << standardError_;
}

INSTANTIATE_TEST_SUITE_P(
    Program, ProgramLanguages,
    ::testing::Values(
        LanguageCase{"ja", "ja_JP.UTF-8",
                     {"Loading that language's translation, if any",
                      "Loading Qt translation file <dir>/qt_ja - ok.",
                      "Loading our translation file <dir>/all_ja - ok."}},
        LanguageCase{"pt", "pt_BR.UTF-8",
                     {"No translation available for that language, using [en] instead, sorry."}},
        LanguageCase{"en", "en_US.UTF-8", {"Loading that language's translation, if any"}}),
    [](const ::testing::TestParamInfo<LanguageCase>& info) { return std::string(info.param.name); });

TEST_F(ProgramTest, TheCLocaleMeansEnglish) {
    locale_ = "C";
    ASSERT_TRUE(run({}).exited) << standardError_;
    const std::string log = onlyLog();
    EXPECT_NE(log.find("Your active language is [en]\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Loading Qt translation file"), std::string::npos) << log;
    EXPECT_EQ(log.find("No translation available"), std::string::npos) << log;
}

TEST_F(ProgramTest, MachineIdentityIsWrittenOnceAndReused) {
    ASSERT_TRUE(run({}).exited);
    const QString machine = iniValue(systemFolder_ + "/BrenmoorTech.conf", "MID");
    EXPECT_TRUE(hasShape(machine.toStdString(), uuidShape)) << machine.toStdString();
    EXPECT_TRUE(iniValue(root_ + "/config/BrenmoorTech.conf", "MID").isEmpty());
    ASSERT_TRUE(run({}).exited);
    EXPECT_EQ(iniValue(systemFolder_ + "/BrenmoorTech.conf", "MID"), machine);
}

TEST_F(ProgramTest, UnwritableSystemSettingsKeepTheMachineIdentityInTheUserSettings) {
    // A folder below a plain file can be made by nobody, root included.
    std::ofstream(root_ + "/not-a-folder") << "x";
    systemFolder_ = root_ + "/not-a-folder/xdg";
    ASSERT_TRUE(run({}).exited);
    const QString machine = iniValue(root_ + "/config/BrenmoorTech.conf", "MID");
    EXPECT_TRUE(hasShape(machine.toStdString(), uuidShape)) << machine.toStdString();
    ASSERT_TRUE(run({}).exited);
    EXPECT_EQ(iniValue(root_ + "/config/BrenmoorTech.conf", "MID"), machine);
}

TEST_F(ProgramTest, NewInstallationIdentityResetsTheWindowLayoutOnce) {
    const std::string user =
        writeApplicationSettings("[General]\nID=install-2\n",
                                 "[General]\nID=install-1\nPersistVersion=3\n[UI]\ngeometry=old\n");

    ASSERT_TRUE(run({}).exited);
    EXPECT_EQ(iniValue(user, "ID"), "install-2");
    // The old layout is gone; the window wrote its own at exit.
    EXPECT_EQ(iniValue(user, "PersistVersion"), "2");
    EXPECT_TRUE(iniValue(user, "UI/geometry").isEmpty());
    EXPECT_NE(onlyLog().find(" ID: install-2\n"), std::string::npos);

    // The same installation again: a layout saved since then stays.
    {
        QSettings settings(QString::fromStdString(user), QSettings::IniFormat);
        settings.setValue("UI/geometry", "new");
        settings.setValue("PersistVersion", 4);
    }
    ASSERT_TRUE(run({}).exited);
    EXPECT_EQ(iniValue(user, "UI/geometry"), "new");
    EXPECT_EQ(iniValue(user, "PersistVersion"), "2");
}

TEST_F(ProgramTest, InstalledLibraryPathIsTheOnlyOne) {
    writeApplicationSettings("[General]\nLibraries=/opt/brenmoor/plugins\n", "");
    ASSERT_TRUE(run({}).exited);
    EXPECT_NE(standardError_.find("zqtest: library paths /opt/brenmoor/plugins\n"),
              std::string::npos)
        << standardError_;
}

// The options are saved by the shut-down, which also runs when an exception ended the loop.
TEST_F(ProgramTest, OptionsAndColoursAreWrittenAtExitAndReadBack) {
    for (const char* driverMode : {"close", "throw-runtime-error"}) {
        SCOPED_TRACE(driverMode);
        const std::string user = writeApplicationSettings("", "");
        {
            QSettings settings(QString::fromStdString(user), QSettings::IniFormat);
            settings.setValue("Preferences/PersistOptions", true);
            settings.setValue("Colors/Keep Mask_red", 1);
            settings.setValue("Colors/Keep Mask_green", 2);
            settings.setValue("Colors/Keep Mask_blue", 3);
        }
        ASSERT_TRUE(run({}, driverMode).exited) << standardError_;
        QSettings settings(QString::fromStdString(user), QSettings::IniFormat);
        EXPECT_EQ(settings.value("Preferences/PersistOptions").toString(), "true");
        EXPECT_EQ(settings.value("Preferences/UseTabletPressure").toString(), "true");
        EXPECT_EQ(settings.value("Colors/Keep Mask").value<QColor>(), QColor(1, 2, 3));
        EXPECT_EQ(settings.value("Colors/Keep Mask_blue").toInt(), 3);
        EXPECT_EQ(settings.value("Colors/Delete Mask_red").toInt(), 255);
        EXPECT_EQ(settings.value("Colors/Patch or Forced Edge").value<QColor>(),
                  QColor(Qt::darkYellow));
    }
}

TEST_F(ProgramTest, EmptyInstallationIdentityChangesNothing) {
    const std::string user = writeApplicationSettings(
        "[General]\nID=\n", "[General]\nID=install-1\n[UI]\ngeometry=old\n");
    ASSERT_TRUE(run({}).exited);
    EXPECT_EQ(iniValue(user, "ID"), "install-1");
    EXPECT_EQ(iniValue(user, "UI/geometry"), "old");
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Host runs: this test plays the host image editor. It makes the two memory files, starts the
// program with their descriptors and checks what it finds in them afterwards.

struct HostRunCase {
    const char* name;
    // After "--gp"; "R" and "I" stand for the result's and the input's descriptors.
    std::vector<std::string> arguments;
    std::size_t inputBytes;
    std::size_t resultBytes;
    bool taken;
};

class ProgramHostRuns : public ProgramTest, public ::testing::WithParamInterface<HostRunCase> {};

// Closed without the user accepting anything: the host gets 2 and both its memory files as
// they were, whether the images were taken or refused.
TEST_P(ProgramHostRuns, ClosedUnchangedLeavesBothMappingsAsTheyWere) {
    const HostRunCase& row = GetParam();
    const std::vector<unsigned char> inputContent = patternBytes(row.inputBytes, 11);
    const std::vector<unsigned char> resultContent = patternBytes(row.resultBytes, 12);
    HostMemoryFile input(inputContent);
    HostMemoryFile result(resultContent);
    ASSERT_TRUE(input.ready() && result.ready());
    std::vector<std::string> arguments{"--gp"};
    for (const std::string& argument : row.arguments)
        arguments.push_back(argument == "R" ? result.handle()
                            : argument == "I" ? input.handle()
                                              : argument);
    const ProgramProcess::Result exit = run(arguments);
    ASSERT_TRUE(exit.exited) << "signal " << exit.signal << "\n" << standardError_;
    EXPECT_EQ(exit.exitCode, 2) << standardError_;
    EXPECT_NE(standardError_.find("zqtest: main window shown"), std::string::npos);
    EXPECT_EQ(standardError_.find("Sanitizer"), std::string::npos) << standardError_;
    EXPECT_EQ(standardError_.find("runtime error"), std::string::npos) << standardError_;
    EXPECT_EQ(input.content(), inputContent);
    EXPECT_EQ(result.content(), resultContent);
    const std::string log = onlyLog();
    EXPECT_EQ(log.find("Host image \"host picture\" taken: ") != std::string::npos, row.taken)
        << log;
    EXPECT_EQ(log.find("Host image refused: ") != std::string::npos, !row.taken) << log;
    EXPECT_EQ(log.find("Host hand-back"), std::string::npos) << log;   // not even tried
}

std::vector<std::string> hostArguments(const char* width, const char* height, const char* bits,
                                       const char* tag) {
    return {"R", "I", width, height, bits, tag, "host picture"};
}

INSTANTIATE_TEST_SUITE_P(
    Program, ProgramHostRuns,
    ::testing::Values(
        HostRunCase{"eightBits", hostArguments("7", "5", "8", "little"), 140, 140, true},
        HostRunCase{"sixteenLittle", hostArguments("7", "5", "16", "little"), 280, 280, true},
        HostRunCase{"sixteenBig", hostArguments("7", "5", "16", "big"), 280, 280, true},
        HostRunCase{"sixteenCapitalLittle", hostArguments("7", "5", "16", "Little"), 280, 280,
                    true},
        HostRunCase{"onePixel", hostArguments("1", "1", "8", "little"), 4, 4, true},
        HostRunCase{"largerMappings", hostArguments("2", "2", "8", "big"), 4096, 4096, true},
        HostRunCase{"depthTwelve", hostArguments("2", "2", "12", "little"), 48, 48, false},
        HostRunCase{"handleNotANumber", {"R", "input", "2", "2", "8", "little", "host picture"},
                    16, 16, false},
        HostRunCase{"widthNotANumber", hostArguments("2px", "2", "8", "little"), 16, 16, false},
        HostRunCase{"zeroHeight", hostArguments("2", "0", "8", "little"), 16, 16, false},
        HostRunCase{"negativeWidth", hostArguments("-2", "2", "8", "little"), 16, 16, false},
        HostRunCase{"closedDescriptor",
                    {"R", "0x7ffffff0", "2", "2", "8", "little", "host picture"}, 16, 16, false},
        HostRunCase{"oneByteShort", hostArguments("2", "2", "16", "big"), 32, 31, false},
        HostRunCase{"pastThirtyTwoBits", hostArguments("65536", "65536", "8", "little"), 16, 16,
                    false},
        HostRunCase{"sameMapping", {"I", "I", "2", "2", "8", "little", "host picture"}, 16, 16,
                    false}),
    [](const ::testing::TestParamInfo<HostRunCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// A photo named on the command line

class ProgramPhotoTest : public ProgramTest {
protected:
    const std::string photo = ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png";

    void SetUp() override {
        ProgramTest::SetUp();
        // Opened as a cut-out without asking.
        writeApplicationSettings("", "[General]\nOnImageLoad=1\n");
    }

    /// Waits until the log holds `text`; false when the child ended first or the deadline of
    /// a hung child, the one `ProgramProcess` keeps, passed.
    bool waitForLog(ProgramProcess& process, const std::string& text) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(240);
        while (std::chrono::steady_clock::now() < end) {
            const auto logs = withSuffix(filesIn(logFolder()), ".txt");
            if (logs.size() == 1 &&
                readWholeFile(logFolder() + "/" + logs.front()).find(text) != std::string::npos)
                return true;
            if (!process.waitForStandardError("zqtest: arguments"))
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
};

// The update and news checks are made at start-up unless the distributor switches them off;
// with both off the program sends nothing, and the test reaches no server.
TEST_F(ProgramTest, DistributorSwitchesTurnTheStartUpChecksOff) {
    ASSERT_TRUE(run({}).exited) << standardError_;
    const std::string checked = onlyLog();
    EXPECT_NE(checked.find("Update Current"), std::string::npos) << checked;
    EXPECT_NE(checked.find("News Current"), std::string::npos) << checked;

    fs::remove_all(logFolder());
    installWithoutWebChecks();
    const ProgramProcess::Result result = run({});
    ASSERT_TRUE(result.exited) << standardError_;
    EXPECT_EQ(result.exitCode, 0) << standardError_;
    const std::string quiet = onlyLog();
    EXPECT_EQ(quiet.find("ERRORS found in"), std::string::npos) << quiet;
    EXPECT_EQ(quiet.find("Update Current"), std::string::npos) << quiet;
    EXPECT_EQ(quiet.find("News Current"), std::string::npos) << quiet;
}

TEST_F(ProgramPhotoTest, OpensOnTheCutoutTabAndTheEngineSessionBegins) {
    auto process = start({photo}, "watch");
    ASSERT_TRUE(process->waitForStandardError("view tab \"1. Delete Background\""))
        << process->standardError();
    EXPECT_NE(process->standardError().find("main window shown \"Zolquist\u2122: image.png\""),
              std::string::npos)
        << process->standardError();
    // The last step of opening the session: the undo history of the first fill is cleared.
    EXPECT_TRUE(waitForLog(*process, "Clearing Undo Stack... - hasFinished"));
    EXPECT_TRUE(waitForLog(*process, "Beginning Session... - hasFinished"));
}

TEST_F(ProgramPhotoTest, ClosesCleanlyWithThePhotoOpen) {
    const ProgramProcess::Result result = run({photo});
    ASSERT_TRUE(result.exited) << standardError_;
    EXPECT_EQ(result.exitCode, 0) << standardError_;
    EXPECT_NE(standardError_.find("view tab \"1. Delete Background\""), std::string::npos)
        << standardError_;
    // Closing on the cut-out tab first puts the cut-out on the composition, which is then
    // the one question; the driver answers Discard.
    EXPECT_NE(standardError_.find("closing modal QMessageBox \"Unsaved changes\" text \"You have "
                                  "made modifications."),
              std::string::npos)
        << standardError_;
    EXPECT_EQ(standardError_.find("Sanitizer"), std::string::npos) << standardError_;
    EXPECT_TRUE(filesIn(tmpFolder_).empty());   // no saved cut-out left behind
}

class ProgramSaveAsTest : public ProgramPhotoTest,
                          public ::testing::WithParamInterface<const char*> {};

TEST_P(ProgramSaveAsTest, FinishThenSaveAsWritesThePictureAndClosesWithoutAQuestion) {
    saveAsSuffix_ = GetParam();
    const ProgramProcess::Result result = run({photo}, "finish-save");
    ASSERT_TRUE(result.exited) << standardError_;
    EXPECT_EQ(result.exitCode, 0) << standardError_;
    const std::size_t finish = standardError_.find("zqtest: pressing Finish");
    const std::size_t save = standardError_.find("zqtest: pressing Save As");
    ASSERT_NE(finish, std::string::npos) << standardError_;
    ASSERT_NE(save, std::string::npos) << standardError_;
    EXPECT_LT(finish, save);
    // Saved just before: nothing to ask at close.
    EXPECT_EQ(standardError_.find("closing modal"), std::string::npos) << standardError_;
    EXPECT_EQ(standardError_.find("Sanitizer"), std::string::npos) << standardError_;
    const QImage picture(QString::fromStdString(root_ + "/picture." + saveAsSuffix_));
    ASSERT_FALSE(picture.isNull());
    // The photo is on it: many colours, where the empty canvas has one.
    std::set<QRgb> colours;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            colours.insert(picture.pixel(x, y));
    EXPECT_GT(colours.size(), 100u);
    EXPECT_TRUE(filesIn(tmpFolder_).empty());   // the saved cut-out went with its item
}

INSTANTIATE_TEST_SUITE_P(Program, ProgramSaveAsTest, ::testing::Values("png", "jpg"));

TEST_F(ProgramPhotoTest, AMissingFileSaysSoAndTheWindowStaysOnTheComposition) {
    const ProgramProcess::Result result = run({root_ + "/missing.jpg"});
    ASSERT_TRUE(result.exited) << standardError_;
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(standardError_.find("text \"Sorry - could not open file " + root_ +
                                  "/missing.jpg\nFile not found.\""),
              std::string::npos)
        << standardError_;
    EXPECT_NE(standardError_.find("view tab \"2. Compose Picture\""), std::string::npos)
        << standardError_;
}
