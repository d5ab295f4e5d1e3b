// The real program's quit: what it still does after its window has gone.
#include "ScriptedProgramTest.h"

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Counts how often a file of a folder is replaced by renaming a new one over it, as the
// settings are written (a whole new file, then a rename).
class Replacements {
public:
    explicit Replacements(const std::string& folder)
        : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        // Moves from as well: the kernel merges an event into an unread one just like it, so
        // replacements one after the other would count once without the new file's own move
        // (from its temporary name) coming between them.
        watching_ = fd_ >= 0 &&
                    inotify_add_watch(fd_, folder.c_str(), IN_MOVED_FROM | IN_MOVED_TO) >= 0;
    }
    ~Replacements() {
        if (fd_ >= 0)
            close(fd_);
    }
    Replacements(const Replacements&) = delete;
    Replacements& operator=(const Replacements&) = delete;

    bool watching() const { return watching_; }

    /// The replacements of `name` since the last call (every event is queued by then).
    int of(const std::string& name) {
        int count = 0;
        alignas(inotify_event) char buffer[16 * 1024];
        for (;;) {
            const ssize_t length = read(fd_, buffer, sizeof buffer);
            if (length <= 0)
                return count;
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if ((event->mask & IN_MOVED_TO) && event->len > 0 && name == event->name)
                    ++count;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    int fd_;
    bool watching_ = false;
};

namespace fs = std::filesystem;
using ProgramExitTest = zqtest::ScriptedProgramTest;

// Every settings write waits for the disk. A quit that changed no setting writes the settings
// once, for the window state as the window closes; each option, colour and view writing
// itself anew after the window had gone kept the process alive well after it.
TEST_F(ProgramExitTest, AQuitThatChangedNothingWritesTheSettingsOnceForTheWindowState) {
    const std::string go = file("go");
    const std::vector<std::string> quit = {"wait-ready", "wait-file " + go, "key Ctrl+Q"};
    std::ofstream(go).close();
    expectRanToTheEnd(play({}, quit));   // the first run stores what it reads at start
    fs::remove(go);

    auto process = startPlaying({}, quit);
    // Started, shown and waiting for the go: what the start writes is written by now.
    ASSERT_TRUE(process->waitForStandardError("zqtest: step 2 wait-file")) << standardError_;
    const std::string folder = file("config/BrenmoorTech");
    Replacements replacements(folder);
    ASSERT_TRUE(replacements.watching()) << folder;
    std::ofstream(go).close();
    expectRanToTheEnd(finish(*process));
    EXPECT_EQ(replacements.of("Zolquist.conf"), 1);
}

}  // namespace
