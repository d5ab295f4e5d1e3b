// Damaged pictures of every format the program opens, read through the picture intake: each is
// either refused with a reason or taken in within the intake's bounds, and no read holds more
// memory than the intake allows. The count and the seeds are fixed, so CI runs the same inputs
// every time in a few seconds.
#include "masking/ExifBuilder.h"
#include "masking/ImageIntake.h"
#include "masking/MaskingTestSupport.h"
#include "support/FuzzMutator.h"
#include "support/HeapPeak.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <vector>

namespace {

using zqtest::ExifEntry;
using zqtest::ExifOrder;

struct Seed {
    const char* format;
    QByteArray bytes;
};

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A 1 x 1 GIF with a transparent colour, written out by hand: Qt has no GIF writer.
QByteArray smallGif() {
    return QByteArray::fromHex("474946383961010001008000000000" "00ffffff"   // header, palette
                               "21f90401000000002c000000000100010000"        // transparency, image
                               "02024401003b");                              // data, trailer
}

// JPEGs whose EXIF blocks lie: counts beyond the block, offsets out of it or back to itself.
std::vector<QByteArray> hostileExifJpegs(const QImage& image) {
    std::vector<QByteArray> jpegs;
    for (const bool motorola : {false, true}) {
        ExifOrder order;
        order.motorola = motorola;
        const QByteArray plain = zqtest::jpegBytes(image, 80);
        const std::vector<std::vector<ExifEntry>> directories = {
            {{0x0112, 3, 1, order.u16(6)}},
            {{0x0112, 3, 0xFFFFFFFFu, order.u16(6)}},
            {{0x0112, 4, 0x40000000, order.u32(8)}},
            {{0x0112, 3, 1, order.u16(65535)}, {0x8769, 4, 1, order.u32(8)}},
            {{0x0112, 7, 200, QByteArray(200, '\x06')}},
        };
        for (const auto& entries : directories)
            jpegs.push_back(zqtest::withSection(
                plain, zqtest::exifSection(zqtest::exifTiff(order, entries, 8))));
    }
    return jpegs;
}

std::vector<Seed> seeds() {
    const QImage opaque = zqtest::quadrantImage(24, 16);
    QImage translucent = opaque.convertToFormat(QImage::Format_ARGB32);
    translucent.setPixel(0, 0, qRgba(10, 20, 30, 40));
    std::vector<Seed> all = {
        {"jpeg", zqtest::orientedJpeg(opaque, 6, 80)},
        {"png", encoded(translucent, "PNG")},
        // How each is decoded is read from its header: 16 bits, interlacing, progressive scans.
        {"png", encoded(translucent.convertToFormat(QImage::Format_RGBA64), "PNG")},
        {"png", zqtest::zeroPng(24, 16, 8, 6, true)},
        {"jpeg", zqtest::progressiveJpegBytes(opaque)},
        {"gif", smallGif()},
        {"bmp", encoded(opaque, "BMP")},
        {"ppm", encoded(opaque, "PPM")},
        {"ico", encoded(translucent, "ICO")},
        {"xpm", encoded(opaque.convertToFormat(QImage::Format_Indexed8), "XPM")},
        {"xbm", encoded(opaque.convertToFormat(QImage::Format_Mono), "XBM")},
    };
    for (const QByteArray& jpeg : hostileExifJpegs(opaque))
        all.push_back({"jpeg", jpeg});
    return all;
}

// What a read may cost at most: the intake's own limit and room for the reader's state.
constexpr qint64 heapBound = intakeDecodeMaxBytes + (qint64(64) << 20);

// Reads `bytes` (named `format`, or told by their content) and checks what came out.
void readAndCheck(const QByteArray& bytes, const QByteArray& format) {
    zqtest::HeapPeak::reset();
    const IntakeResult result = readIntakeBytes(bytes, format, QStringLiteral("fuzz"));
    if (zqtest::HeapPeak::counting()) {
        EXPECT_LE(zqtest::HeapPeak::bytes(), heapBound);
    }
    if (result.image.isNull()) {
        EXPECT_FALSE(result.problem.isEmpty());
        return;
    }
    EXPECT_TRUE(result.problem.isEmpty());
    EXPECT_EQ(result.image.format(), QImage::Format_ARGB32);
    EXPECT_LE(result.image.width(), intakeMaxSide);
    EXPECT_LE(result.image.height(), intakeMaxSide);
}

// A 4-bit BMP of `width` x `height` (negative: top-down) without pixel data: 118 bytes.
QByteArray bmpHeaderOnly(int width, int height) {
    QByteArray bytes = QByteArray::fromHex("424d76000000000000007600000028000000");
    for (const quint32 value : {quint32(width), quint32(height)})
        for (int i = 0; i < 4; ++i)
            bytes += char((value >> (8 * i)) & 0xFF);
    bytes += QByteArray::fromHex("01000400") + QByteArray(24, '\0');
    for (int grey = 0; grey < 16; ++grey)
        bytes += QByteArray(3, char(grey * 17)) + '\0';
    return bytes;
}

TEST(IntakeFuzz, EverySeedReadsWhole) {
    for (const Seed& seed : seeds()) {
        SCOPED_TRACE(seed.format);
        const IntakeResult result = readIntakeBytes(seed.bytes, QByteArray(), QStringLiteral("seed"));
        EXPECT_FALSE(result.image.isNull()) << result.problem.toStdString();
    }
}

TEST(IntakeFuzz, DamagedPicturesAreReadOrRefusedWithinTheBounds) {
    zqtest::HeapPeak::counting();
    const std::vector<Seed> all = seeds();
    zqtest::FuzzMutator mutator(0x5eed0002);
    constexpr int perSeed = 160;
    for (const Seed& seed : all) {
        for (int i = 0; i < perSeed; ++i) {
            const QByteArray damaged = mutator.mutate(seed.bytes);
            SCOPED_TRACE(QStringLiteral("%1 #%2: %3").arg(QLatin1String(seed.format)).arg(i)
                             .arg(QLatin1String(damaged.left(64).toHex())).toStdString());
            // Named as the file's suffix would name it, and told by the content alone.
            readAndCheck(damaged, i % 2 == 0 ? QByteArray(seed.format) : QByteArray());
            if (::testing::Test::HasFailure())
                return;
        }
    }
}

TEST(IntakeFuzz, FoundCasesStayRefused) {
    zqtest::HeapPeak::counting();
    const QByteArray bmp = bmpHeaderOnly(4096, -65535);
    ASSERT_EQ(bmp.size(), 118);
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        // Gave no valid size, then decoded 4096 x 65535 (1 GB) before being refused.
        {"top-down BMP", bmp},
        {"XBM at the pixel limit",
         "#define b_width 11585\n#define b_height 11585\nstatic char b_bits[] = {\n0x00,"},
        {"RGBA PNG at the pixel limit", zqtest::pngHeaderOnly(11585, 11585)},
        // Decoded whole and copied to scale, though the decoder takes a scaled size (2 GB, 1 GB).
        {"16-bit RGBA PNG at the pixel limit", zqtest::zeroPng(11585, 11585, 16, 6, false)},
        {"interlaced RGBA PNG at the pixel limit", zqtest::zeroPng(11585, 11585, 8, 6, true)},
        // Every coefficient kept while decoding (805 MB).
        {"progressive 4:4:4 JPEG at the pixel limit",
         zqtest::flatJpeg(11585, 11585, 0xC2, QByteArray("\x11\x11\x11", 3))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        zqtest::HeapPeak::reset();
        const IntakeResult result = readIntakeBytes(c.bytes, QByteArray(), QStringLiteral("found"));
        EXPECT_TRUE(result.image.isNull());
        EXPECT_FALSE(result.problem.isEmpty());
        if (zqtest::HeapPeak::counting()) {
            EXPECT_LT(zqtest::HeapPeak::bytes(), qint64(100) << 20);
        }
    }
}

}  // namespace
