// The peak resident size of a process only grows, so every case is read in a child of its own
// and this executable holds nothing else that could raise the peak first.

#include "masking/ExifBuilder.h"
#include "masking/ImageIntake.h"
#include "masking/MaskingTestSupport.h"

#include <QByteArray>
#include <QtEndian>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace {

void appendLittleEndian(QByteArray& bytes, quint32 value, int size) {
    for (int i = 0; i < size; ++i)
        bytes.append(char((value >> (8 * i)) & 0xFF));
}

// A 4-bit BMP of `width` x `height` (negative: rows stored top-down) with a grey palette and no
// pixel data: 118 bytes.
QByteArray bmpHeaderOnly(int width, int height) {
    QByteArray bytes("BM");
    appendLittleEndian(bytes, 118, 4);                   // file size
    appendLittleEndian(bytes, 0, 4);
    appendLittleEndian(bytes, 118, 4);                   // offset of the pixel data
    appendLittleEndian(bytes, 40, 4);                    // info header size
    appendLittleEndian(bytes, quint32(width), 4);
    appendLittleEndian(bytes, quint32(height), 4);
    appendLittleEndian(bytes, 1, 2);                     // planes
    appendLittleEndian(bytes, 4, 2);                     // bits per pixel
    for (int field = 0; field < 6; ++field)              // no compression, sizes, colours
        appendLittleEndian(bytes, 0, 4);
    for (quint32 grey = 0; grey < 16; ++grey)
        appendLittleEndian(bytes, grey * 0x111111, 4);
    return bytes;
}

QByteArray xbmHeaderOnly(int width, int height) {
    return QStringLiteral("#define b_width %1\n#define b_height %2\nstatic char b_bits[] = {\n0x00,")
        .arg(width)
        .arg(height)
        .toLatin1();
}

struct Outcome {
    long growthKilobytes = -1;
    bool refused = false;
    bool loaded = false;   // a picture within the intake size came out
};

// Reads `bytes` in a child and gives how far its peak resident size rose during the read.
Outcome readInChild(const QByteArray& bytes) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const long before = usage.ru_maxrss;
        const IntakeResult result = readIntakeBytes(bytes, QByteArray(), QStringLiteral("hostile"));
        getrusage(RUSAGE_SELF, &usage);
        Outcome outcome;
        outcome.growthKilobytes = usage.ru_maxrss - before;
        outcome.refused = result.image.isNull() && !result.problem.isEmpty() && !result.outOfMemory;
        outcome.loaded = !result.image.isNull() && result.image.width() <= intakeMaxSide &&
                         result.image.height() <= intakeMaxSide;
        const bool sent = write(pipeEnds[1], &outcome, sizeof outcome) == ssize_t(sizeof outcome);
        _exit(sent ? 0 : 1);
    }
    close(pipeEnds[1]);
    Outcome outcome;
    if (child < 0 || read(pipeEnds[0], &outcome, sizeof outcome) != ssize_t(sizeof outcome))
        outcome = Outcome();
    close(pipeEnds[0]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return outcome;
}

struct HostileCase {
    const char* name;
    QByteArray bytes;
};

TEST(IntakeMemory, SmallFilesAnnouncingHugePicturesAreRefusedWithoutTheMemory) {
    const std::vector<HostileCase> cases = {
        // The header gives no valid size; the reader would decode 4096 x 65535 (1 GB).
        {"top-down BMP, 118 bytes", bmpHeaderOnly(4096, -65535)},
        // Within the pixel limit, but scaling 1 bit needs a full-size 32-bit copy (537 MB).
        {"XBM 11585 x 11585", xbmHeaderOnly(11585, 11585)},
        // Within the pixel limit and decoded at the intake size, so its broken data shows
        // before anything large is made.
        {"RGBA PNG 11585 x 11585", zqtest::pngHeaderOnly(11585, 11585)},
    };
    ASSERT_EQ(cases[0].bytes.size(), 118);
    constexpr long limitKilobytes = 100 * 1024;
    for (const HostileCase& row : cases) {
        SCOPED_TRACE(row.name);
        const Outcome outcome = readInChild(row.bytes);
        ASSERT_GE(outcome.growthKilobytes, 0);
        EXPECT_TRUE(outcome.refused);
        EXPECT_LT(outcome.growthKilobytes, limitKilobytes);
    }
}

struct DecoderCase {
    const char* name;
    QByteArray bytes;
    bool loads;   // else refused before it is decoded
};

// Pictures whose data is there (flat), so that a decoder that is let go fills all it makes.
// The pixel limit is 11585 x 11585; the bound is what a 32-bit picture of that size takes.
TEST(IntakeMemory, EveryDecoderStaysWithinTheBoundAtThePixelLimit) {
    const QByteArray threeComponents("\x11\x11\x11", 3);
    const QByteArray subsampled("\x22\x11\x11", 3);
    const std::vector<DecoderCase> cases = {
        // Decoded whole at 8 bytes a pixel and copied premultiplied to scale (2 GB).
        {"16-bit RGBA PNG at the pixel limit", zqtest::zeroPng(11585, 11585, 16, 6, false), false},
        // Interlaced rows cannot be scaled one by one: decoded whole and copied (1 GB).
        {"interlaced RGBA PNG at the pixel limit", zqtest::zeroPng(11585, 11585, 8, 6, true),
         false},
        // Every coefficient kept, two bytes for each of three full-size samples (805 MB).
        {"progressive 4:4:4 JPEG at the pixel limit",
         zqtest::flatJpeg(11585, 11585, 0xC2, threeComponents), false},
        // Colours in scans of their own keep every coefficient as a progressive frame does.
        {"baseline JPEG, a scan for each colour, at the pixel limit",
         zqtest::flatJpeg(11585, 11585, 0xC0, threeComponents, true), false},
        // Grey is decoded whole at a byte a pixel and copied to 32 bits to scale (671 MB).
        {"8-bit grey PNG at the pixel limit", zqtest::zeroPng(11585, 11585, 8, 0, false), false},
        // The decoded picture and its copy alone take the whole bound; the scaled one is past it.
        {"16-bit RGBA PNG 8192 x 4096", zqtest::zeroPng(8192, 4096, 16, 6, false), false},
        {"16-bit RGBA PNG 8192 x 2048", zqtest::zeroPng(8192, 2048, 16, 6, false), true},
        // Subsampled colour halves the coefficients (403 MB).
        {"progressive 4:2:0 JPEG at the pixel limit",
         zqtest::flatJpeg(11585, 11585, 0xC2, subsampled), true},
        {"12 MP camera JPEG, upright by its EXIF",
         zqtest::orientedJpeg(zqtest::quadrantImage(4000, 3000), 6, 90), true},
        {"baseline 4:2:0 JPEG at the pixel limit",
         zqtest::flatJpeg(11585, 11585, 0xC0, subsampled), true},
        {"8-bit RGB PNG at the pixel limit", zqtest::zeroPng(11585, 11585, 8, 2, false), true},
        {"8-bit RGBA PNG at the pixel limit", zqtest::zeroPng(11585, 11585, 8, 6, false), true},
    };
    constexpr long refusedKilobytes = 100 * 1024;
    constexpr long boundKilobytes = long(intakeDecodeMaxBytes / 1024);
    for (const DecoderCase& row : cases) {
        SCOPED_TRACE(row.name);
        ASSERT_FALSE(row.bytes.isEmpty());
        const Outcome outcome = readInChild(row.bytes);
        ASSERT_GE(outcome.growthKilobytes, 0);
        EXPECT_EQ(outcome.loaded, row.loads);
        EXPECT_EQ(outcome.refused, !row.loads);
        EXPECT_LT(outcome.growthKilobytes, row.loads ? boundKilobytes : refusedKilobytes);
    }
}

}  // namespace
