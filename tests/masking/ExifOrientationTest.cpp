#include "masking/ExifOrientation.h"

#include "masking/ExifBuilder.h"
#include "masking/JpegMetadataReader.h"
#include "masking/MaskingTestSupport.h"
#include "masking/TqSourceImage.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

using zqtest::ExifEntry;
using zqtest::ExifOrder;

namespace {

const ExifOrder intel{false};
const ExifOrder motorola{true};

// 32 x 16 with quadrants of 16 x 8, whole JPEG blocks, so the colours survive compression.
QImage picture() { return zqtest::quadrantImage(32, 16); }

int orientationOf(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return exifOrientationOfDevice(buffer);
}

QByteArray withTiff(const QByteArray& tiff) {
    return zqtest::withSection(zqtest::jpegBytes(picture()), zqtest::exifSection(tiff));
}

QByteArray orientationTiff(const ExifOrder& order, std::uint32_t format, const QByteArray& value,
                           std::uint32_t count = 1) {
    return zqtest::exifTiff(order, {{0x0112, format, count, value}});
}

QByteArray doubleBytes(const ExifOrder& order, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return order.u64(bits);
}

QByteArray floatBytes(const ExifOrder& order, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return order.u32(bits);
}

class ExifFiles : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = folder_.filePath(name);
        EXPECT_TRUE(zqtest::writeFile(path, bytes));
        return path;
    }
    QTemporaryDir folder_;
};

struct CornerCase {
    int orientation;
    const char* corners;   // top-left, top-right, bottom-left, bottom-right of the loaded picture
    QPointF mapped;        // where the point (1, 2) goes, without translation
};

}  // namespace

TEST_F(ExifFiles, EveryOrientationPlacesTheCornersAsItsTurnSays) {
    // Stored: red top-left, green top-right, blue bottom-left, white bottom-right.
    const std::vector<CornerCase> cases = {
        {1, "RGBW", {1, 2}},   {2, "GRWB", {-1, 2}}, {3, "WBGR", {-1, -2}}, {4, "BWRG", {1, -2}},
        {5, "RBGW", {2, 1}},   {6, "BRWG", {-2, 1}}, {7, "WGBR", {-2, -1}}, {8, "GWRB", {2, -1}},
        {0, "RGBW", {1, 2}},   {9, "RGBW", {1, 2}},
    };
    for (const CornerCase& row : cases) {
        SCOPED_TRACE(row.orientation);
        const QString file = write(QStringLiteral("turned.jpg"),
                                   zqtest::orientedJpeg(picture(), row.orientation));
        EXPECT_EQ(exifOrientationMatrix(file).map(QPointF(1, 2)), row.mapped);
        TqSourceImage image(file);
        ASSERT_TRUE(image.valid());
        const QImage& loaded = image.image();
        const bool turned = row.orientation >= 5 && row.orientation <= 8;
        EXPECT_EQ(loaded.size(), turned ? QSize(16, 32) : QSize(32, 16));
        const int right = loaded.width() - 1, bottom = loaded.height() - 1;
        const std::string corners{zqtest::quadrantColour(loaded.pixel(0, 0)),
                                  zqtest::quadrantColour(loaded.pixel(right, 0)),
                                  zqtest::quadrantColour(loaded.pixel(0, bottom)),
                                  zqtest::quadrantColour(loaded.pixel(right, bottom))};
        EXPECT_EQ(corners, row.corners);

        QImage applied = picture();
        applyExifOrientation(file, applied);
        EXPECT_EQ(applied.size(), loaded.size());
    }
}

TEST_F(ExifFiles, LargeTurnedJpegIsBoundedAfterTurning) {
    const QString file = write(QStringLiteral("big.jpg"),
                               zqtest::orientedJpeg(zqtest::quadrantImage(2000, 1000), 6, 80));
    TqSourceImage image(file);
    ASSERT_TRUE(image.valid());
    EXPECT_EQ(image.image().size(), QSize(640, 1280));
    EXPECT_EQ(zqtest::quadrantColour(image.image().pixel(0, 0)), 'B');
    EXPECT_EQ(zqtest::quadrantColour(image.image().pixel(639, 1279)), 'G');
}

TEST_F(ExifFiles, FileWithoutExifRightAfterATurnedOneIsNotTurned) {
    const QString turned = write(QStringLiteral("six.jpg"), zqtest::orientedJpeg(picture(), 6));
    const QString plain = write(QStringLiteral("plain.jpg"), zqtest::jpegBytes(picture()));
    EXPECT_EQ(exifOrientationOfFile(turned), 6);
    EXPECT_TRUE(exifOrientationMatrix(plain).isIdentity());
    TqSourceImage image(plain);
    EXPECT_EQ(image.image().size(), QSize(32, 16));
    EXPECT_EQ(zqtest::quadrantColour(image.image().pixel(0, 0)), 'R');
}

TEST_F(ExifFiles, NonJpegIsIdentityWithAWordOnStandardError) {
    const QString png = folder_.filePath(QStringLiteral("flat.png"));
    ASSERT_TRUE(picture().save(png));
    zqtest::StderrCapture errors;
    EXPECT_TRUE(exifOrientationMatrix(png).isIdentity());
    EXPECT_TRUE(errors.text().contains(QStringLiteral("Not JPEG: ") + png)) << errors.text().toStdString();
    const QString missing = folder_.filePath(QStringLiteral("missing.jpg"));
    EXPECT_EQ(exifOrientationOfFile(missing), 0);
    EXPECT_TRUE(errors.text().contains(QStringLiteral("can't open '") + missing + "'"));
}

struct EncodingCase {
    const char* name;
    QByteArray tiff;
    int expected;
};

TEST(ExifOrientation, EveryNumberEncodingAndPlaceGivesTheSameValue) {
    // The orientation inside the EXIF sub-directory, which the first directory points to.
    QByteArray nested = intel.header() + intel.u16(1) + intel.u16(0x8769) + intel.u16(4) +
                        intel.u32(1) + intel.u32(26) + intel.u32(0) + intel.u16(1) +
                        intel.u16(0x0112) + intel.u16(3) + intel.u32(1) + intel.u16(6) +
                        intel.u16(0) + intel.u32(0);
    // The orientation in the next directory of the chain.
    QByteArray chained = motorola.header() + motorola.u16(1) + motorola.u16(0x010F) +
                         motorola.u16(2) + motorola.u32(4) + QByteArray("Cam\0", 4) +
                         motorola.u32(26) + motorola.u16(1) + motorola.u16(0x0112) +
                         motorola.u16(4) + motorola.u32(1) + motorola.u32(6) + motorola.u32(0);
    const std::vector<EncodingCase> cases = {
        {"short, Intel", orientationTiff(intel, 3, intel.u16(6)), 6},
        {"short, Motorola", orientationTiff(motorola, 3, motorola.u16(6)), 6},
        {"long, Intel", orientationTiff(intel, 4, intel.u32(6)), 6},
        {"long, Motorola", orientationTiff(motorola, 4, motorola.u32(6)), 6},
        {"byte", orientationTiff(intel, 1, QByteArray(1, 6)), 6},
        {"signed short", orientationTiff(motorola, 8, motorola.u16(6)), 6},
        {"rational 13/2", orientationTiff(intel, 5, intel.u32(13) + intel.u32(2)), 6},
        {"signed rational", orientationTiff(motorola, 10, motorola.u32(-12) + motorola.u32(-2)), 6},
        {"float", orientationTiff(intel, 11, floatBytes(intel, 6.0f)), 6},
        {"double, Motorola", orientationTiff(motorola, 12, doubleBytes(motorola, 6.0)), 6},
        {"in the sub-directory", nested, 6},
        {"in the next directory", chained, 6},
        {"first of two tags", zqtest::exifTiff(intel, {{0x0112, 3, 1, intel.u16(6)},
                                                       {0x0112, 3, 1, intel.u16(3)}}), 6},
        {"ASCII is no number", orientationTiff(intel, 2, QByteArray("6\0", 2), 2), 0},
    };
    for (const EncodingCase& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(orientationOf(withTiff(row.tiff)), row.expected);
    }
}

struct HostileCase {
    const char* name;
    QByteArray bytes;       // the whole file
    const char* warning;    // expected on standard error, or null
};

TEST(ExifOrientation, HostileBlocksAreRefusedWithAWordAndNeverOverRead) {
    const QByteArray jpeg = zqtest::jpegBytes(picture());
    auto file = [&jpeg](const QByteArray& tiff) {
        return zqtest::withSection(jpeg, zqtest::exifSection(tiff));
    };
    auto rawSection = [&jpeg](const QByteArray& payload) {
        const int length = payload.size() + 2;
        return zqtest::withSection(jpeg, QByteArray("\xFF\xE1", 2) + char(length >> 8) +
                                             char(length & 0xFF) + payload);
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QByteArray selfLinked = intel.header() + intel.u16(2) + intel.u16(0x8769) +
                                  intel.u16(4) + intel.u32(1) + intel.u32(8) + intel.u16(0xA005) +
                                  intel.u16(4) + intel.u32(1) + intel.u32(8) + intel.u32(8);
    QByteArray deepChain = intel.header();
    for (int level = 0; level < 8; ++level)   // each directory: no entries, link to the next
        deepChain += intel.u16(0) + intel.u32(8 + 6 * (level + 1));
    deepChain += intel.u16(0) + intel.u32(0);
    const std::vector<HostileCase> cases = {
        {"orientation 9", file(orientationTiff(intel, 3, intel.u16(9))),
         "Undefined rotation value 9"},
        {"orientation 0", file(orientationTiff(intel, 3, intel.u16(0))), nullptr},
        {"negative", file(orientationTiff(intel, 9, intel.u32(-3))), "Undefined rotation value -3"},
        {"NaN", file(orientationTiff(intel, 12, doubleBytes(intel, nan))),
         "Undefined rotation value"},
        {"1e300", file(orientationTiff(intel, 12, doubleBytes(intel, 1e300))),
         "Undefined rotation value"},
        {"INT_MIN / -1", file(orientationTiff(intel, 10, intel.u32(0x80000000u) + intel.u32(-1))),
         "Undefined rotation value"},
        {"zero denominator", file(orientationTiff(intel, 5, intel.u32(6) + intel.u32(0))), nullptr},
        {"payload of the Exif mark only", rawSection(QByteArray("Exif\0\0", 6)),
         "Exif header too short"},
        {"no room for the first offset", rawSection(QByteArray("Exif\0\0II*\0\x08", 11)),
         "Exif header too short"},
        {"wrong Exif mark", rawSection(QByteArray("Exif\0XII*\0\x08\0\0\0", 14)),
         "Incorrect Exif header"},
        {"bad byte order", file(QByteArray("IM*\0\x08\0\0\0", 8)), "Invalid Exif alignment marker."},
        {"not 42", file(QByteArray("II+\0\x08\0\0\0", 8)), "Invalid Exif start (1)"},
        {"first offset at the end", file(intel.header(8)), "Illegally sized directory"},
        {"first offset near 2^32", file(intel.header(0xFFFFFFFEu) + intel.u16(0)),
         "Illegally sized directory"},
        {"count past the block", file(intel.header() + intel.u16(0xFFFF) + intel.u32(0)),
         "Illegally sized directory"},
        {"value offset wrapping", file(zqtest::exifTiff(intel, {{0x0112, 5, 1, intel.u32(0xFFFFFFF0u)}})),
         "Illegal value pointer for tag 0112"},
        {"format 13", file(zqtest::exifTiff(intel, {{0x0112, 13, 1, intel.u16(6)}})),
         "Illegal number format 13 for tag 0112"},
        {"65537 components", file(zqtest::exifTiff(intel, {{0x0112, 3, 65537, intel.u16(6)}})),
         "Illegal number of components 65537 for tag 0112"},
        {"sub-directory link near 2^32",
         file(zqtest::exifTiff(intel, {{0x8769, 4, 1, intel.u32(0xFFFFFFFFu)}})),
         "Illegal exif or interop ofset directory link"},
        {"sub-directory link without room for a count",
         file(zqtest::exifTiff(intel, {{0xA005, 4, 1, intel.u32(25)}})),
         "Illegal exif or interop ofset directory link"},
        {"GPS link outside", file(zqtest::exifTiff(intel, {{0x8825, 4, 1, intel.u32(0x7FFFFFFF)}})),
         "Illegal GPS directory link"},
        {"next link near 2^32", file(zqtest::exifTiff(intel, {}, 0xFFFFFFF0u)),
         "Illegal subdirectory link"},
        {"directories linked to themselves", file(selfLinked), nullptr},
        {"chain deeper than four", file(deepChain),
         "Maximum directory nesting exceeded (corrupt exif header)"},
        {"three orientation tags", file(zqtest::exifTiff(intel, {{0x0112, 3, 1, intel.u16(2)},
                                                                 {0x0112, 3, 1, intel.u16(3)},
                                                                 {0x0112, 3, 1, intel.u16(4)}})),
         "More than two orientation tags!"},
    };
    for (const HostileCase& row : cases) {
        SCOPED_TRACE(row.name);
        zqtest::StderrCapture errors;
        const int orientation = orientationOf(row.bytes);
        EXPECT_GE(orientation, 0);
        EXPECT_LE(orientation, 8);
        if (row.warning) {
            EXPECT_TRUE(errors.text().contains(QStringLiteral("Nonfatal Error : ") + row.warning))
                << errors.text().toStdString();
        }
        EXPECT_EQ(orientation, std::string(row.name) == "three orientation tags" ? 2 : 0);
    }
}

TEST(ExifOrientation, BrokenSectionsFailTheReadAndGiveTheIdentity) {
    const QByteArray good = zqtest::orientedJpeg(picture(), 6);
    struct SectionCase {
        const char* name;
        QByteArray bytes;
        const char* message;
    };
    const std::vector<SectionCase> cases = {
        {"length below 2", QByteArray("\xFF\xD8\xFF\xE1\x00\x01", 6), "invalid marker"},
        {"cut inside a section", good.left(30), "Premature end of file?"},
        {"seven fill bytes", QByteArray("\xFF\xD8\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xE1", 10),
         "too many padding bytes"},
        {"end of image first", QByteArray("\xFF\xD8\xFF\xD9\x00\x02", 6), "No image in jpeg!"},
        {"nothing after the start", QByteArray("\xFF\xD8", 2), "Premature end of file?"},
    };
    for (const SectionCase& row : cases) {
        SCOPED_TRACE(row.name);
        zqtest::StderrCapture errors;
        QBuffer buffer;
        buffer.setData(row.bytes);
        buffer.open(QIODevice::ReadOnly);
        JpegMetadataReader reader;
        EXPECT_FALSE(reader.read(buffer, QStringLiteral("x.jpg")));
        EXPECT_EQ(reader.info().orientation, 0);
        EXPECT_TRUE(reader.sections().empty());
        EXPECT_TRUE(errors.text().contains(QString::fromLatin1(row.message)))
            << errors.text().toStdString();
    }
    EXPECT_EQ(orientationOf(good), 6);
}

TEST(ExifOrientation, TruncatedAtEveryLengthAndMutatedFilesStayInRange) {
    // A block with a sub-directory, a chained directory, a rational and a GPS link, so that
    // cuts and changes land in every kind of field.
    const ExifOrder order = motorola;
    QByteArray tiff = order.header() + order.u16(4);
    tiff += order.u16(0x011A) + order.u16(5) + order.u32(1) + order.u32(62);   // rational at 62
    tiff += order.u16(0x8769) + order.u16(4) + order.u32(1) + order.u32(70);   // sub-directory
    tiff += order.u16(0x8825) + order.u16(4) + order.u32(1) + order.u32(70);   // GPS
    tiff += order.u16(0x0112) + order.u16(3) + order.u32(1) + order.u16(8) + order.u16(0);
    tiff += order.u32(88);                                                    // next directory
    tiff += order.u32(72) + order.u32(1);                                     // the rational
    tiff += order.u16(1) + order.u16(0x0112) + order.u16(4) + order.u32(1) + order.u32(5) +
            order.u32(0);                                                     // at 70
    tiff += order.u16(1) + order.u16(0x0112) + order.u16(12) + order.u32(1) + order.u32(106) +
            order.u32(0);                                                     // at 88
    tiff += doubleBytes(order, 7.0);                                          // at 106
    const QByteArray whole = withTiff(tiff);
    zqtest::StderrCapture quiet;   // thousands of warnings are expected here
    // The sub-directory is entered where its tag stands, before the first directory's own tag.
    ASSERT_EQ(orientationOf(whole), 5);

    for (int length = 0; length <= whole.size(); ++length) {
        const int orientation = orientationOf(whole.left(length));
        ASSERT_GE(orientation, 0) << length;
        ASSERT_LE(orientation, 8) << length;
    }
    std::mt19937 random(20261210u);
    const int exifEnd = 2 + 4 + 6 + int(tiff.size()) + 2;
    const std::uint32_t hostile[] = {0xFFFFFFFFu, 0xFFFFFFF0u, 0xFFFFFFFEu, 0x80000000u,
                                     0x7FFFFFFFu, 0x0000FFFFu, std::uint32_t(tiff.size()),
                                     std::uint32_t(tiff.size()) - 1, 0u};
    for (int round = 0; round < 3000; ++round) {
        QByteArray mutated = whole;
        const int changes = 1 + int(random() % 4);
        for (int change = 0; change < changes; ++change) {
            const int at = 2 + int(random() % std::uint32_t(exifEnd - 2));
            if (random() % 2 == 0) {
                mutated[at] = char(random() & 0xFF);
            } else {
                const QByteArray value = order.u32(hostile[random() % std::size(hostile)]);
                for (int b = 0; b < 4 && at + b < mutated.size(); ++b)
                    mutated[at + b] = value[b];
            }
        }
        const int orientation = orientationOf(mutated);
        ASSERT_GE(orientation, 0) << round;
        ASSERT_LE(orientation, 8) << round;
    }
}
