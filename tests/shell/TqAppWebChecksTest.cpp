// The application object's update and news offers, against a local server; the test answers
// the boxes and plays the browser.
#include "BrowserCapture.h"
#include "LocalHttpServer.h"

#include "shell/HttpRequest.h"
#include "shell/TqApp.h"
#include "shell/WebAddresses.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr int deadlineMs = 60000;   // for a hung exchange, not a speed limit

const QString updateTitle = QStringLiteral("Zolquist\u2122 - New version available");
const QString newsTitle = QStringLiteral("Zolquist\u2122 - News Update");

class TqAppWebChecks : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.isListening());
        QSettings settings;
        for (const char* key : {"UpdateSupressUntil", "NewsSupressUntil", "NewsCache"})
            settings.remove(QLatin1String(key));
        server_.answer("/update.html", 200, "OK", "<html>you are notuptodate</html>");
        server_.answer("/current.html", 200, "OK", "<html>NotUpToDate is not the word</html>");
        server_.answer("/news.html", 200, "OK", "<html>News of the day</html>");
    }

    /// The checkers of a start, over the local server's pages.
    void adopt(TqApp& app, const char* updatePath = "/update.html",
               const char* newsPath = "/news.html") {
        app.adoptWebCheckers(
            updatePath ? new HttpRequest(server_.address(updatePath), "Update", false) : nullptr,
            newsPath ? new HttpRequest(server_.address(newsPath), "News", true) : nullptr);
    }

    static bool settled(const TqApp& app) {
        return !(app.updateChecker() && app.updateChecker()->isPending()) &&
               !(app.newsChecker() && app.newsChecker()->isPending());
    }

    static QStringList titles(const BoxAnswerer& answerer) {
        QStringList seen;
        for (const BoxAnswerer::Shown& box : answerer.shown)
            seen << box.title;
        std::sort(seen.begin(), seen.end());
        return seen;
    }

    LocalHttpServer server_;
    BrowserCapture browser_;
};

TEST_F(TqAppWebChecks, RemindMeLaterHoldsBothChecksAcrossARestartButTheNewsEntryStillWorks) {
    {
        TqApp app(TqApp::StandAlone);
        adopt(app);
        QSignalSpy availability(&app, &TqApp::newsAvailability);
        BoxAnswerer answerer({"Remind Me Later", "Remind Me Later"});
        app.runStartUpChecks();
        // Replies may come in either order; each offer waits in its own box.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return settled(app) && answerer.shown.size() == 2; }, deadlineMs));
        EXPECT_EQ(titles(answerer), (QStringList{updateTitle, newsTitle}));
        for (const BoxAnswerer::Shown& box : answerer.shown) {
            EXPECT_FALSE(box.hasParent);   // no main window in this test
            if (box.title == updateTitle) {
                EXPECT_EQ(box.text, QStringLiteral("<p>Your copy of Zolquist\u2122 is out of date. "
                                                   "Please download the latest version now.</p>"));
                EXPECT_EQ(box.buttons, (QStringList{"Download Now", "Remind Me Later"}));
            } else {
                EXPECT_EQ(box.text, QStringLiteral("<p>Would you like to read the latest "
                                                   "Zolquist\u2122 news now?</p>"));
                EXPECT_EQ(box.buttons, (QStringList{"Yes", "Remind Me Later"}));
            }
        }
        EXPECT_TRUE(app.newsAvailable());
        ASSERT_EQ(availability.count(), 1);
        EXPECT_TRUE(availability.at(0).at(0).toBool());
        EXPECT_TRUE(browser_.opened.isEmpty());
    }
    QSettings settings;
    EXPECT_TRUE(settings.contains("UpdateSupressUntil"));
    EXPECT_TRUE(settings.contains("NewsSupressUntil"));
    EXPECT_FALSE(settings.contains("NewsCache"));   // not read: offered again after the day

    TqApp restarted(TqApp::StandAlone);
    adopt(restarted);
    restarted.runStartUpChecks();
    EXPECT_TRUE(settled(restarted));   // nothing sent
    EXPECT_EQ(server_.requestCount("/update.html"), 1);

    BoxAnswerer none({"unused"});
    restarted.checkForNewsSlot();
    EXPECT_EQ(browser_.opened, QList<QUrl>{QUrl(newsPageAddress())});
    ASSERT_TRUE(QTest::qWaitFor([&] { return settled(restarted); }, deadlineMs));
    EXPECT_EQ(server_.requestCount("/news.html"), 2);
    EXPECT_TRUE(none.shown.isEmpty());   // the page is open already: no offer
    EXPECT_TRUE(restarted.newsAvailable());
}

TEST_F(TqAppWebChecks, DownloadNowSaysGoodbyeThenOpensTheDownloadPage) {
    TqApp app(TqApp::StandAlone);
    adopt(app, "/update.html", nullptr);
    BoxAnswerer answerer({"Download Now", "OK"});
    app.runStartUpChecks();
    ASSERT_TRUE(QTest::qWaitFor([&] { return settled(app) && answerer.shown.size() == 2; },
                                deadlineMs));
    EXPECT_EQ(answerer.shown.at(0).title, updateTitle);
    EXPECT_EQ(answerer.shown.at(1).title, QStringLiteral("Zolquist\u2122 - Exiting"));
    EXPECT_EQ(answerer.shown.at(1).text,
              QStringLiteral("<p>The download page will be loaded into your web browser, and "
                             "Zolquist\u2122 will exit automatically ready for you to install "
                             "the latest version.</p>"));
    EXPECT_FALSE(answerer.shown.at(1).hasParent);
    EXPECT_EQ(browser_.opened, QList<QUrl>{QUrl(downloadPageAddress())});
    EXPECT_FALSE(QSettings().contains("UpdateSupressUntil"));
}

TEST_F(TqAppWebChecks, OnlyTheExactWordOffersTheDownload) {
    TqApp app(TqApp::StandAlone);
    adopt(app, "/current.html", nullptr);
    BoxAnswerer answerer({"Remind Me Later"});
    app.runStartUpChecks();
    ASSERT_TRUE(QTest::qWaitFor([&] { return settled(app); }, deadlineMs));
    EXPECT_EQ(server_.requestCount("/current.html"), 1);
    EXPECT_TRUE(answerer.shown.isEmpty());
    EXPECT_FALSE(QSettings().contains("UpdateSupressUntil"));
    EXPECT_TRUE(app.updateCheckerCallbackSlot(QStringLiteral("NotUpToDate"), false));
    EXPECT_TRUE(answerer.shown.isEmpty());
}

TEST_F(TqAppWebChecks, ReadNewsIsNotOfferedAgainUntilItChanges) {
    TqApp app(TqApp::StandAlone);
    adopt(app, nullptr, "/news.html");
    {
        BoxAnswerer answerer({"Yes"});
        app.runStartUpChecks();
        ASSERT_TRUE(QTest::qWaitFor([&] { return settled(app) && answerer.shown.size() == 1; },
                                    deadlineMs));
        EXPECT_EQ(browser_.opened, QList<QUrl>{QUrl(newsPageAddress())});
        EXPECT_TRUE(QSettings().contains("NewsCache"));
    }
    BoxAnswerer answerer({"Yes"});
    app.runStartUpChecks();
    ASSERT_TRUE(QTest::qWaitFor([&] { return settled(app); }, deadlineMs));
    EXPECT_TRUE(answerer.shown.isEmpty());

    server_.answer("/news.html", 200, "OK", "<html>News of the next day</html>");
    app.runStartUpChecks();
    ASSERT_TRUE(QTest::qWaitFor([&] { return settled(app) && answerer.shown.size() == 1; },
                                deadlineMs));
    EXPECT_EQ(server_.requestCount("/news.html"), 3);
}

TEST_F(TqAppWebChecks, NewsOfferAnswers) {
    TqApp app(TqApp::StandAlone);
    adopt(app);
    {
        BoxAnswerer answerer({"Yes"});
        EXPECT_TRUE(app.newsCheckerCallbackSlot(QStringLiteral("<html/>"), false));
        EXPECT_EQ(answerer.shown.size(), 1);
    }
    {
        BoxAnswerer answerer({"Remind Me Later"});
        EXPECT_FALSE(app.newsCheckerCallbackSlot(QStringLiteral("<html/>"), false));
        EXPECT_EQ(answerer.shown.size(), 1);
        EXPECT_TRUE(QSettings().contains("NewsSupressUntil"));
    }
    BoxAnswerer answerer({"Yes"});
    EXPECT_TRUE(app.newsCheckerCallbackSlot(QStringLiteral("<html/>"), true));
    EXPECT_TRUE(answerer.shown.isEmpty());
    EXPECT_EQ(browser_.opened, QList<QUrl>{QUrl(newsPageAddress())});
}

struct AvailabilityCase {
    const char* name;
    const char* path;
    bool signalled;
    bool available;
};

class NewsAvailability : public TqAppWebChecks,
                         public ::testing::WithParamInterface<AvailabilityCase> {};

TEST_P(NewsAvailability, TheNewsEntryFollowsTheStatusOfTheLastReply) {
    server_.answer("/moved", 301, "Moved Permanently", "",
                   "Location: " + server_.address("/news.html").toLatin1() + "\r\n");
    server_.answer("/broken", 500, "Internal Server Error", "");
    server_.dropConnection("/dropped");
    TqApp app(TqApp::StandAlone);
    adopt(app, nullptr, GetParam().path);
    QSignalSpy availability(&app, &TqApp::newsAvailability);
    BoxAnswerer answerer({"Remind Me Later"});
    app.runStartUpChecks();
    ASSERT_TRUE(QTest::qWaitFor([&] { return settled(app); }, deadlineMs));
    ASSERT_EQ(availability.count(), GetParam().signalled ? 1 : 0);
    if (GetParam().signalled) {
        EXPECT_EQ(availability.at(0).at(0).toBool(), GetParam().available);
    }
    EXPECT_EQ(app.newsAvailable(), GetParam().available);
}

INSTANTIATE_TEST_SUITE_P(
    TqAppWebChecks, NewsAvailability,
    ::testing::Values(AvailabilityCase{"ok", "/news.html", true, true},
                      AvailabilityCase{"redirect", "/moved", true, true},
                      AvailabilityCase{"serverError", "/broken", false, false},
                      AvailabilityCase{"notFound", "/missing", false, false},
                      AvailabilityCase{"dropped", "/dropped", false, false}),
    [](const ::testing::TestParamInfo<AvailabilityCase>& info) {
        return std::string(info.param.name);
    });

TEST_F(TqAppWebChecks, HelpMenuPagesOpenInTheBrowser) {
    TqApp app(TqApp::StandAlone);
    app.checkForUpdateSlot();
    EXPECT_EQ(browser_.opened, QList<QUrl>{QUrl(updatePageAddress())});
    // Without a news checker the news entry does nothing.
    app.checkForNewsSlot();
    EXPECT_EQ(browser_.opened.size(), 1);
    openWebPage(app.tutorialsAddress());
    EXPECT_EQ(browser_.opened.last(), QUrl(tutorialsWebAddress()));   // none installed here
    openWebPage(app.helpRootAddress());
    EXPECT_TRUE(browser_.opened.last().isLocalFile());
    EXPECT_TRUE(browser_.opened.last().toLocalFile().endsWith(QLatin1String("/Help/en")));
}

}  // namespace
