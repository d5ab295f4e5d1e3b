// The working images of a 1280 x 960 photo, as the source image makes them at divisors 4 and 8:
// every pixel against a plain sort of its block, and the bytes against the ones every build
// must produce, so that the sanitizer build and the optimized builds cannot drift apart.

// Qt first: Blitz++ defines a macro that breaks Qt's colour declarations.
#include <QImage>
#include <QString>

#include "classification/JxInterface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

struct Rgba {
    Rgba(int width, int height)
        : width(width), height(height), bytes(static_cast<std::size_t>(width) * height * 4) {}
    JxImage image() { return JxImage{width, height, width * 4, JxFormatRgba8, bytes.data()}; }
    std::uint8_t at(int row, int column, int channel) const {
        return bytes[(static_cast<std::size_t>(row) * width + column) * 4 + channel];
    }

    int width, height;
    std::vector<std::uint8_t> bytes;
};

/// The bench photo (640 x 480) doubled to 1280 x 960 by integer bilinear interpolation, so the
/// picture is the same whatever Qt's scaler does in this build.
Rgba photoOf1280x960() {
    const QImage photo = QImage(QString::fromUtf8(ZQ_BENCH_DATA_DIR "/coffee-on-brick/image.png"))
                             .convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(photo.size(), QSize(640, 480));
    Rgba doubled(1280, 960);
    if (photo.size() != QSize(640, 480))
        return doubled;
    auto byteAt = [&](int row, int column, int channel) {
        row = std::min(row, photo.height() - 1);
        column = std::min(column, photo.width() - 1);
        return int(photo.constScanLine(row)[column * 4 + channel]);
    };
    std::size_t i = 0;
    for (int row = 0; row < doubled.height; ++row)
        for (int column = 0; column < doubled.width; ++column)
            for (int k = 0; k < 4; ++k) {
                const int r = row / 2, c = column / 2, down = row % 2, right = column % 2;
                const int sum = byteAt(r, c, k) * (2 - down) * (2 - right) +
                                byteAt(r, c + 1, k) * (2 - down) * right +
                                byteAt(r + 1, c, k) * down * (2 - right) +
                                byteAt(r + 1, c + 1, k) * down * right;
                doubled.bytes[i++] = static_cast<std::uint8_t>((sum + 2) / 4);
            }
    return doubled;
}

/// The columns each row of an f x f block leaves out at either end: the blocks are round.
std::vector<int> cutOf(int factor) {
    return factor == 4 ? std::vector<int>{1, 0, 0, 1} : std::vector<int>{2, 1, 0, 0, 0, 0, 1, 2};
}

/// The mean of the two middle samples, rounded down, by sorting.
std::uint8_t sortedMedian(const Rgba& source, int factor, int row, int column, int channel) {
    const std::vector<int> cut = cutOf(factor);
    std::vector<int> samples;
    for (int r = 0; r < factor; ++r)
        for (int c = cut[r]; c < factor - cut[r]; ++c)
            samples.push_back(source.at(row * factor + r, column * factor + c, channel));
    std::sort(samples.begin(), samples.end());
    const std::size_t half = samples.size() / 2;
    return static_cast<std::uint8_t>((samples[half - 1] + samples[half]) / 2);
}

std::uint64_t fnv1a(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (std::uint8_t byte : bytes)
        hash = (hash ^ byte) * 1099511628211ull;
    return hash;
}

}  // namespace

TEST(JxScaleImagePhoto, WorkingImagesAtDivisorsFourAndEightAreTheSameBytesInEveryBuild) {
    Rgba source = photoOf1280x960();
    EXPECT_EQ(fnv1a(source.bytes), 9258056700537548447u) << "the doubled photo itself";
    struct Case { int factor; std::uint64_t checksum; };
    for (const Case& c : {Case{4, 15808278167112046848u}, Case{8, 17760791924508988156u}}) {
        SCOPED_TRACE(c.factor);
        Rgba working(source.width / c.factor, source.height / c.factor);
        ASSERT_EQ(JxScaleImage(working.image(), source.image()), JxOk);
        int wrong = 0;
        for (int row = 0; row < working.height; ++row)
            for (int column = 0; column < working.width; ++column)
                for (int k = 0; k < 4; ++k)
                    wrong += working.at(row, column, k) != sortedMedian(source, c.factor, row, column, k);
        EXPECT_EQ(wrong, 0) << "channel values that are not their block's median";
        EXPECT_EQ(fnv1a(working.bytes), c.checksum);
    }
}
