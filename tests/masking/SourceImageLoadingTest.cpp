#include "masking/TqSourceImage.h"

#include "masking/ExifBuilder.h"
#include "masking/ImageIntake.h"
#include "masking/MaskingTestSupport.h"
#include "shell/FileHandler.h"
#include "shell/ModalDialogCloser.h"
#include "common/Product.h"

#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

class SourceImageLoading : public ::testing::Test {
protected:
    QString path(const QString& name) const { return folder_.filePath(name); }
    QTemporaryDir folder_;
};

struct SizeCase {
    QSize stored;
    QSize expected;
};

}  // namespace

TEST_F(SourceImageLoading, LongerSideIsBoundedTo1280KeepingTheAspect) {
    const std::vector<SizeCase> cases = {
        {{2000, 1000}, {1280, 640}}, {{1000, 2000}, {640, 1280}}, {{1500, 1500}, {1280, 1280}},
        {{1280, 700}, {1280, 700}},  {{1281, 3}, {1280, 3}},       {{5000, 2}, {1280, 1}},
        {{17, 9}, {17, 9}},
    };
    for (const SizeCase& row : cases) {
        SCOPED_TRACE(QStringLiteral("%1 x %2").arg(row.stored.width()).arg(row.stored.height()).toStdString());
        const QString file = path(QStringLiteral("size.png"));
        ASSERT_TRUE(zqtest::quadrantImage(row.stored.width(), row.stored.height()).save(file));
        TqSourceImage image(file);
        ASSERT_TRUE(image.valid());
        EXPECT_EQ(image.name(), file);
        EXPECT_EQ(image.image().size(), row.expected);
        EXPECT_EQ(image.pixmap().size(), row.expected);
        EXPECT_EQ(image.image().format(), QImage::Format_ARGB32);
        const QImage& loaded = image.image();
        if (loaded.width() > 1 && loaded.height() > 1) {
            EXPECT_EQ(zqtest::quadrantColour(loaded.pixel(0, 0)), 'R');
            EXPECT_EQ(zqtest::quadrantColour(loaded.pixel(loaded.width() - 1, loaded.height() - 1)), 'W');
        }
    }
}

TEST_F(SourceImageLoading, EveryFileFormatBecomesArgb32KeepingAlpha) {
    QImage palette(6, 4, QImage::Format_Indexed8);
    palette.setColorTable({qRgba(0, 0, 0, 0), qRgba(200, 100, 50, 255)});
    palette.fill(1);
    palette.setPixel(0, 0, 0);
    QImage grey(6, 4, QImage::Format_Grayscale8);
    grey.fill(QColor(90, 90, 90));
    QImage alpha(6, 4, QImage::Format_ARGB32);
    alpha.fill(qRgba(10, 20, 30, 40));
    QImage deep(6, 4, QImage::Format_RGBA64);
    deep.fill(QColor(250, 128, 0, 200));
    struct FileCase {
        const char* name;
        QImage image;
        QPoint at;
        QRgb expected;
    };
    const std::vector<FileCase> cases = {
        {"palette.png", palette, {0, 0}, qRgba(0, 0, 0, 0)},
        {"palette2.png", palette, {3, 2}, qRgb(200, 100, 50)},
        {"grey.png", grey, {1, 1}, qRgb(90, 90, 90)},
        {"alpha.png", alpha, {5, 3}, qRgba(10, 20, 30, 40)},
        {"deep.png", deep, {2, 2}, qRgba(250, 128, 0, 200)},
        {"bitmap.bmp", grey, {1, 1}, qRgb(90, 90, 90)},
    };
    for (const FileCase& row : cases) {
        SCOPED_TRACE(row.name);
        const QString file = path(QString::fromLatin1(row.name));
        ASSERT_TRUE(row.image.save(file));
        TqSourceImage image(file);
        ASSERT_TRUE(image.valid());
        EXPECT_EQ(image.image().format(), QImage::Format_ARGB32);
        EXPECT_EQ(image.image().pixel(row.at), row.expected);
    }
}

struct BadFileCase {
    const char* name;
    QByteArray bytes;               // null: the file does not exist
    const char* reason = nullptr;   // the message's second line; null: any that says something
};

TEST_F(SourceImageLoading, UnreadableFileWarnsAndStaysInvalid) {
    QByteArray png;
    {
        QFile file(path(QStringLiteral("whole.png")));
        ASSERT_TRUE(zqtest::quadrantImage(64, 64).save(file.fileName()));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        png = file.readAll();
    }
    const QByteArray jpeg = zqtest::jpegBytes(zqtest::noiseImage(64, 48), 90);
    const char* const cutJpeg = "The JPEG data ends before its end-of-image marker.";
    const std::vector<BadFileCase> cases = {
        {"missing.png", QByteArray(), "File not found."},
        {"garbage.png", QByteArray(300, 'x')},
        {"empty.jpg", QByteArray("")},
        {"truncated.png", png.left(png.size() / 2)},
        {"header-only.png", png.left(40)},
        {"cut-in-exif.jpg", zqtest::orientedJpeg(zqtest::quadrantImage(32, 16), 6).left(30)},
        {"cut-after-exif.jpg", zqtest::orientedJpeg(zqtest::quadrantImage(32, 16), 6).left(120)},
        // Decodes without an error, the lower half grey: only its structure shows the cut.
        {"cut-in-scan.jpg", jpeg.left(jpeg.size() / 2), cutJpeg},
        {"cut-before-end.jpg", jpeg.left(jpeg.size() - 2), cutJpeg},
    };
    FileHandler handler(nullptr);   // opens files as the window does, showing their warnings
    for (const BadFileCase& row : cases) {
        SCOPED_TRACE(row.name);
        const QString file = path(QString::fromLatin1(row.name));
        if (!row.bytes.isNull()) {
            ASSERT_TRUE(zqtest::writeFile(file, row.bytes));
        }
        TqSourceImage image(file);
        // The message keeps its first line and says why on the second.
        const QString text = image.loadProblem();
        const QStringList lines = text.split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), 2) << text.toStdString();
        EXPECT_EQ(lines[0], QStringLiteral("Sorry - could not open file ") + file);
        if (row.reason) {
            EXPECT_EQ(lines[1], QString::fromLatin1(row.reason));
        } else {
            EXPECT_FALSE(lines[1].isEmpty());
        }
        EXPECT_FALSE(image.valid());
        EXPECT_EQ(image.pixelView().data, nullptr);
        EXPECT_FALSE(image.makeWorkingImage(1));

        // Opening the file shows that very message, once, under the product's name.
        QString shownTitle, shownText;
        ModalDialogCloser closer([&](QDialog* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            ASSERT_NE(box, nullptr);
            shownTitle = box->windowTitle();
            shownText = box->text();
        });
        EXPECT_FALSE(handler.loadImage(file));
        EXPECT_EQ(closer.closed(), 1);
        EXPECT_EQ(shownTitle, productDisplayName());
        EXPECT_EQ(shownText, text);
    }
}

TEST_F(SourceImageLoading, EmptyNameIsInvalidWithoutAWarning) {
    ModalDialogCloser closer;
    TqSourceImage image{QString()};
    EXPECT_FALSE(image.valid());
    EXPECT_TRUE(image.loadProblem().isEmpty());
    EXPECT_EQ(closer.closed(), 0);
}

TEST_F(SourceImageLoading, HeaderAnnouncingAHugePictureIsRefusedBeforeDecoding) {
    // 60000 x 60000 would need 14 GB; the refusal comes from the header alone and says so.
    const QString file = path(QStringLiteral("bomb.png"));
    ASSERT_TRUE(zqtest::writeFile(file, zqtest::pngHeaderOnly(60000, 60000)));
    zqtest::LogWatch log;
    TqSourceImage image(file);
    EXPECT_FALSE(image.loadProblem().isEmpty());
    EXPECT_FALSE(image.valid());
    EXPECT_TRUE(log.newText().contains(QStringLiteral("60000 x 60000"))) << log.newText().toStdString();
}

struct LimitCase {
    QSize size;
    bool acceptable;
};

TEST(ImageIntake, HeaderSizeLimits) {
    const std::vector<LimitCase> cases = {
        {{32767, 4096}, true},   {{32768, 1}, false},     {{1, 32768}, false},
        {{16384, 8192}, true},   {{16384, 8193}, false},  {{0, 10}, false},
        {{10, -1}, false},       {{1, 1}, true},
    };
    for (const LimitCase& row : cases) {
        SCOPED_TRACE(QStringLiteral("%1 x %2").arg(row.size.width()).arg(row.size.height()).toStdString());
        EXPECT_EQ(intakeSizeAcceptable(row.size), row.acceptable);
    }
}

TEST(ImageIntake, DroppedImageDataIsBoundedAndConverted) {
    QImage big(3000, 1500, QImage::Format_RGB888);
    big.fill(QColor(1, 2, 3));
    const QImage bounded = boundIntakeImage(big);
    EXPECT_EQ(bounded.size(), QSize(1280, 640));
    EXPECT_EQ(bounded.format(), QImage::Format_ARGB32);
    EXPECT_EQ(bounded.pixel(640, 320), qRgb(1, 2, 3));
    EXPECT_TRUE(boundIntakeImage(QImage()).isNull());
}

TEST(ImageIntake, DownloadedJpegCutShortIsRefusedWhateverItsNamedFormat) {
    const QByteArray jpeg = zqtest::jpegBytes(zqtest::noiseImage(64, 48), 90);
    for (const QByteArray& format : {QByteArray(), QByteArray("jpeg"), QByteArray("JPG")}) {
        SCOPED_TRACE(format.toStdString());
        const IntakeResult whole = readIntakeBytes(jpeg, format, QStringLiteral("whole"));
        EXPECT_EQ(whole.image.size(), QSize(64, 48));
        const IntakeResult cut = readIntakeBytes(jpeg.left(jpeg.size() * 2 / 3), format,
                                                 QStringLiteral("cut"));
        EXPECT_TRUE(cut.image.isNull());
        EXPECT_FALSE(cut.outOfMemory);
        EXPECT_FALSE(cut.problem.isEmpty());
    }
}
