// The real program run where its surroundings are hostile: a TMPDIR that names no folder, a
// file size limit set before it starts, and a control file built to exhaust the XML parser's
// stack. Each time the user is told, the program keeps running, and nothing lands where it
// must not.
#include "ScenarioImages.h"
#include "ScriptedProgramTest.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <fstream>
#include <set>

namespace {

using zqtest::joined;
namespace fs = std::filesystem;

const std::string photo = ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png";

// A cup kept and the photo's top edge deleted: enough for a cut-out to place.
const std::vector<std::string> cutOutTheCup = {
    "click cutoutRadioButton", "accept", "wait-tab 1.",
    "action Restore", "stroke 260,200 420,200", "stroke 340,120 340,330",
    "action Flood Erase", "stroke 20,20 620,20", "stroke 20,460 620,460",
};

const std::string placementFailed =
    "text \"The cut-out could not be saved, so it stays open.\n"
    "Please check that the temporary folder can be written.\"\n";

std::set<std::string> entriesOf(const std::string& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.insert(entry.path().filename().string());
    return names;
}

// The soft file size limit of this process while it lives; a child started meanwhile keeps it.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        applied_ = ::getrlimit(RLIMIT_FSIZE, &before_) == 0;
        rlimit lower = before_;
        lower.rlim_cur = std::min(bytes, before_.rlim_max);
        applied_ = applied_ && ::setrlimit(RLIMIT_FSIZE, &lower) == 0;
    }
    ~FileSizeLimit() {
        if (applied_)
            ::setrlimit(RLIMIT_FSIZE, &before_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool applied() const { return applied_; }

private:
    rlimit before_{};
    bool applied_ = false;
};

class ProgramHostileSetupTest : public zqtest::ScriptedProgramTest {};

// Removes what a faulty run left at the root of the file system and tells what it was.
std::set<std::string> removeNewEntriesOfTheRoot(const std::set<std::string>& before) {
    std::set<std::string> added;
    for (const std::string& name : entriesOf("/")) {
        if (before.count(name) == 0) {
            added.insert(name);
            std::error_code ignored;
            fs::remove("/" + name, ignored);   // an empty folder only, as Qt makes it
        }
    }
    return added;
}

// Without XDG_RUNTIME_DIR, Qt names its runtime folder after its temporary folder, which is
// empty here, and makes it while the application object is built: at the root of the file
// system. Only the superuser may make it there; for anyone else Qt's own warning on standard
// error shows the try. The program gives Qt a private folder in the user's cache instead.
TEST_F(ProgramHostileSetupTest, TemporaryFolderThatDoesNotExistIsReportedAndNothingGoesToTheRoot) {
    const std::string missing = file("no-such-folder");
    extraEnvironment_["TMPDIR"] = missing;
    extraEnvironment_["XDG_CACHE_HOME"] = file("cache");
    removedEnvironment_.push_back("XDG_RUNTIME_DIR");
    const std::set<std::string> rootBefore = entriesOf("/");
    auto process = startPlaying(
        {photo}, joined({cutOutTheCup,
                         {"action Finish", "box OK", "wait-ready", "wait-file " + missing,
                          // Once the folder is there, the cut-out that stayed open is placed.
                          "action Finish", "wait-tab 2.", "items", "close", "box Discard"}}));
    ASSERT_TRUE(process->waitForStandardError(placementFailed)) << process->standardError();
    EXPECT_EQ(removeNewEntriesOfTheRoot(rootBefore), std::set<std::string>{});
    fs::create_directory(missing);

    const ProgramProcess::Result result = finish(*process);
    expectRanToTheEnd(result);
    EXPECT_NE(standardError_.find("the temporary folder " + missing + " does not exist"),
              std::string::npos)
        << standardError_;
    EXPECT_EQ(zqtest::countOf(zqtest::reportedItems(standardError_), "CutoutItem"), 1)
        << standardError_;
    EXPECT_EQ(removeNewEntriesOfTheRoot(rootBefore), std::set<std::string>{});
    EXPECT_EQ(standardError_.find("'/runtime-"), std::string::npos) << standardError_;
    const fs::path runtime = file("cache") + "/BrenmoorTech/Zolquist/runtime";
    EXPECT_TRUE(fs::is_directory(runtime));
    EXPECT_EQ(fs::status(runtime).permissions() & fs::perms::all, fs::perms::owner_all);
}

// Set before the program starts, as a shell's ulimit would: the program itself must keep the
// signal from ending it.
TEST_F(ProgramHostileSetupTest, FileSizeLimitFailsThePlacementWithAMessageAndTheWorkStays) {
    std::unique_ptr<ProgramProcess> process;
    {
        // Well below the saved session of the cut-out, well above the program's log and reports.
        FileSizeLimit limit(64 * 1024);
        ASSERT_TRUE(limit.applied());
        process = startPlaying(
            {photo}, joined({cutOutTheCup,
                             {"action Finish", "box OK", "wait-ready", "file-size-limit none",
                              "action Finish", "wait-tab 2.", "items", "close", "box Discard"}}));
    }
    const ProgramProcess::Result result = finish(*process);
    expectRanToTheEnd(result);
    EXPECT_NE(standardError_.find(placementFailed), std::string::npos) << standardError_;
    // The second Finish, with room again, places the cut-out that stayed open.
    EXPECT_EQ(zqtest::countOf(zqtest::reportedItems(standardError_), "CutoutItem"), 1)
        << standardError_;
}

TEST_F(ProgramHostileSetupTest, ControlFileNestedTooDeepIsRefusedAndTheProgramGoesOn) {
    // 100,000 elements never closed: 300 kB that took the DOM parser's stack.
    const std::string unclosed = file("unclosed.btqx");
    {
        std::ofstream out(unclosed);
        for (int i = 0; i < 100000; ++i)
            out << "<a>";
    }
    ASSERT_EQ(fs::file_size(unclosed), 300000u);
    const ProgramProcess::Result result =
        play({photo}, {"click backdropRadioButton", "accept", "wait-tab 2.",
                       "open-event " + unclosed, "wait-ready", "items", "close", "box Discard"});
    expectRanToTheEnd(result);
    EXPECT_EQ(zqtest::countOf(zqtest::reportedItems(standardError_), "BackdropItem"), 1)
        << standardError_;
    std::string logs;
    for (const std::string& name : filesIn(logFolder()))
        logs += readWholeFile(logFolder() + "/" + name);
    EXPECT_NE(logs.find("XML control file " + unclosed + " not read: elements nested more than 256 deep"),
              std::string::npos)
        << logs;
}

}  // namespace
