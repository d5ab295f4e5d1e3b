#include "common/ShellUtilities.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// 2 x 2 RGB888 pixels 1..12 in memory order: rows of 6 bytes padded to 8, with the two
// padding bytes of each row set to `padding`.
QImage rgbImage(uchar padding) {
    QImage image(2, 2, QImage::Format_RGB888);
    EXPECT_EQ(image.bytesPerLine(), 8);
    uchar value = 1;
    for (int y = 0; y < 2; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < 6; ++x)
            row[x] = value++;
        row[6] = row[7] = padding;
    }
    return image;
}

// 3 x 2 one-bit pixels 101 and 011 (first pixel in the high bit); the five unused bits of each
// row's byte set to `spare`.
QImage monoImage(uchar spare) {
    QImage image(3, 2, QImage::Format_Mono);
    std::memset(image.bits(), spare, static_cast<size_t>(image.sizeInBytes()));
    image.scanLine(0)[0] = static_cast<uchar>(0xA0 | (spare & 0x1F));
    image.scanLine(1)[0] = static_cast<uchar>(0x60 | (spare & 0x1F));
    return image;
}

}  // namespace

TEST(AbsoluteAppPath, NamesResolveAgainstTheProgramFolderAndAreCleaned) {
    const QString folder = QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
    struct Case {
        const char* name;
        QString expected;
    };
    const Case cases[] = {
        {"Help", folder + "/Help"},
        {"./Help", folder + "/Help"},
        {"Help/", folder + "/Help"},
        {"Tutorials//index.htm", folder + "/Tutorials/index.htm"},
        {"a/../Help", folder + "/Help"},
        {".", folder},
        {"/opt/zq//x/../Help", "/opt/zq/Help"},
        {"/opt/zq/Help", "/opt/zq/Help"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(absoluteAppPath(QString::fromLatin1(c.name)), c.expected);
    }
    EXPECT_EQ(appFolderFilePath("distributor.xml"), folder + "/distributor.xml");
}

TEST(ImageChecksum, HashesThePixelsOfEachRowButNotItsPadding) {
    // Expected digests from md5sum over the pixel bytes alone.
    const QByteArray rgbDigest = QByteArray::fromHex("d2bc225f9724ea69812867fc45794a2e");
    EXPECT_EQ(imageChecksum(rgbImage(0x00)), rgbDigest);
    EXPECT_EQ(imageChecksum(rgbImage(0xEE)), rgbDigest);
    const QByteArray monoDigest = QByteArray::fromHex("23ab13f0b9050f34de9b48aeb62d0118");
    EXPECT_EQ(imageChecksum(monoImage(0x00)), monoDigest);
    EXPECT_EQ(imageChecksum(monoImage(0xFF)), monoDigest);
    EXPECT_EQ(imageChecksum(QImage()), QByteArray::fromHex("d41d8cd98f00b204e9800998ecf8427e"));
}

TEST(ImageChecksum, SamePictureInAnotherFormatGivesAnotherDigest) {
    const QImage rgb = rgbImage(0);
    EXPECT_NE(imageChecksum(rgb.convertToFormat(QImage::Format_RGB32)), imageChecksum(rgb));
    EXPECT_EQ(imageChecksum(rgb.convertToFormat(QImage::Format_RGB32)),
              imageChecksum(rgbImage(0x55).convertToFormat(QImage::Format_RGB32)));
}

TEST(PixmapChecksum, EqualPixelsGiveEqualDigestsAndOnePixelChangesIt) {
    QImage image(5, 3, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30));
    const QPixmap first = QPixmap::fromImage(image);
    const QPixmap second = QPixmap::fromImage(image.copy());
    EXPECT_EQ(pixmapChecksum(first), pixmapChecksum(second));
    EXPECT_EQ(pixmapChecksum(first).size(), 16);
    image.setPixelColor(4, 2, QColor(10, 20, 31));
    EXPECT_NE(pixmapChecksum(QPixmap::fromImage(image)), pixmapChecksum(first));
}

TEST(HtmlParagraph, MarkupGoesInAsItIsAndPlainTextIsEscaped) {
    EXPECT_EQ(htmlElement("b", "a %1 &nbsp;<i>b</i>"), QStringLiteral("<b>a %1 &nbsp;<i>b</i></b>"));
    EXPECT_EQ(htmlParagraph("Zolquist&nbsp;news"), QStringLiteral("<p>Zolquist&nbsp;news</p>"));
    EXPECT_EQ(plainHtmlParagraph("/tmp/<b>Tom & \"Jerry\"</b>.jpg"),
              QStringLiteral("<p>/tmp/&lt;b&gt;Tom &amp; &quot;Jerry&quot;&lt;/b&gt;.jpg</p>"));
}
