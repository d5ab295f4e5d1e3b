// The real program meets what real disks hold: a JPEG cut short and a file that is no picture
// at all, the saved session of a placed cut-out cut in half while the program runs, and a disk
// that fills up while the picture is saved. Each time the user gets a message that names what
// went wrong, the program keeps running, and nothing already saved or placed is lost.
#include "ScenarioImages.h"
#include "ScriptedProgramTest.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

using zqtest::joined;
namespace fs = std::filesystem;

const std::string photo = ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png";

// Enough marking for a cut-out with transparent borders: keep strokes across the cup,
// delete strokes along the edges of the photo.
const std::vector<std::string> markTheCup = {
    "action Restore",
    "stroke 260,200 420,200",
    "stroke 340,120 340,330",
    "action Flood Erase",
    "stroke 20,20 620,20",
    "stroke 20,460 620,460",
    "stroke 20,40 20,440",
    "stroke 620,40 620,440",
};

const std::vector<std::string> chooseCutout = {"click cutoutRadioButton", "accept", "wait-tab 1."};

/// How the driver reports a message box answered by the script: its whole text, up to the
/// quote that ends it (the text itself may span lines).
std::string boxReport(const std::string& text) { return "text \"" + text + "\"\n"; }

class ProgramBrokenInputTest : public zqtest::ScriptedProgramTest {
protected:
    /// Waits until the script has played `step` (the first step that is exactly that).
    ::testing::AssertionResult waitForStep(ProgramProcess& process, const std::string& step) {
        const auto found = std::find(steps_.begin(), steps_.end(), step);
        if (found == steps_.end())
            return ::testing::AssertionFailure() << "no step \"" << step << "\"";
        const std::string done =
            "zqtest: done " + std::to_string(found - steps_.begin() + 1) + "\n";
        if (process.waitForStandardError(done))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "step \"" << step << "\" never ended:\n"
                                             << process.standardError();
    }

    /// Lets a script that waits with "wait-file" for `name` go on.
    void letGoOn(const std::string& name) { std::ofstream(file(name)) << "go\n"; }

};

TEST_F(ProgramBrokenInputTest, BrokenPicturesAreNamedInAMessageAndTheNextPhotoIsCutOut) {
    // A real JPEG, then only its first half, as an interrupted copy leaves it.
    const std::string cut = file("holiday.jpg");
    ASSERT_TRUE(QImage(QString::fromStdString(photo)).save(QString::fromStdString(cut), "JPEG", 90));
    const std::string whole = readWholeFile(cut);
    fs::resize_file(cut, whole.size() / 2);
    // Text under a picture's name.
    const std::string notAPicture = file("notes.png");
    std::ofstream(notAPicture) << "Shopping list: coffee, milk, bricks.\n";

    const ProgramProcess::Result result = play(
        {cut}, joined({{"box OK", "wait-ready", "action Add Image", "file " + notAPicture,
                        "box OK", "wait-ready", "action Add Image", "file " + photo},
                       chooseCutout,
                       markTheCup,
                       {"action Finish", "wait-tab 2.", "items", "close", "box Discard"}}));
    expectRanToTheEnd(result);
    // Each message says why on a line of its own, as the log does.
    const std::pair<std::string, std::string> told[] = {
        {cut, "The JPEG data ends before its end-of-image marker."},
        {notAPicture, "Unsupported image format."},
    };
    for (const auto& [broken, reason] : told)
        EXPECT_NE(standardError_.find(boxReport("Sorry - could not open file " + broken + "\n" +
                                                reason)),
                  std::string::npos)
            << standardError_;
    const std::vector<zqtest::ReportedItem> items = zqtest::reportedItems(standardError_);
    EXPECT_EQ(zqtest::countOf(items, "CutoutItem"), 1) << standardError_;
    // Neither broken file counts as a picture the user opened.
    const std::string settings = readWholeFile(file("config/BrenmoorTech/Zolquist.conf"));
    EXPECT_EQ(settings.find("holiday.jpg"), std::string::npos) << settings;
    EXPECT_EQ(settings.find("notes.png"), std::string::npos) << settings;
}

TEST_F(ProgramBrokenInputTest, CutoutWhoseSavedSessionWasCutInHalfStaysOnTheComposition) {
    auto process = startPlaying(
        {photo}, joined({chooseCutout,
                         markTheCup,
                         {"action Finish", "wait-tab 2.", "items", "wait-file " + file("cut-done"),
                          "scene-double-click CutoutItem", "box OK", "wait-tab 2.",
                          "items", "close", "box Discard"}}));
    ASSERT_TRUE(waitForStep(*process, "items"));
    // The placed cut-out's session is the one file the run keeps in its temporary folder.
    const std::vector<std::string> kept = filesIn(tmpFolder_);
    ASSERT_EQ(kept.size(), 1u) << ::testing::PrintToString(kept);
    const std::string session = tmpFolder_ + "/" + kept.front();
    const auto size = fs::file_size(session);
    ASSERT_GT(size, 100u);
    fs::resize_file(session, size / 2);
    letGoOn("cut-done");

    const ProgramProcess::Result result = finish(*process);
    expectRanToTheEnd(result);
    // One message, naming the cut-out by its picture and saying why.
    EXPECT_NE(standardError_.find(boxReport("The cut-out of image.png cannot be opened again.\n"
                                            "Its saved session is damaged.")),
              std::string::npos)
        << standardError_;
    EXPECT_EQ(standardError_.find("File is not of the correct format"), std::string::npos)
        << standardError_;
    // The item is where it was, and the masking side was not opened on anything.
    const std::vector<zqtest::ReportedItem> before = zqtest::reportedItems(standardError_, 0);
    const std::vector<zqtest::ReportedItem> after = zqtest::reportedItems(standardError_, 1);
    ASSERT_EQ(zqtest::countOf(before, "CutoutItem"), 1) << standardError_;
    ASSERT_EQ(zqtest::countOf(after, "CutoutItem"), 1) << standardError_;
    EXPECT_EQ(zqtest::firstOf(after, "CutoutItem").rect, zqtest::firstOf(before, "CutoutItem").rect);
}

// The program cannot be kept from writing by file permissions when it runs as root, so the
// script limits the size of every file it writes: a write past the limit fails as on a full disk.
TEST_F(ProgramBrokenInputTest, FullDiskKeepsTheEarlierPictureAndLeavesNoPartialFile) {
    const std::string folder = file("pictures");
    fs::create_directories(folder);
    const std::string picture = folder + "/picture.png";
    const std::string other = folder + "/other.png";
    // Well below the picture's size, well above what the program's reports and log reach.
    constexpr int limit = 64 * 1024;
    auto process = startPlaying(
        {photo}, {"click backdropRadioButton", "accept", "wait-tab 2.", "save-as " + picture,
                  "wait-file " + file("picture-read"), "action Add Text", "wait-ready",
                  "file-size-limit " + std::to_string(limit), "action Save", "box OK",
                  "wait-ready", "action Save As", "file " + other, "box OK", "wait-ready",
                  "file-size-limit none", "wait-file " + file("folder-checked"),
                  // With room again, Save succeeds: nothing was lost on the way.
                  "action Save", "wait-ready", "items", "close"});
    ASSERT_TRUE(waitForStep(*process, "save-as " + picture));
    const std::string saved = readWholeFile(picture);
    ASSERT_GT(saved.size(), size_t(limit)) << "the limit would not stop the second save";
    letGoOn("picture-read");

    ASSERT_TRUE(waitForStep(*process, "file-size-limit none"));
    const std::string errors = process->standardError();
    for (const std::string& target : {picture, other})
        EXPECT_NE(errors.find(boxReport("The picture could not be saved to\n" + target +
                                        "\n\nNot all of the picture could be written. "
                                        "The disk may be full.")),
                  std::string::npos)
            << errors;
    EXPECT_EQ(readWholeFile(picture), saved);
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{"picture.png"});
    letGoOn("folder-checked");

    const ProgramProcess::Result result = finish(*process);
    expectRanToTheEnd(result);
    const std::vector<zqtest::ReportedItem> items = zqtest::reportedItems(standardError_);
    EXPECT_EQ(zqtest::countOf(items, "BackdropItem"), 1) << standardError_;
    EXPECT_EQ(zqtest::countOf(items, "TextFieldItem"), 1) << standardError_;
    // Save goes to the name last chosen, the one that failed: now it is whole, with the text
    // field in it, and the earlier picture is still as it was.
    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"other.png", "picture.png"}));
    EXPECT_EQ(QImage(QString::fromStdString(other)).size(), QSize(640, 480));
    EXPECT_NE(readWholeFile(other), saved);
    EXPECT_EQ(readWholeFile(picture), saved);
}

}  // namespace
