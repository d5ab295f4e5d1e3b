#include "LocalHttpServer.h"

#include "shell/HttpRequest.h"
#include "common/LogStream.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Generous: meant for a hung exchange, not as a speed limit.
constexpr int deadlineMs = 60000;

QString wholeLog() {
    if (!theLogStream)
        return QString();
    QFile log(theLogStream->filePath());
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

/// Records what a check's `response` delivered and answers with `verdict`.
struct Receiver {
    explicit Receiver(HttpRequest& request) {
        QObject::connect(&request, &HttpRequest::response, [this](QString result, bool forced) {
            bodies.append(result);
            forcedFlags.append(forced);
            return verdict;
        });
    }
    QStringList bodies;
    QList<bool> forcedFlags;
    bool verdict = true;
};

class HttpRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.isListening());
        QSettings settings;
        for (const char* key : {"UpdateSupressUntil", "NewsSupressUntil", "NewsCache", "TestCache",
                                "TestSupressUntil"})
            settings.remove(QLatin1String(key));
    }

    /// Starts the request and waits until its reply was handled.
    void fetch(HttpRequest& request, bool force = false) {
        request.kickOffTransfer(force);
        ASSERT_TRUE(request.isPending());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !request.isPending(); }, deadlineMs));
    }

    LocalHttpServer server_;
};

TEST_F(HttpRequestTest, UpdatePageReachesTheReceiverWithItsBody) {
    server_.answer("/current/" ZQ_VERSION ".-win.html", 200, "OK", "<p>notuptodate</p>");
    HttpRequest update(server_.address("/current/" ZQ_VERSION ".-win.html"), "Update", false);
    Receiver receiver(update);
    QSignalSpy statuses(&update, &HttpRequest::httpStatusCode);
    ASSERT_NO_FATAL_FAILURE(fetch(update));
    EXPECT_EQ(receiver.bodies, QStringList{"<p>notuptodate</p>"});
    EXPECT_EQ(receiver.forcedFlags, QList<bool>{false});
    ASSERT_EQ(statuses.count(), 1);
    EXPECT_EQ(statuses.at(0).at(0).toInt(), 200);
    EXPECT_EQ(update.httpStatus(), 200);
    EXPECT_EQ(update.reasonPhrase(), QStringLiteral("OK"));
    // Not a caching check: the same page is delivered every time.
    ASSERT_NO_FATAL_FAILURE(fetch(update));
    EXPECT_EQ(receiver.bodies.size(), 2);
    EXPECT_FALSE(QSettings().contains("UpdateCache"));
}

TEST_F(HttpRequestTest, BodyIsDecodedAsUtf8) {
    server_.answer("/u", 200, "OK", QString::fromUtf8("caf\u00e9 \u2122").toUtf8());
    HttpRequest request(server_.address("/u"), "Update", false);
    Receiver receiver(request);
    ASSERT_NO_FATAL_FAILURE(fetch(request));
    EXPECT_EQ(receiver.bodies, QStringList{QString::fromUtf8("caf\u00e9 \u2122")});
}

TEST_F(HttpRequestTest, SeenNewsIsNotDeliveredAgainUntilItsHtmlBlockChanges) {
    const QByteArray page = "header <html><body>News one</body></html> trailer";
    server_.answer("/news.html", 200, "OK", page);
    HttpRequest news(server_.address("/news.html"), "News", true);
    Receiver receiver(news);
    ASSERT_NO_FATAL_FAILURE(fetch(news));
    ASSERT_EQ(receiver.bodies.size(), 1);
    EXPECT_EQ(QSettings().value("NewsCache").toByteArray(),
              QCryptographicHash::hash("<html><body>News one</body></html>",
                                       QCryptographicHash::Md5));

    ASSERT_NO_FATAL_FAILURE(fetch(news));
    EXPECT_EQ(receiver.bodies.size(), 1);
    // Outside the block nothing counts.
    server_.answer("/news.html", 200, "OK", "other <html><body>News one</body></html> text");
    ASSERT_NO_FATAL_FAILURE(fetch(news));
    EXPECT_EQ(receiver.bodies.size(), 1);
    // One byte inside it does.
    server_.answer("/news.html", 200, "OK", "<html><body>News 0ne</body></html>");
    ASSERT_NO_FATAL_FAILURE(fetch(news));
    EXPECT_EQ(receiver.bodies.size(), 2);
    // Forced, the same news is delivered anyway.
    ASSERT_NO_FATAL_FAILURE(fetch(news, true));
    EXPECT_EQ(receiver.bodies.size(), 3);
    EXPECT_EQ(receiver.forcedFlags.last(), true);
}

TEST_F(HttpRequestTest, NewsTheUserDidNotReadIsDeliveredAgain) {
    server_.answer("/news.html", 200, "OK", "<html>x</html>");
    HttpRequest news(server_.address("/news.html"), "News", true);
    Receiver receiver(news);
    receiver.verdict = false;
    ASSERT_NO_FATAL_FAILURE(fetch(news));
    ASSERT_NO_FATAL_FAILURE(fetch(news));
    EXPECT_EQ(receiver.bodies.size(), 2);
    EXPECT_FALSE(QSettings().contains("NewsCache"));
}

TEST_F(HttpRequestTest, PageWithoutAnHtmlBlockIsDeliveredEveryTimeFromAFreshStart) {
    for (const QByteArray& body : {QByteArray("plain news"), QByteArray("</html> before <html"),
                                   QByteArray("<html> never closed"), QByteArray()}) {
        SCOPED_TRACE(body.toStdString());
        QSettings().remove("NewsCache");
        server_.answer("/news.html", 200, "OK", body);
        HttpRequest news(server_.address("/news.html"), "News", true);
        Receiver receiver(news);
        ASSERT_NO_FATAL_FAILURE(fetch(news));
        ASSERT_NO_FATAL_FAILURE(fetch(news));
        EXPECT_EQ(receiver.bodies.size(), 2);
    }
}

TEST_F(HttpRequestTest, NobodyConnectedMeansNotSeen) {
    server_.answer("/news.html", 200, "OK", "<html>x</html>");
    HttpRequest news(server_.address("/news.html"), "News", true);
    ASSERT_NO_FATAL_FAILURE(fetch(news));
    EXPECT_FALSE(QSettings().contains("NewsCache"));
}

struct StatusCase {
    const char* name;
    const char* path;
    int statusSignalled;   // 0: no status signal
    bool delivered;
    const char* logged;
};

class ReplyKinds : public HttpRequestTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(ReplyKinds, OnlyA200IsDeliveredAndEveryEndLeavesNothingPending) {
    server_.answer("/ok", 200, "OK", "<html>ok</html>");
    server_.answer("/moved", 301, "Moved Permanently", "",
                   "Location: " + server_.address("/ok").toLatin1() + "\r\n");
    server_.answer("/error", 500, "Internal Server Error", "<html>oops</html>");
    server_.answer("/empty", 204, "No Content", "");
    server_.dropConnection("/dropped");
    const StatusCase& row = GetParam();
    HttpRequest news(server_.address(row.path), "News", true);
    Receiver receiver(news);
    QSignalSpy statuses(&news, &HttpRequest::httpStatusCode);
    ASSERT_NO_FATAL_FAILURE(fetch(news));
    if (row.statusSignalled) {
        ASSERT_EQ(statuses.count(), 1);
        EXPECT_EQ(statuses.at(0).at(0).toInt(), row.statusSignalled);
    } else {
        EXPECT_EQ(statuses.count(), 0);
    }
    EXPECT_EQ(receiver.bodies.size(), row.delivered ? 1 : 0);
    EXPECT_TRUE(wholeLog().contains(QString::fromUtf8(row.logged))) << row.logged;
    // A redirect is never followed.
    EXPECT_EQ(server_.requestCount("/ok"), QString(row.path) == "/ok" ? 1 : 0);
    // Nothing is left pending: the next start sends again. (Qt itself may send a request a
    // second time when the connection closes unanswered.)
    const int sent = server_.requestCount(row.path);
    ASSERT_NO_FATAL_FAILURE(fetch(news, true));
    EXPECT_GT(server_.requestCount(row.path), sent);
}

INSTANTIATE_TEST_SUITE_P(
    HttpRequest, ReplyKinds,
    ::testing::Values(
        StatusCase{"ok", "/ok", 200, true, "News Current : "},
        StatusCase{"redirect", "/moved", 301, false,
                   "non-200 status code 301 - Moved Permanently"},
        StatusCase{"noContent", "/empty", 204, false, "non-200 status code 204 - No Content"},
        // The network layer reports statuses from 400 on as failures of the transfer.
        StatusCase{"serverError", "/error", 0, false, "Error getting URL: http://127.0.0.1:"},
        StatusCase{"notFound", "/missing", 0, false, "Error getting URL: http://127.0.0.1:"},
        StatusCase{"dropped", "/dropped", 0, false, "Error getting URL: http://127.0.0.1:"}),
    [](const ::testing::TestParamInfo<StatusCase>& info) { return std::string(info.param.name); });

TEST_F(HttpRequestTest, SuppressionHoldsAcrossARestartButNotAgainstAForcedFetch) {
    server_.answer("/u", 200, "OK", "notuptodate");
    const QDateTime before = QDateTime::currentDateTime();
    {
        HttpRequest update(server_.address("/u"), "Update", false);
        update.supress(1);
    }
    const uint until = QSettings().value("UpdateSupressUntil").toUInt();
    // A day from when it was asked for, to the second.
    EXPECT_GE(until, uint(before.addDays(1).toSecsSinceEpoch()));
    EXPECT_LE(until, uint(QDateTime::currentDateTime().addDays(1).toSecsSinceEpoch()));
    EXPECT_TRUE(wholeLog().contains("Update supressed until "));

    HttpRequest restarted(server_.address("/u"), "Update", false);
    EXPECT_TRUE(restarted.isSuppressed());
    restarted.kickOffTransfer();
    EXPECT_FALSE(restarted.isPending());
    // Another check keeps its own date.
    HttpRequest news(server_.address("/u"), "News", true);
    EXPECT_FALSE(news.isSuppressed());

    Receiver receiver(restarted);
    ASSERT_NO_FATAL_FAILURE(fetch(restarted, true));
    EXPECT_EQ(receiver.bodies.size(), 1);
    EXPECT_EQ(server_.requestCount("/u"), 1);
}

TEST_F(HttpRequestTest, ASuppressionDateInThePastSuppressesNothing) {
    QSettings().setValue("UpdateSupressUntil",
                         uint(QDateTime::currentDateTime().addDays(-1).toSecsSinceEpoch()));
    HttpRequest update(server_.address("/u"), "Update", false);
    EXPECT_FALSE(update.isSuppressed());
}

TEST_F(HttpRequestTest, OneRequestAtATime) {
    server_.answer("/u", 200, "OK", "body");
    HttpRequest update(server_.address("/u"), "Update", false);
    Receiver receiver(update);
    update.kickOffTransfer();
    update.kickOffTransfer(true);   // only changes the flag of the request under way
    ASSERT_TRUE(QTest::qWaitFor([&] { return !update.isPending(); }, deadlineMs));
    EXPECT_EQ(server_.requestCount("/u"), 1);
    EXPECT_EQ(receiver.forcedFlags, QList<bool>{true});
}

TEST_F(HttpRequestTest, DestroyedWhileARequestIsUnderWay) {
    server_.answer("/u", 200, "OK", "body");
    auto update = std::make_unique<HttpRequest>(server_.address("/u"), "Update", false);
    update->kickOffTransfer();
    ASSERT_TRUE(update->isPending());
    update.reset();
    // Let the server see the connection go; nothing may reach the deleted request.
    QTest::qWait(50);
    SUCCEED();
}

}  // namespace
