#include "shell/ProgramEntry.h"

#include "shell/AboutBox.h"
#include "common/LogStream.h"
#include "common/Product.h"
#include "shell/TqAppStandAlone.h"

#include "platform/CrashGuard.h"

#include <QFile>

#include <csignal>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr int exitOutOfMemory = 11;
constexpr int exitOtherException = 12;

bool argumentIs(const char* argument, const char* expected) {
    return std::strcmp(argument, expected) == 0;
}

zqplatform::CrashNotice crashNotice() {
    zqplatform::CrashNotice notice;
    notice.caption = "Brenmoor Zolquist\u2122";
    notice.dumpText = "Sorry - Zolquist\u2122 has encountered a problem and is exiting.\n";
    notice.noDumpText =
        "Sorry - Zolquist\u2122 has encountered a problem and is exiting.\n\n"
        "Further, minidump support is not available.\nPlease re-install Brenmoor Zolquist\u2122.";
    return notice;
}

std::string crashDumpHeader() {
    return (QStringLiteral("%1 crash dump, version %2")
                .arg(QString::fromLatin1(Product::applicationName), Product::version()))
        .toStdString();
}

// The run itself; exceptions leave it, after the application object is gone.
int runApplication(int runMode, int& argc, char** argv) {
    auto application = std::make_unique<TqAppStandAlone>(runMode);
    application->init(argc, argv);
    const int loopResult = application->run();
    // Before the exit status is read: a hand-back that fails turns `Apply` into `Unchanged`.
    application->writeBackResult();
    const int exitCode =
        runMode == TqApp::HostSharedMemory ? application->exitStatus() : loopResult;
    application.reset();
    if (std::exception_ptr failure = TqApp::takeShutDownException())
        std::rethrow_exception(failure);
    return exitCode;
}

}  // namespace

RunChoice chooseRunMode(int argc, const char* const* argv) {
    RunChoice choice;
    if (argc == 2 && argumentIs(argv[1], "--about"))
        choice.aboutBoxOnly = true;
    else if (argc == 9 && argumentIs(argv[1], "--gp"))
        choice.runMode = TqApp::HostSharedMemory;
    else if (argc == 3 && argumentIs(argv[1], "--xmlgp"))
        choice.runMode = TqApp::HostControlFile;
    return choice;
}

int realMain(int argc, char** argv) {
    const RunChoice choice = chooseRunMode(argc, argv);
    try {
        if (choice.aboutBoxOnly)
            return runAboutBoxAlone(argc, argv);
        return runApplication(choice.runMode, argc, argv);
    } catch (const std::bad_alloc&) {
        TqApp::takeShutDownException();
        return exitOutOfMemory;
    } catch (...) {
        TqApp::takeShutDownException();
        return exitOtherException;
    }
}

std::string prepareCrashDumpPath() {
    if (!ensureLogFolder())
        return std::string();
    return QFile::encodeName(crashDumpFileName()).toStdString();
}

int guardedMain(int argc, char** argv) {
    // A write past the file size limit would end the process in the middle of a save, the
    // user's composition with it; ignored, the write fails with EFBIG and the save says so,
    // as on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    // The dump path fixes the run's start time, so the dump and the log share their name.
    zqplatform::CrashGuard::install(prepareCrashDumpPath(), crashDumpHeader(), crashNotice());
    return realMain(argc, argv);
}
