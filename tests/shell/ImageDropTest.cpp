#include "shell/AcceptImageDrop.h"
#include "shell/ImageReceiver.h"
#include "shell/NetworkImageGetter.h"

#include "tests/masking/ExifBuilder.h"
#include "tests/shell/LocalFtpServer.h"
#include "tests/shell/DownloadHttpServer.h"
#include "tests/masking/MaskingTestSupport.h"
#include "shell/TqMainWindow.h"

#include <QApplication>
#include <QBuffer>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using zqtest::DownloadHttpServer;
using Behaviour = zqtest::DownloadHttpServer::Behaviour;

namespace {

constexpr int deadlineMs = 15000;

QByteArray pngBytes(int width, int height) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    zqtest::quadrantImage(width, height).save(&buffer, "PNG");
    return bytes;
}

DownloadHttpServer::Answer png(int width, int height) {
    return {Behaviour::Answer, 200, "image/png", pngBytes(width, height)};
}

// The warning boxes showing now: their texts, and they are closed.
QStringList takeWarnings() {
    QStringList texts;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box && box->isVisible()) {
            texts.append(box->windowTitle() + QStringLiteral(": ") + box->text());
            box->done(QMessageBox::Ok);
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return texts;
}

QProgressDialog* progressDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QProgressDialog*>(widget))
            return dialog;
    return nullptr;
}

DownloadHttpServer::Answer only(Behaviour behaviour) {
    DownloadHttpServer::Answer answer;
    answer.behaviour = behaviour;
    return answer;
}

const QString noImage = QStringLiteral("Image dropped: Image could not be opened");

// Runs a receiver on `mimeData` to its end and tells what it handed over.
struct Outcome {
    std::vector<NamedImage> delivered;
    QStringList warnings;
};

Outcome receive(const QMimeData& mimeData) {
    auto* receiver = new ImageReceiver(&mimeData);
    QSignalSpy done(receiver, &ImageReceiver::finished);
    Outcome outcome;
    QObject::connect(receiver, &ImageReceiver::bestImage,
                     [&outcome](NamedImage image) { outcome.delivered.push_back(image); });
    receiver->start();
    if (done.isEmpty()) {
        EXPECT_TRUE(done.wait(deadlineMs)) << "the receiver never finished";
    }
    outcome.warnings = takeWarnings();
    delete receiver;
    return outcome;
}

class ImageDrop : public ::testing::Test {
protected:
    QString localPng(const QString& name, int width, int height) {
        const QString path = folder_.filePath(name);
        EXPECT_TRUE(zqtest::quadrantImage(width, height).save(path));
        return path;
    }
    QTemporaryDir folder_;
    DownloadHttpServer server_;
};

}  // namespace

TEST_F(ImageDrop, LargestPictureOfTheDropWinsAndTheEarlierOneOnATie) {
    server_.setAnswer("/big.png", png(200, 100));
    const QUrl first = QUrl::fromLocalFile(localPng("first.png", 100, 50));
    const QUrl second = QUrl::fromLocalFile(localPng("second.png", 50, 100));
    struct Case {
        const char* name;
        bool thumbnail;
        QList<QUrl> urls;
        QUrl expectedUrl;
        QSize expectedSize;
    };
    const std::vector<Case> cases = {
        {"thumbnail and its full picture", true, {server_.url("/big.png")}, server_.url("/big.png"),
         {200, 100}},
        {"thumbnail and a failed download", true, {server_.url("/missing.png")}, QUrl(), {40, 30}},
        {"two files of one area", false, {first, second}, first, {100, 50}},
        {"files and a download", false, {second, server_.url("/big.png"), first},
         server_.url("/big.png"), {200, 100}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        QMimeData mimeData;
        if (row.thumbnail)
            mimeData.setImageData(zqtest::quadrantImage(40, 30));
        mimeData.setUrls(row.urls);
        const Outcome outcome = receive(mimeData);
        ASSERT_EQ(outcome.delivered.size(), 1u);
        EXPECT_EQ(outcome.delivered[0].url(), row.expectedUrl);
        EXPECT_EQ(outcome.delivered[0].size(), row.expectedSize);
        EXPECT_EQ(outcome.delivered[0].format(), QImage::Format_ARGB32);
        EXPECT_TRUE(outcome.warnings.isEmpty());
    }
}

TEST_F(ImageDrop, LocalFilesOpenWithoutProgressDialogAndBoundedAndUpright) {
    const QString turned = folder_.filePath("turned.jpg");
    ASSERT_TRUE(zqtest::writeFile(turned, zqtest::orientedJpeg(zqtest::quadrantImage(3000, 1000), 6, 70)));
    QMimeData mimeData;
    mimeData.setUrls({QUrl::fromLocalFile(turned)});
    auto* receiver = new ImageReceiver(&mimeData);
    QSignalSpy delivered(receiver, &ImageReceiver::bestImage);
    receiver->start();
    EXPECT_EQ(progressDialog(), nullptr);
    ASSERT_EQ(delivered.size(), 1);
    const NamedImage image = delivered[0][0].value<NamedImage>();
    EXPECT_EQ(image.size(), QSize(427, 1280));
    EXPECT_EQ(zqtest::quadrantColour(image.pixel(0, 0)), 'B');
    EXPECT_EQ(image.fileName(), QStringLiteral("turned.jpg"));
    delete receiver;
}

TEST_F(ImageDrop, DroppedImageDataIsBoundedToo) {
    QMimeData mimeData;
    mimeData.setImageData(zqtest::quadrantImage(2560, 100));
    const Outcome outcome = receive(mimeData);
    ASSERT_EQ(outcome.delivered.size(), 1u);
    EXPECT_EQ(outcome.delivered[0].size(), QSize(1280, 50));
}

TEST_F(ImageDrop, AddressesInsideQueryStringsAreFetchedInsteadOfTheirPage) {
    server_.setAnswer("/big.png", png(64, 48));
    struct Case {
        const char* name;
        QString dropped;
        QStringList expectedRequests;
        bool image;
    };
    const std::vector<Case> cases = {
        {"search result link",
         server_.url("/search").toString() + "?q=cat&imgurl=" + server_.url("/big.png").toString() +
             "&w=64",
         {"HEAD /big.png", "GET /big.png"}, true},
        {"query without an address", server_.url("/page").toString() + "?q=cat&page=2", {}, false},
        {"secure web address", QStringLiteral("https://127.0.0.1:1/big.png"), {}, false},
        {"mail address", QStringLiteral("mailto:someone@example.com"), {}, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        const int before = server_.requests().size();
        QMimeData mimeData;
        mimeData.setUrls({QUrl(row.dropped)});
        const Outcome outcome = receive(mimeData);
        EXPECT_EQ(server_.requests().mid(before), row.expectedRequests);
        EXPECT_EQ(outcome.delivered.size(), row.image ? 1u : 0u);
        EXPECT_EQ(outcome.warnings, row.image ? QStringList() : QStringList{noImage});
    }
}

TEST_F(ImageDrop, ContentTypeOfTheHeaderDecidesWhetherTheContentIsFetched) {
    server_.setAnswer("/page", {Behaviour::Answer, 200, "text/html", "<html></html>"});
    server_.setAnswer("/odd", {Behaviour::Answer, 200, "image/x-zolquist-unknown", "???"});
    server_.setAnswer("/broken", {Behaviour::Answer, 200, "image/png", "not a png at all"});
    server_.setAnswer("/jpeg", {Behaviour::Answer, 200, "image/jpeg",
                                zqtest::orientedJpeg(zqtest::quadrantImage(32, 16), 8)});
    server_.setAnswer("/large", png(2000, 1000));
    struct Case {
        const char* path;
        QStringList requests;
        const char* logged;   // null: no line of the getter at all
        QSize image;
        char topLeft;         // quadrant colour of the delivered picture's first pixel
    };
    const std::vector<Case> cases = {
        {"/page", {"HEAD /page"}, nullptr, {}, 0},
        {"/odd", {"HEAD /odd"}, "Unsupported content type: image/x-zolquist-unknown", {}, 0},
        {"/broken", {"HEAD /broken", "GET /broken"}, ", format: png", {}, 0},
        {"/jpeg", {"HEAD /jpeg", "GET /jpeg"}, nullptr, {16, 32}, 'G'},   // turned anticlockwise
        {"/large", {"HEAD /large", "GET /large"}, nullptr, {1280, 640}, 'R'},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.path);
        const int before = server_.requests().size();
        zqtest::LogWatch log;
        QMimeData mimeData;
        mimeData.setUrls({server_.url(row.path)});
        const Outcome outcome = receive(mimeData);
        EXPECT_EQ(server_.requests().mid(before), row.requests);
        const QString text = log.newText();
        if (row.logged) {
            EXPECT_TRUE(text.contains("NetworkImageGetter: Failed to load image" +
                                      server_.url(row.path).toString()));
            EXPECT_TRUE(text.contains(QString::fromLatin1(row.logged))) << text.toStdString();
        } else {
            EXPECT_FALSE(text.contains("NetworkImageGetter")) << text.toStdString();
        }
        if (row.image.isValid()) {
            ASSERT_EQ(outcome.delivered.size(), 1u);
            EXPECT_EQ(outcome.delivered[0].size(), row.image);
            EXPECT_EQ(zqtest::quadrantColour(outcome.delivered[0].pixel(0, 0)), row.topLeft);
            EXPECT_EQ(outcome.delivered[0].format(), QImage::Format_ARGB32);
        } else {
            EXPECT_TRUE(outcome.delivered.empty());
            EXPECT_EQ(outcome.warnings, QStringList{noImage});
        }
    }
}

struct CancelCase {
    const char* name;
    bool thumbnail;
    DownloadHttpServer::Answer released;
    const char* label;
    QStringList warningsAtCancel;
    QSize firstDelivery;     // invalid: none at cancel
    QStringList warningsAtEnd;
    int deliveries;
    QSize lastDelivery;
};

TEST_F(ImageDrop, CancelHandsOverWhatThereIsAndLaterResultsFollowTheRules) {
    const std::vector<CancelCase> cases = {
        {"cancel before an image, then one arrives", false, png(30, 20),
         "Loading images from the Internet", {noImage}, {}, {}, 1, {30, 20}},
        {"cancel before an image, then all fail", false,
         {Behaviour::Answer, 404, "text/html", "gone"}, "Loading images from the Internet",
         {noImage}, {}, {noImage}, 0, {}},
        {"cancel after the thumbnail", true, png(300, 200), "Searching for larger image", {},
         {40, 30}, {}, 1, {40, 30}},
    };
    for (const CancelCase& row : cases) {
        SCOPED_TRACE(row.name);
        const QString path = QStringLiteral("/held%1.png").arg(&row - cases.data());
        server_.setAnswer(path, only(Behaviour::Held));
        QMimeData mimeData;
        if (row.thumbnail)
            mimeData.setImageData(zqtest::quadrantImage(40, 30));
        mimeData.setUrls({server_.url(path)});
        auto* receiver = new ImageReceiver(&mimeData);
        QSignalSpy done(receiver, &ImageReceiver::finished);
        std::vector<NamedImage> delivered;
        QObject::connect(receiver, &ImageReceiver::bestImage,
                         [&delivered](NamedImage image) { delivered.push_back(image); });
        receiver->start();
        QProgressDialog* dialog = progressDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->labelText(), QString::fromLatin1(row.label));
        EXPECT_EQ(dialog->maximum(), 1);
        // Wait until the header request reached the server, then press Cancel.
        for (int waited = 0; !server_.requests().contains("HEAD " + path); waited += 10) {
            ASSERT_LT(waited, deadlineMs) << "no request arrived";
            QTest::qWait(10);
        }
        auto* cancel = dialog->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
        EXPECT_EQ(takeWarnings(), row.warningsAtCancel);
        ASSERT_EQ(delivered.size(), row.firstDelivery.isValid() ? 1u : 0u);
        if (row.firstDelivery.isValid()) {
            EXPECT_EQ(delivered[0].size(), row.firstDelivery);
        }
        EXPECT_TRUE(done.isEmpty()) << "the download is still running";

        server_.release(path, row.released);
        ASSERT_TRUE(done.wait(deadlineMs));
        EXPECT_EQ(takeWarnings(), row.warningsAtEnd);
        ASSERT_EQ(int(delivered.size()), row.deliveries);
        if (row.deliveries > 0) {
            EXPECT_EQ(delivered.back().size(), row.lastDelivery);
        }
        delete receiver;
        EXPECT_EQ(progressDialog(), nullptr) << "the receiver takes its dialog with it";
    }
}

struct LimitCase {
    const char* name;
    DownloadHttpServer::Answer answer;
    QStringList requests;
    const char* logged;
};

TEST_F(ImageDrop, StalledAndOversizedDownloadsAreGivenUp) {
    const std::vector<LimitCase> cases = {
        {"stalls before the header", only(Behaviour::Stall), {"HEAD /x"}, nullptr},
        {"announces more than the limit",
         {Behaviour::Answer, 200, "image/png", "tiny", 300 * 1024}, {"HEAD /x"}, "Download stopped"},
        {"streams past the limit", only(Behaviour::Endless), {"HEAD /x", "GET /x"}, "Download stopped"},
    };
    for (const LimitCase& row : cases) {
        SCOPED_TRACE(row.name);
        DownloadHttpServer server;
        server.setAnswer("/x", row.answer);
        zqtest::LogWatch log;
        // The limits of a real download (20 s, 64 MB) made small, so the test stays quick.
        auto getter = std::make_unique<NetworkImageGetter>(server.url("/x"), 300, 256 * 1024);
        QSignalSpy received(getter.get(), &NetworkImageGetter::imageReceived);
        QSignalSpy finished(getter.get(), &NetworkImageGetter::finished);
        getter->start();
        ASSERT_TRUE(finished.wait(deadlineMs));
        EXPECT_EQ(finished.size(), 1);
        EXPECT_TRUE(received.isEmpty());
        EXPECT_EQ(server.requests(), row.requests);
        if (row.logged) {
            EXPECT_TRUE(log.newText().contains(QString::fromLatin1(row.logged)))
                << log.newText().toStdString();
        }
    }
}

TEST_F(ImageDrop, DropHandsPicturesAndTextToTheMainWindow) {
    QSettings().setValue(QStringLiteral("OnImageLoad"), 2);   // a picture becomes an item
    auto* window = new TqMainWindow();
    struct Case {
        const char* name;
        std::function<void(QMimeData&)> fill;
        bool accepted;
        const char* logged;
    };
    const std::vector<Case> cases = {
        {"nothing usable", [](QMimeData& m) { m.setData("application/x-other", "1"); }, false,
         nullptr},
        {"text only", [](QMimeData& m) { m.setText("Hello there"); }, true,
         "received text at (3.5, 4): Hello there"},
        {"image data", [](QMimeData& m) { m.setImageData(zqtest::quadrantImage(12, 10)); }, true,
         "received image  (12 x 10)"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        QMimeData mimeData;
        row.fill(mimeData);
        QDropEvent event(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &mimeData, Qt::LeftButton,
                         Qt::NoModifier);
        event.ignore();
        zqtest::LogWatch log;
        acceptImageDrop(&event, QPointF(3.5, 4));
        EXPECT_EQ(event.isAccepted(), row.accepted);
        if (row.accepted) {
            EXPECT_EQ(event.dropAction(), event.proposedAction());
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (row.logged) {
            EXPECT_TRUE(log.newText().contains(QString::fromLatin1(row.logged)))
                << log.newText().toStdString();
        }
    }
    delete window;
}

TEST_F(ImageDrop, FtpAddressIsFetchedAtOnceAndItsFormatToldFromTheContent) {
    zqtest::LocalFtpServer ftp;
    ftp.setFile("/pictures/photo.png", pngBytes(48, 24));
    ftp.setFile("/pictures/notes.png", "no picture in here");
    struct Case {
        const char* path;
        QSize image;
        const char* logged;
    };
    const std::vector<Case> cases = {
        {"/pictures/photo.png", {48, 24}, nullptr},
        {"/pictures/notes.png", {}, ", format: "},
        {"/pictures/missing.png", {}, nullptr},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.path);
        zqtest::LogWatch log;
        QMimeData mimeData;
        mimeData.setUrls({ftp.url(row.path)});
        const Outcome outcome = receive(mimeData);
        if (row.image.isValid()) {
            ASSERT_EQ(outcome.delivered.size(), 1u) << ftp.commands().join(' ').toStdString();
            EXPECT_EQ(outcome.delivered[0].size(), row.image);
            EXPECT_EQ(outcome.delivered[0].fileName(), QStringLiteral("photo.png"));
            EXPECT_TRUE(ftp.commands().contains("RETR"));
        } else {
            EXPECT_TRUE(outcome.delivered.empty());
            EXPECT_EQ(outcome.warnings, QStringList{noImage});
        }
        if (row.logged) {
            EXPECT_TRUE(log.newText().contains(QString::fromLatin1(row.logged)))
                << log.newText().toStdString();
        }
    }
}
