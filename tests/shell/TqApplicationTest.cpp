// Each test builds its own Qt application, as the program does: these tests run without the
// shared one of the Qt test main.
#include "HostMemoryFile.h"
#include "ModalDialogCloser.h"

#include "masking/GmModel.h"
#include "masking/TqSourceImage.h"
#include "shell/AboutBox.h"
#include "shell/GasPipe.h"
#include "shell/HttpRequest.h"
#include "shell/WebAddresses.h"
#include "shell/TqAppStandAlone.h"
#include "shell/TqApplication.h"
#include "shell/TqMainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QEventLoop>
#include <QFileOpenEvent>
#include <QPixmap>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>

namespace {

QString logText();

// Runs when the next Qt application is being built, before anything else can happen in it.
std::function<void()>& onNextApplication() {
    static std::function<void()> hook;
    return hook;
}

void runHookOnce() {
    std::function<void()> hook;
    std::swap(hook, onNextApplication());
    if (hook)
        hook();
}
Q_COREAPP_STARTUP_FUNCTION(runHookOnce)

struct Arguments {
    explicit Arguments(std::vector<std::string> texts) : texts_(std::move(texts)) {
        for (std::string& text : texts_)
            pointers_.push_back(&text[0]);
        pointers_.push_back(nullptr);
        count = static_cast<int>(texts_.size());
    }
    char** values() { return pointers_.data(); }
    int count;

private:
    std::vector<std::string> texts_;
    std::vector<char*> pointers_;
};

constexpr int safetyExit = 99;   // only a loop that failed to quit by itself returns this

TEST(TqApplication, ExceptionInAnEventHandlerEndsEveryLoopAndIsThrownAgainOnce) {
    Arguments arguments({"zolquist"});
    TqApplication application(arguments.count, arguments.values());
    QTimer::singleShot(0, [] {
        QEventLoop nested;
        QTimer::singleShot(0, [] { throw std::runtime_error("first"); });
        QTimer::singleShot(0, [] { throw std::logic_error("second"); });
        nested.exec();
    });
    QTimer::singleShot(60000, [] { QCoreApplication::exit(safetyExit); });
    EXPECT_NE(QApplication::exec(), safetyExit);
    try {
        application.rethrowCaughtException();
        ADD_FAILURE() << "nothing was thrown";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "first");
    }
    EXPECT_NO_THROW(application.rethrowCaughtException());
}

TEST(TqApplication, FileOpenEventsWaitForTheMainWindow) {
    Arguments arguments({"zolquist"});
    TqApplication application(arguments.count, arguments.values());
    QFileOpenEvent first(QStringLiteral("first.jpg"));
    QFileOpenEvent second(QStringLiteral("second.png"));
    QCoreApplication::sendEvent(&application, &first);
    QCoreApplication::sendEvent(&application, &second);
    EXPECT_EQ(application.lastFileOpenName(), QStringLiteral("second.png"));
    EXPECT_EQ(application.takeQueuedFiles(),
              QStringList({QStringLiteral("first.jpg"), QStringLiteral("second.png")}));
    EXPECT_TRUE(application.takeQueuedFiles().isEmpty());

    // The window opens what it is asked for; these files do not exist, and each says so.
    ModalDialogCloser closer({}, QDialog::Accepted, true);
    TqMainWindow window;
    QFileOpenEvent third(QStringLiteral("third.jpg"));
    QCoreApplication::sendEvent(&application, &third);
    EXPECT_TRUE(application.takeQueuedFiles().isEmpty());
    EXPECT_EQ(window.requestedFiles(), QStringList{QStringLiteral("third.jpg")});
}

TEST(TqAppStandAlone, FilesAskedForDuringStartUpReachTheMainWindowAfterTheCommandLineFile) {
    Arguments arguments({"zolquist", "start.jpg"});
    TqAppStandAlone application(TqApp::StandAlone);
    std::unique_ptr<ModalDialogCloser> closer;   // the files do not exist, and each says so
    onNextApplication() = [&closer] {
        QCoreApplication::postEvent(QCoreApplication::instance(),
                                    new QFileOpenEvent(QStringLiteral("dropped.jpg")));
        closer = std::make_unique<ModalDialogCloser>(std::function<void(QDialog*)>(),
                                                     QDialog::Accepted, true);
    };
    application.init(arguments.count, arguments.values());
    ASSERT_NE(theMainWindow, nullptr);
    EXPECT_EQ(theMainWindow->requestedFiles(),
              QStringList({QStringLiteral("start.jpg"), QStringLiteral("dropped.jpg")}));
    EXPECT_TRUE(theMainWindow->isVisible());
    EXPECT_EQ(theMainWindow->windowTitle(), QStringLiteral("Zolquist\u2122"));

    QTimer::singleShot(0, theMainWindow, &QWidget::close);
    EXPECT_EQ(application.run(), 0);
    EXPECT_EQ(theMainWindow, nullptr);
    EXPECT_EQ(application.exitStatus(), TqApp::Unchanged);
}

TEST(TqAppStandAlone, SplashPictureIsCompiledIn) {
    Arguments arguments({"zolquist"});
    TqAppStandAlone application(TqApp::StandAlone);
    application.init(arguments.count, arguments.values());
    const QPixmap splash(QStringLiteral(":/images/splash.png"));
    EXPECT_FALSE(splash.isNull());
    // Closed before the loop runs: the loop must not wait for a window that is gone.
    theMainWindow->close();
    EXPECT_EQ(application.run(), 0);
}

// A 2x screen, as the offscreen platform makes one: the window's pictures are drawn from their
// @2x twins at the full density, not blown up from the half-size ones.
TEST(TqAppStandAlone, OnADoubleDensityScreenIconsUseEveryPixel) {
    Arguments arguments({"zolquist"});
    TqAppStandAlone application(TqApp::StandAlone);
    qputenv("QT_SCALE_FACTOR", "2");
    application.init(arguments.count, arguments.values());
    qunsetenv("QT_SCALE_FACTOR");
    ASSERT_NE(theMainWindow, nullptr);
    EXPECT_EQ(qApp->devicePixelRatio(), 2.0);
    for (const char* name : {"Undo Action", "Redo Action"}) {
        auto* action = theMainWindow->findChild<QAction*>(QLatin1String(name));
        ASSERT_NE(action, nullptr) << name;
        const QPixmap picture = action->icon().pixmap(QSize(16, 16));
        EXPECT_EQ(picture.devicePixelRatio(), 2.0) << name;
        EXPECT_EQ(picture.size(), QSize(32, 32)) << name;
    }
    theMainWindow->close();
    EXPECT_EQ(application.run(), 0);
}

TEST(TqAppStandAlone, ShutDownAfterAnExceptionTakesTheOpenWindowAlong) {
    Arguments arguments({"zolquist"});
    {
        TqAppStandAlone application(TqApp::StandAlone);
        application.init(arguments.count, arguments.values());
        ASSERT_NE(theMainWindow, nullptr);
        QTimer::singleShot(0, [] { throw std::runtime_error("in the loop"); });
        EXPECT_THROW(application.run(), std::runtime_error);
        EXPECT_NE(theMainWindow, nullptr);
    }
    EXPECT_EQ(theMainWindow, nullptr);
    EXPECT_EQ(theApp, nullptr);
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_FALSE(TqApp::takeShutDownException());
}

TEST(TqAppStandAlone, AboutBoxLeftAtTheEndGoesBeforeTheQtApplication) {
    Arguments arguments({"zolquist"});
    {
        TqAppStandAlone application(TqApp::StandAlone);
        application.init(arguments.count, arguments.values());
        showAboutBox(nullptr);   // a window of its own: the main window does not take it along
        ASSERT_NE(aboutBox(), nullptr);
        aboutBox()->close();     // hidden, kept for the next request
        QTimer::singleShot(0, theMainWindow, &QWidget::close);
        EXPECT_EQ(application.run(), 0);
        EXPECT_NE(aboutBox(), nullptr);
    }
    EXPECT_EQ(aboutBox(), nullptr);
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

TEST(TqAppStandAlone, TheMaskingModelGoesAtShutDownWhileTheQtApplicationIsStillThere) {
    Arguments arguments({"zolquist"});
    bool applicationAtTheEnd = false;
    QPointer<GmModel> model;
    {
        TqAppStandAlone application(TqApp::StandAlone);
        application.init(arguments.count, arguments.values());
        model = GmModel::existing();
        ASSERT_NE(model, nullptr) << "the main window makes it";
        QObject::connect(model, &QObject::destroyed,
                         [&] { applicationAtTheEnd = QCoreApplication::instance() != nullptr; });
        QTimer::singleShot(0, theMainWindow, &QWidget::close);
        EXPECT_EQ(application.run(), 0);
        EXPECT_NE(model, nullptr);
    }
    EXPECT_TRUE(model.isNull());
    EXPECT_EQ(GmModel::existing(), nullptr);
    EXPECT_TRUE(applicationAtTheEnd);
}

// A model made after the application object went is deleted when the process ends.
TEST(TqAppStandAlone, AMaskingModelLeftAtTheEndIsDeletedWhenTheProcessExits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Arguments arguments({"zolquist"});
            {
                TqAppStandAlone application(TqApp::StandAlone);
                application.init(arguments.count, arguments.values());
            }
            // Another Qt application, as a host would keep one, and a model made in it.
            static QApplication* const later =
                new QApplication(arguments.count, arguments.values());
            Q_UNUSED(later)
            QObject::connect(GmModel::instance(), &QObject::destroyed,
                             [] { std::fputs("model deleted\n", stderr); });
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "model deleted");
}

// ---------------------------------------------------------------------------------------------
// Control files

QString writeControlFile(const QTemporaryDir& folder, const QString& name, const QByteArray& xml) {
    const QString path = QDir(folder.path()).filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(xml);
    return path;
}

QString logText() {
    if (!theLogStream)
        return QString();
    QFile log(theLogStream->filePath());
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

TEST(TqApplication, ControlFilesAreReadOnArrivalWhateverTheCaseOfTheirExtension) {
    Arguments arguments({"zolquist"});
    TqApplication application(arguments.count, arguments.values());
    ModalDialogCloser closer({}, QDialog::Accepted, true);   // the image does not exist
    TqMainWindow window;
    QTemporaryDir folder;
    const QString canonical = QFileInfo(folder.path()).absoluteFilePath();
    const QString upper = writeControlFile(folder, QStringLiteral("JOB.BTQX"),
                                           R"(<j><i id="imageIn" src="upper.jpg"/></j>)");
    QFileOpenEvent first(upper);
    EXPECT_TRUE(QCoreApplication::sendEvent(&application, &first));
    ASSERT_NE(theGasPipe, nullptr);
    EXPECT_EQ(theGasPipe->path(), upper);
    EXPECT_EQ(GasPipe::inputImagePath(), canonical + QStringLiteral("/upper.jpg"));

    const QString second = writeControlFile(folder, QStringLiteral("next.btqx"),
                                            R"(<j><i id="imageIn" src="next.jpg"/></j>)");
    QPointer<GasPipe> earlier(theGasPipe);
    QFileOpenEvent next(second);
    QCoreApplication::sendEvent(&application, &next);
    EXPECT_TRUE(earlier.isNull());   // replaced and deleted
    EXPECT_EQ(GasPipe::inputImagePath(), canonical + QStringLiteral("/next.jpg"));
    EXPECT_TRUE(window.requestedFiles().isEmpty());

    // ".btqx" inside the name is not the extension: an image.
    QFileOpenEvent image(QStringLiteral("photo.btqx.jpg"));
    QCoreApplication::sendEvent(&application, &image);
    EXPECT_EQ(window.requestedFiles(), QStringList{QStringLiteral("photo.btqx.jpg")});
    EXPECT_EQ(theGasPipe->path(), second);
}

TEST(TqApplication, AControlFileThatCannotBeOpenedIsLoggedAndTheRunGoesOn) {
    Arguments arguments({"zolquist"});
    TqApplication application(arguments.count, arguments.values());
    LogStream log;
    TqMainWindow window;
    QTemporaryDir folder;
    const QString missing = QDir(folder.path()).filePath(QStringLiteral("gone.btqx"));
    // Through the event loop, as the system delivers it: nothing may escape it.
    QCoreApplication::postEvent(&application, new QFileOpenEvent(missing));
    QCoreApplication::processEvents();
    EXPECT_NO_THROW(application.rethrowCaughtException());
    EXPECT_TRUE(logText().contains(QStringLiteral("Unable to open XML control file: ") + missing));
    EXPECT_EQ(theGasPipe->path(), missing);
}

TEST(TqApplication, AControlFileBeforeTheMainWindowIsKeptForIt) {
    Arguments arguments({"zolquist"});
    TqApplication application(arguments.count, arguments.values());
    QTemporaryDir folder;
    const QString path = writeControlFile(folder, QStringLiteral("early.btqx"),
                                          R"(<j><c id="config">early</c></j>)");
    QFileOpenEvent event(path);
    QCoreApplication::sendEvent(&application, &event);
    ASSERT_NE(theGasPipe, nullptr);
    EXPECT_EQ(theGasPipe->path(), path);
    EXPECT_TRUE(application.takeQueuedFiles().isEmpty());   // not an image for the window
    EXPECT_NE(GasPipe::configurationText(), QStringLiteral("early"));
    EXPECT_TRUE(readTheGasPipe());   // what the window does once it is built
    EXPECT_EQ(GasPipe::configurationText(), QStringLiteral("early"));
}

// ---------------------------------------------------------------------------------------------
// Start-up checks and host runs

TEST(TqAppStandAlone, StartUpMakesBothChecksForTheProductPages) {
    Arguments arguments({"zolquist"});
    TqAppStandAlone application(TqApp::StandAlone);
    application.init(arguments.count, arguments.values());
    ASSERT_NE(application.updateChecker(), nullptr);
    ASSERT_NE(application.newsChecker(), nullptr);
    EXPECT_EQ(application.updateChecker()->address(), updatePageAddress());
    EXPECT_EQ(application.updateChecker()->suppressKey(), QStringLiteral("UpdateSupressUntil"));
    EXPECT_EQ(application.newsChecker()->address(), newsPageAddress());
    EXPECT_EQ(application.newsChecker()->cacheKey(), QStringLiteral("NewsCache"));
    // Sent once the main window is built. Where no server can be reached the start-up's own
    // event processing may already have seen the transfer fail: that still counts as sent.
    const auto sent = [](const HttpRequest* checker) {
        return checker->isPending() || checker->httpStatus() != 0
               || logText().contains(QStringLiteral("Error getting URL: ") + checker->address());
    };
    EXPECT_TRUE(sent(application.updateChecker()));
    EXPECT_TRUE(sent(application.newsChecker()));
    EXPECT_FALSE(application.newsAvailable());
    theMainWindow->close();
    EXPECT_EQ(application.run(), 0);
}

std::vector<std::string> hostRun(const HostMemoryFile& result, const HostMemoryFile& input,
                                 const char* width, const char* bits) {
    return {"zolquist", "--gp", result.handle(), input.handle(), width, "1", bits, "big", "-reverse"};
}

struct HostExitCase {
    const char* name;
    const char* width;      // of a 1-pixel-high image in 4-pixel memory files
    const char* bits;
    int userAnswer;         // the exit status the save prompt would set
    int exitStatus;
    bool written;
};

class HostExit : public ::testing::TestWithParam<HostExitCase> {};

// The host sees `Apply` exactly when its result mapping holds our result.
TEST_P(HostExit, ApplyOnlyWithTheResultWritten) {
    const HostExitCase& row = GetParam();
    const std::vector<unsigned char> second = patternBytes(32, 2);
    HostMemoryFile input(patternBytes(32, 1));
    HostMemoryFile result(second);
    Arguments arguments(hostRun(result, input, row.width, row.bits));
    int exitStatus = -1;
    {
        // The window asks what the host's picture becomes; the answer "nothing" keeps it with
        // the application object.
        TqAppStandAlone application(TqApp::HostSharedMemory);
        std::unique_ptr<ModalDialogCloser> closer;   // goes before the application
        onNextApplication() = [&closer] {
            closer = std::make_unique<ModalDialogCloser>(std::function<void(QDialog*)>(),
                                                         QDialog::Rejected, true);
        };
        application.init(arguments.count, arguments.values());
        EXPECT_EQ(application.exitStatus(), TqApp::Unchanged);
        const bool fits = std::string(row.width) == "4" && std::string(row.bits) != "12";
        ASSERT_EQ(application.hostImages().imagesTaken(), fits);
        // Taken before the Qt application could remove a name it reads as one of its options.
        if (fits) {
            EXPECT_EQ(application.hostImages().imageName(), QStringLiteral("-reverse"));
        }
        if (fits) {
            ASSERT_NE(application.sourceImage(), nullptr);
            ASSERT_NE(application.outputImage(), nullptr);
            EXPECT_TRUE(application.sourceImage()->valid());
            EXPECT_EQ(application.sourceImage()->name(), QStringLiteral("-reverse"));
            EXPECT_EQ(application.outputImage()->image().size(), QSize(4, 1));
            // The first host pixel as the display shows it.
            const std::vector<unsigned char> host = patternBytes(32, 1);
            const QRgb shown = application.sourceImage()->image().pixel(0, 0);
            if (std::string(row.bits) == "8") {
                EXPECT_EQ(qRed(shown), host[0]);
                EXPECT_EQ(qGreen(shown), host[1]);
                EXPECT_EQ(qBlue(shown), host[2]);
                EXPECT_EQ(qAlpha(shown), host[3]);
            } else {
                // Big-endian words at most 32768, shown in 8 bits.
                auto channel = [&](int c) {
                    const unsigned word = unsigned(host[c * 2]) << 8 | host[c * 2 + 1];
                    return int(std::min(255u, (word * 255u) >> 15));
                };
                EXPECT_EQ(qRed(shown), channel(0));
                EXPECT_EQ(qBlue(shown), channel(2));
            }
        } else {
            EXPECT_EQ(application.sourceImage(), nullptr);
            EXPECT_EQ(application.outputImage(), nullptr);
        }
        HostPixelView view = application.hostImages().secondView();
        if (view.data)
            view.data[0] ^= 0xFF;   // the user's work
        theMainWindow->close();
        // What the user's answer to the save question would have left.
        application.setExitStatus(row.userAnswer);
        application.run();
        application.writeBackResult();
        exitStatus = application.exitStatus();
    }
    EXPECT_EQ(exitStatus, row.exitStatus);
    std::vector<unsigned char> expected = second;
    if (row.written)
        expected[row.bits == std::string("8") ? 2 : 5] ^= 0xFF;   // blue back in the host's place
    EXPECT_EQ(result.content(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    TqAppStandAlone, HostExit,
    ::testing::Values(HostExitCase{"applied", "4", "8", TqApp::Apply, TqApp::Apply, true},
                      HostExitCase{"applied16", "4", "16", TqApp::Apply, TqApp::Apply, true},
                      HostExitCase{"discarded", "4", "8", TqApp::Discarded, TqApp::Discarded, false},
                      HostExitCase{"unchanged", "4", "16", TqApp::Unchanged, TqApp::Unchanged,
                                   false},
                      // Refused at intake: nothing to hand back, whatever the user said.
                      HostExitCase{"refusedApplied", "9", "8", TqApp::Apply, TqApp::Unchanged,
                                   false},
                      HostExitCase{"depthTwelve", "4", "12", TqApp::Apply, TqApp::Unchanged,
                                   false}),
    [](const ::testing::TestParamInfo<HostExitCase>& info) { return std::string(info.param.name); });

}  // namespace
