// Each test builds its own Qt application, as the program does: these tests run without the
// shared one of the Qt test main.
#include "shell/AboutBox.h"
#include "shell/TqAppStandAlone.h"
#include "shell/TqApplication.h"
#include "shell/TqMainWindow.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFileOpenEvent>
#include <QPixmap>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

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

    TqMainWindow window;
    QFileOpenEvent third(QStringLiteral("third.jpg"));
    QCoreApplication::sendEvent(&application, &third);
    EXPECT_TRUE(application.takeQueuedFiles().isEmpty());
    EXPECT_EQ(window.requestedFiles(), QStringList{QStringLiteral("third.jpg")});
}

TEST(TqAppStandAlone, FilesAskedForDuringStartUpReachTheMainWindowAfterTheCommandLineFile) {
    onNextApplication() = [] {
        QCoreApplication::postEvent(QCoreApplication::instance(),
                                    new QFileOpenEvent(QStringLiteral("dropped.jpg")));
    };
    Arguments arguments({"zolquist", "start.jpg"});
    TqAppStandAlone application(TqApp::StandAlone);
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

}  // namespace
