#include "CompositionFixture.h"
#include "ModalDialogCloser.h"
#include "TestPixmapItem.h"
#include "composition/scene/FinalImageAssembler.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/ItemController.h"
#include "common/ShellUtilities.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace {

using FrolixObjectTest = CompositionFixture;

TEST_F(FrolixObjectTest, CanvasChangesAnnounceOldRectangleFirstAndRepeatsAreSilent) {
    FrolixObject* document = FrolixObject::instance();
    QList<QString> order;
    QRect oldSeen;
    QObject receiver;
    QObject::connect(document, &FrolixObject::canvasChanged, &receiver,
                     [&](const QRect&, const QRect& old) {
                         order << "canvasChanged";
                         oldSeen = old;
                     });
    QObject::connect(document, &FrolixObject::updateView, &receiver,
                     [&](const QRect&) { order << "updateView"; });

    document->setCanvasRect(QRect(0, 0, 400, 300));
    EXPECT_TRUE(order.isEmpty());

    document->setCanvasRect(QRect(0, 0, 640, 480));
    EXPECT_EQ(order, (QList<QString>{"canvasChanged", "updateView"}));
    EXPECT_EQ(oldSeen, QRect(0, 0, 400, 300));
    EXPECT_EQ(document->canvasRect(), QRect(0, 0, 640, 480));
}

TEST_F(FrolixObjectTest, ModifiedFollowsChangesAndSaves) {
    FrolixObject* document = FrolixObject::instance();
    TestPixmapItem* item = addItem(QSize(50, 50), Qt::red, QPointF(10, 10));
    document->reset();
    EXPECT_FALSE(document->isModified());
    EXPECT_FALSE(document->isModified()) << "an unchanged scene renders the same digest";

    item->setPos(11, 10);
    EXPECT_TRUE(document->isModified());

    QTemporaryDir folder;
    ASSERT_TRUE(document->saveFinalImage(folder.filePath("picture.png")));
    EXPECT_FALSE(document->isModified());
}

struct SaveCase {
    const char* fileName;
    bool saved;
    const char* format;   // as the reader sees it, "" when nothing is written
};

class SaveFormats : public CompositionFixture, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveFormats, SuffixChoosesTheFormatOrRefuses) {
    const SaveCase& c = GetParam();
    FrolixObject* document = FrolixObject::instance();
    addItem(QSize(40, 30), Qt::blue, QPointF(100, 100));
    document->reset();
    addItem(QSize(40, 30), Qt::green, QPointF(10, 10));
    const QByteArray before = document->savedChecksum();
    QTemporaryDir folder;
    const QString path = folder.filePath(c.fileName);

    EXPECT_EQ(document->saveFinalImage(path), c.saved);
    EXPECT_EQ(QFileInfo::exists(path), c.saved);
    if (c.saved) {
        QImageReader reader(path);
        EXPECT_EQ(reader.format(), QByteArray(c.format));
        EXPECT_EQ(reader.size(), QSize(400, 300));
        EXPECT_NE(document->savedChecksum(), before);
    } else {
        EXPECT_EQ(document->savedChecksum(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(FrolixObject, SaveFormats,
                         ::testing::Values(SaveCase{"a.png", true, "png"},
                                           SaveCase{"a.PNG", true, "png"},
                                           SaveCase{"a.jpg", true, "jpeg"},
                                           SaveCase{"a.jpeg", true, "jpeg"},
                                           SaveCase{"a.pdf", false, ""},
                                           SaveCase{"a.bmp", false, ""},
                                           SaveCase{"noSuffix", false, ""}));

TEST_F(FrolixObjectTest, SavedPngHoldsTheRenderingAndJpegIsClose) {
    FrolixObject* document = FrolixObject::instance();
    TestPixmapItem* item = addItem(QSize(100, 80), QColor(200, 30, 40), QPointF(50, 60));
    item->setSelected(true);   // no frame or handle may reach the file
    QTemporaryDir folder;
    ASSERT_TRUE(document->saveFinalImage(folder.filePath("a.png")));
    ASSERT_TRUE(document->saveFinalImage(folder.filePath("a.jpg")));

    const QImage rendering = renderFinalPixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage png = QImage(folder.filePath("a.png")).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(png, rendering);
    EXPECT_EQ(imageChecksum(rendering), document->savedChecksum());

    const QImage jpeg(folder.filePath("a.jpg"));
    ASSERT_EQ(jpeg.size(), QSize(400, 300));
    EXPECT_TRUE(closeColours(jpeg.pixelColor(100, 100), QColor(200, 30, 40), 12));
    EXPECT_TRUE(closeColours(jpeg.pixelColor(300, 250), Qt::white, 12));
    EXPECT_TRUE(item->isSelected());
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

TEST_F(FrolixObjectTest, FailedSaveKeepsTheExistingFileAndChecksum) {
    FrolixObject* document = FrolixObject::instance();
    addItem(QSize(10, 10), Qt::red);
    const QByteArray before = document->savedChecksum();
    QTemporaryDir folder;

    // A refused format leaves a file of that name alone.
    const QString pdf = folder.filePath("kept.pdf");
    writeFile(pdf, "earlier pdf");
    EXPECT_FALSE(document->saveFinalImage(pdf));
    EXPECT_EQ(readFile(pdf), QByteArray("earlier pdf"));

    // A missing folder.
    EXPECT_FALSE(document->saveFinalImage(folder.filePath("missing/sub/a.png")));
    EXPECT_EQ(document->savedChecksum(), before);

    // A folder that takes no new files: the atomic write cannot make its temporary file, so
    // the old picture stays whole. (Superusers write anyway; then there is nothing to see.)
    const QString existing = folder.filePath("kept.png");
    writeFile(existing, "earlier content");
    ASSERT_TRUE(QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool saved = document->saveFinalImage(existing);
    QFile::setPermissions(folder.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!saved) {
        EXPECT_EQ(readFile(existing), QByteArray("earlier content"));
        EXPECT_EQ(document->savedChecksum(), before);
    } else {
        EXPECT_EQ(::geteuid(), 0u) << "an unwritable folder took the file";
    }
}

// Files of this process may not grow past a size while it lives: a write beyond fails with
// EFBIG, as on a full disk (the signal such a write raises is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : previous_(::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = std::min(bytes, saved_.rlim_max);
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    sighandler_t previous_;
};

TEST_F(FrolixObjectTest, FullDiskKeepsTheEarlierPictureLeavesNoPartialFileAndSaysWhy) {
    FrolixObject* document = FrolixObject::instance();
    addItem(QSize(60, 40), Qt::red);
    QTemporaryDir folder;
    for (const char* suffix : {"png", "jpg"}) {
        SCOPED_TRACE(suffix);
        const QString whole = folder.filePath(QStringLiteral("whole.%1").arg(suffix));
        ASSERT_TRUE(document->saveFinalImage(whole));
        const qint64 size = QFileInfo(whole).size();
        const QString existing = folder.filePath(QStringLiteral("kept.%1").arg(suffix));
        const QString fresh = folder.filePath(QStringLiteral("fresh.%1").arg(suffix));
        writeFile(existing, "earlier content");
        const QStringList before = QDir(folder.path()).entryList(QDir::Files);
        // No room at all, room for the header only, and one byte short.
        for (const qint64 limit : {qint64(0), qint64(60), size / 2, size - 1}) {
            SCOPED_TRACE(limit);
            const QByteArray checksum = document->savedChecksum();
            QString problemOverwriting, problemNew;
            bool overwritten = false, written = false;
            {
                const FileSizeLimit full{rlim_t(limit)};
                overwritten = document->saveFinalImage(existing, &problemOverwriting);
                written = document->saveFinalImage(fresh, &problemNew);
            }
            EXPECT_FALSE(overwritten);
            EXPECT_FALSE(written);
            EXPECT_EQ(readFile(existing), QByteArray("earlier content"));
            EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), before);
            EXPECT_EQ(document->savedChecksum(), checksum);
            for (const QString& problem : {problemOverwriting, problemNew})
                EXPECT_TRUE(problem.contains(QStringLiteral("disk may be full"))) << problem.toStdString();
        }
    }
}

TEST_F(FrolixObjectTest, StartAndEndCompositionSetTheOpenFlag) {
    FrolixObject* document = FrolixObject::instance();
    addItem(QSize(10, 10), Qt::red);
    document->endComposition();
    EXPECT_FALSE(document->isCompositionOpen());
    EXPECT_FALSE(document->isModified()) << "ending resets the saved state";

    document->startComposition();
    EXPECT_TRUE(document->isCompositionOpen());
    EXPECT_TRUE(liveItems.isEmpty()) << "starting clears the canvas";
}

struct OrientationCase {
    QSize canvas;
    QPageLayout::Orientation orientation;
};

class PrintOrientation : public CompositionFixture,
                         public ::testing::WithParamInterface<OrientationCase> {};

TEST_P(PrintOrientation, FollowsTheCanvasAndACancelledDialogPrintsNothing) {
    ItemController::instance()->setCanvasSize(GetParam().canvas);
    QPageLayout::Orientation offered = QPageLayout::Orientation(-1);
    QString title;
    ModalDialogCloser closer(
        [&](QDialog* dialog) {
            auto* printDialog = qobject_cast<QPrintDialog*>(dialog);
            ASSERT_NE(printDialog, nullptr);
            offered = printDialog->printer()->pageLayout().orientation();
            title = printDialog->windowTitle();
        },
        QDialog::Rejected);
    FrolixObject::instance()->printSlot();
    EXPECT_EQ(closer.closed(), 1);
    EXPECT_EQ(offered, GetParam().orientation);
    EXPECT_EQ(title, QString("Print Image"));
}

INSTANTIATE_TEST_SUITE_P(FrolixObject, PrintOrientation,
                         ::testing::Values(OrientationCase{{400, 300}, QPageLayout::Landscape},
                                           OrientationCase{{300, 400}, QPageLayout::Portrait},
                                           OrientationCase{{300, 300}, QPageLayout::Portrait}));

TEST_F(FrolixObjectTest, PrintsIntoPdfQuietlyAndKeepsTheSelection) {
    TestPixmapItem* item = addItem(QSize(60, 60), Qt::red, QPointF(20, 20));
    item->setSelected(true);
    QSignalSpy selection(view->itemScene(), &QGraphicsScene::selectionChanged);
    QTemporaryDir folder;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder.filePath("print.pdf"));

    EXPECT_TRUE(FrolixObject::instance()->printFinalImage(&printer));
    EXPECT_GT(QFileInfo(folder.filePath("print.pdf")).size(), 0);
    EXPECT_TRUE(item->isSelected());
    EXPECT_EQ(FrolixItem::selectedItems(), QList<FrolixItem*>{item});
    EXPECT_EQ(selection.count(), 0);
    EXPECT_FALSE(view->itemScene()->signalsBlocked());
}

TEST_F(FrolixObjectTest, APrinterThatCannotOpenIsReportedAndChangesNothing) {
    TestPixmapItem* item = addItem(QSize(60, 60), Qt::red, QPointF(20, 20));
    item->setSelected(true);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir::tempPath() + "/no/such/folder/print.pdf");
    QString message;
    ModalDialogCloser closer([&](QDialog* dialog) {
        if (auto* box = qobject_cast<QMessageBox*>(dialog))
            message = box->text();
    });

    EXPECT_FALSE(FrolixObject::instance()->printFinalImage(&printer));
    EXPECT_EQ(closer.closed(), 1);
    EXPECT_EQ(message, QString("The picture could not be printed."));
    EXPECT_TRUE(item->isSelected());
    EXPECT_FALSE(view->itemScene()->signalsBlocked());
}

}  // namespace
