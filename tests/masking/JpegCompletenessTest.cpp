#include "masking/JpegCompleteness.h"

#include "masking/ExifBuilder.h"
#include "masking/MaskingTestSupport.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <vector>

namespace {

bool complete(const QByteArray& bytes) {
    return jpegIsComplete(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size());
}

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

struct WholeCase {
    const char* name;
    QByteArray bytes;
};

}  // namespace

// Every file a writer makes is whole, and every shorter prefix of it is not: the cut can fall
// in a header segment, in the compressed data or inside the end marker itself.
TEST(JpegCompleteness, WrittenFilesAreWholeAndEveryPrefixIsNot) {
    const std::vector<WholeCase> cases = {
        {"baseline", zqtest::jpegBytes(zqtest::noiseImage(40, 30), 90)},
        {"progressive", zqtest::progressiveJpegBytes(zqtest::noiseImage(40, 30))},
        {"with exif", zqtest::orientedJpeg(zqtest::quadrantImage(32, 16), 6)},
        {"grey", zqtest::jpegBytes(zqtest::noiseImage(24, 24).convertToFormat(QImage::Format_Grayscale8), 75)},
    };
    for (const WholeCase& row : cases) {
        SCOPED_TRACE(row.name);
        ASSERT_GT(row.bytes.size(), 100);
        EXPECT_TRUE(complete(row.bytes));
        EXPECT_TRUE(complete(row.bytes + QByteArray(37, '\0'))) << "bytes after the end are allowed";
        int wronglyWhole = 0;
        for (int size = 0; size < row.bytes.size(); ++size)
            wronglyWhole += complete(row.bytes.left(size)) ? 1 : 0;
        EXPECT_EQ(wronglyWhole, 0);
    }
}

// Hand-made structures: what may appear inside compressed data, and what may not end a file.
TEST(JpegCompleteness, MarkersInsideAndAroundTheCompressedData) {
    const QByteArray start = hex("FFD8");
    const QByteArray scanHeader = hex("FFDA0008010100003F00");
    struct Case {
        const char* name;
        QByteArray bytes;
        bool whole;
    };
    const std::vector<Case> cases = {
        {"stuffed zeros and restarts in the data", start + scanHeader + hex("12FF0034FFD056FFD778FFD9"), true},
        {"fill bytes before the end marker", start + scanHeader + hex("12FFFFFFD9"), true},
        {"second scan after the first", start + scanHeader + hex("12") + scanHeader + hex("34FFD9"), true},
        {"restart marker between segments", start + hex("FFD3") + scanHeader + hex("12FFD9"), true},
        {"end marker only inside a segment", start + hex("FFE10006FFD9FFD9") + scanHeader + hex("12"), false},
        {"data ends on a stuffed 0xFF", start + scanHeader + hex("12FF"), false},
        {"segment longer than the file", start + hex("FFE1FFFF0000"), false},
        {"segment length below two", start + hex("FFE10001FFD9"), false},
        {"a second start of image", start + start + hex("FFD9"), false},
        {"stray bytes before a marker, as the decoder skips them", start + hex("0012FF00FFD9"), true},
        {"stray bytes and no end", start + hex("00120034"), false},
        {"start of image only", start, false},
        {"a PNG", hex("89504E470D0A1A0A0000000D49484452"), false},
        {"empty", QByteArray(), false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(complete(row.bytes), row.whole);
    }
    EXPECT_FALSE(jpegIsComplete(nullptr, 10));
}
