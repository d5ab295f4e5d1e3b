#include "classification/JxInterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace {

constexpr std::uint8_t untouched = 0xAB;

/// A caller's four-channel 8-bit buffer, rows `stride` bytes apart, every byte `fill`.
struct Frame {
    Frame(int width, int height, int stride, std::uint8_t fill = 0)
        : width(width), height(height), stride(stride),
          bytes(static_cast<std::size_t>(stride) * (height > 0 ? height : 0) + 16, fill) {}
    Frame(int width, int height) : Frame(width, height, width * 4) {}

    JxImage image() { return JxImage{width, height, stride, JxFormatRgba8, bytes.data()}; }
    std::uint8_t& at(int row, int column, int channel) {
        return bytes[static_cast<std::size_t>(row) * stride + column * 4 + channel];
    }
    /// Channel `channel` of every pixel, row by row.
    std::vector<int> channel(int channel) {
        std::vector<int> values;
        for (int row = 0; row < height; ++row)
            for (int column = 0; column < width; ++column)
                values.push_back(at(row, column, channel));
        return values;
    }
    void setChannel(int channel, const std::function<int(int, int)>& value) {
        for (int row = 0; row < height; ++row)
            for (int column = 0; column < width; ++column)
                at(row, column, channel) = static_cast<std::uint8_t>(value(row, column));
    }

    int width, height, stride;
    std::vector<std::uint8_t> bytes;
};

bool allBytesAre(const std::vector<std::uint8_t>& bytes, std::uint8_t value) {
    for (std::uint8_t byte : bytes)
        if (byte != value)
            return false;
    return true;
}

}  // namespace

struct FormatCase { int destinationFormat, sourceFormat, expected; };
class ScaleFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(ScaleFormats, OnlyEightBitRgbaIsScaled) {
    Frame source(4, 4), destination(2, 2, 8, untouched);
    JxImage from = source.image(), to = destination.image();
    from.format = GetParam().sourceFormat;
    to.format = GetParam().destinationFormat;
    EXPECT_EQ(JxScaleImage(to, from), GetParam().expected);
    if (GetParam().expected != JxOk) {
        EXPECT_TRUE(allBytesAre(destination.bytes, untouched));
    }
}
INSTANTIATE_TEST_SUITE_P(JxScaleImage, ScaleFormats, ::testing::Values(
    FormatCase{1, 1, JxOk}, FormatCase{0, 1, JxRefused}, FormatCase{1, 2, JxRefused},
    FormatCase{2, 2, JxRefused}, FormatCase{1, 0, JxRefused}, FormatCase{3, 3, JxRefused}));

TEST(JxScaleImage, WritesEveryPixelOrRefusesAndWritesNothing) {
    // Factors 3 and 7 are taken as 4 and 8; they are accepted only when the rounded factor
    // still fills the destination exactly.
    struct Case { int sourceWidth, sourceHeight, width, height, expected; };
    const Case cases[] = {
        {1000, 700, 500, 350, JxOk},          // 2
        {1000, 700, 250, 175, JxOk},          // 4
        {1000, 700, 125, 88, JxOk},           // 8, last row from the source's last 8 rows
        {1000, 700, 334, 234, JxRefused},     // ceil(2.99) = 3 -> 4 would leave 84 columns
        {1280, 641, 427, 214, JxRefused},     // working divisor 3
        {9, 9, 3, 3, JxOk},                   // 3 -> 4 fills 3 x 3 exactly
        {14, 14, 2, 2, JxOk},                 // 7 -> 8 fills 2 x 2 exactly
        {10, 10, 2, 2, JxRefused},            // 5
        {12, 12, 2, 2, JxRefused},            // 6
        {18, 18, 2, 2, JxRefused},            // 9
        {100, 100, 1, 1, JxRefused},          // 100
        {8, 8, 4, 2, JxRefused},              // factor from the rows, too many columns
        {4, 4, 4, 4, JxOk},                   // 1: a copy
        {4, 4, 5, 5, JxRefused},              // larger than the source
        {4, 4, 4, 5, JxRefused},
        {7, 7, 1, 1, JxUnexpectedException},  // 8 needs at least 8 rows ("Image too small")
        {16, 7, 2, 1, JxUnexpectedException},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sourceWidth << "x" << c.sourceHeight << " -> "
                                        << c.width << "x" << c.height);
        Frame source(c.sourceWidth, c.sourceHeight);   // all zero
        Frame destination(c.width, c.height, c.width * 4, untouched);
        EXPECT_EQ(JxScaleImage(destination.image(), source.image()), c.expected);
        std::vector<std::uint8_t> pixels(destination.bytes.begin(), destination.bytes.end() - 16);
        EXPECT_TRUE(allBytesAre(pixels, c.expected == JxOk ? 0 : untouched));
    }
}

TEST(JxScaleImage, InvalidBuffersAreRefusedOnEitherSide) {
    struct Case { const char* name; std::function<void(JxImage&)> spoil; };
    const Case cases[] = {
        {"zero width", [](JxImage& image) { image.width = 0; }},
        {"negative height", [](JxImage& image) { image.height = -4; }},
        {"null data", [](JxImage& image) { image.data = nullptr; }},
        {"stride below 4 x width", [](JxImage& image) { image.stride = image.width * 4 - 1; }},
        {"negative stride", [](JxImage& image) { image.stride = -image.stride; }},
        {"huge width", [](JxImage& image) { image.width = 0x40000000; }},
    };
    for (const Case& c : cases) {
        for (bool spoilSource : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.name << (spoilSource ? " source" : " destination"));
            Frame source(4, 4), destination(2, 2, 8, untouched);
            JxImage from = source.image(), to = destination.image();
            c.spoil(spoilSource ? from : to);
            EXPECT_EQ(JxScaleImage(to, from), JxRefused);
            EXPECT_TRUE(allBytesAre(destination.bytes, untouched));
        }
    }
}

TEST(JxScaleImage, FactorTwoTakesTheMeanOfTheMiddleTwoPerChannel) {
    // Block (0,0): channel 0 is 10, 20, 30, 200 -> (20 + 30) / 2 = 25; channel 1 is 0, 0, 255,
    // 255 -> 255 / 2 = 127 (rounded down); channel 2 is 7 four times; alpha 255, 255, 255, 0.
    // The other blocks are flat, each with its own value. Rows carry 8 padding bytes of 99.
    Frame source(4, 4, 24, 99);
    const int block00[4][4] = {{10, 0, 7, 255}, {20, 0, 7, 255}, {30, 255, 7, 255}, {200, 255, 7, 0}};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            for (int k = 0; k < 4; ++k) {
                const int block = (row / 2) * 2 + column / 2;
                source.at(row, column, k) = static_cast<std::uint8_t>(
                    block == 0 ? block00[row * 2 + column][k] : 40 * block + k);
            }
    Frame destination(2, 2, 12, untouched);
    ASSERT_EQ(JxScaleImage(destination.image(), source.image()), JxOk);
    EXPECT_EQ(destination.channel(0), (std::vector<int>{25, 40, 80, 120}));
    EXPECT_EQ(destination.channel(1), (std::vector<int>{127, 41, 81, 121}));
    EXPECT_EQ(destination.channel(2), (std::vector<int>{7, 42, 82, 122}));
    EXPECT_EQ(destination.channel(3), (std::vector<int>{255, 43, 83, 123}));
    EXPECT_EQ(destination.at(0, 2, 0), untouched) << "row padding is the caller's";
}

TEST(JxScaleImage, FactorTwoKeepsEachBlockApartAcrossAWholeRow) {
    // Five blocks in one row, each holding 0, 10, 20 + b and 100 (block b) in another
    // arrangement, plus k in channel k: the middle two are 10 + k and 20 + b + k, so block b
    // gives 15 + k + b / 2 (rounded down). Wide rows are reduced several blocks at a time.
    const int arrangement[5][4] = {{0, 10, 20, 100}, {100, 21, 10, 0}, {10, 0, 100, 22},
                                   {23, 100, 0, 10}, {0, 24, 10, 100}};
    Frame source(10, 2);
    for (int block = 0; block < 5; ++block)
        for (int corner = 0; corner < 4; ++corner)
            for (int k = 0; k < 4; ++k)
                source.at(corner / 2, 2 * block + corner % 2, k) =
                    static_cast<std::uint8_t>(arrangement[block][corner] + k);
    Frame destination(5, 1);
    ASSERT_EQ(JxScaleImage(destination.image(), source.image()), JxOk);
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(destination.channel(k),
                  (std::vector<int>{15 + k, 15 + k, 16 + k, 16 + k, 17 + k}));
    }
}

TEST(JxScaleImage, FactorFourLeavesOutTheBlockCorners) {
    // Corners 255, the other twelve 0..11 in raster order: the middle two are 5 and 6 -> 5.
    // Counting the corners too would give 7.
    Frame source(4, 4);
    int next = 0;
    source.setChannel(0, [&](int row, int column) {
        const bool corner = (row == 0 || row == 3) && (column == 0 || column == 3);
        return corner ? 255 : next++;
    });
    source.setChannel(3, [](int row, int column) { return row == 0 && column == 0 ? 0 : 255; });
    Frame destination(1, 1);
    ASSERT_EQ(JxScaleImage(destination.image(), source.image()), JxOk);
    EXPECT_EQ(destination.channel(0), (std::vector<int>{5}));
    EXPECT_EQ(destination.channel(3), (std::vector<int>{255}));
}

TEST(JxScaleImage, FactorEightSamplesAnOctagon) {
    // The twelve pixels outside the octagon (two per corner row end, one per second-row end)
    // are 255; the 52 inside are 0..51 in raster order: middle two 25 and 26 -> 25. With the
    // corners it would be 31.
    Frame source(8, 8);
    int next = 0;
    source.setChannel(1, [&](int row, int column) {
        const int edge = std::min(row, 7 - row);
        const int cut = edge == 0 ? 2 : edge == 1 ? 1 : 0;
        const bool inside = column >= cut && column <= 7 - cut;
        return inside ? next++ : 255;
    });
    ASSERT_EQ(next, 52);
    // Ties at the ends of the range: channel 0 has 26 samples of 255 and 26 of 0 inside (0
    // outside) -> (0 + 255) / 2 = 127; channel 2 is 255 everywhere.
    int inside = 0;
    source.setChannel(0, [&](int row, int column) {
        return source.at(row, column, 1) != 255 && inside++ < 26 ? 255 : 0;
    });
    source.setChannel(2, [](int, int) { return 255; });
    Frame destination(1, 1);
    ASSERT_EQ(JxScaleImage(destination.image(), source.image()), JxOk);
    EXPECT_EQ(destination.channel(1), (std::vector<int>{25}));
    EXPECT_EQ(destination.channel(0), (std::vector<int>{127}));
    EXPECT_EQ(destination.channel(2), (std::vector<int>{255}));
}

TEST(JxScaleImage, LastRowAndColumnComeFromTheSourcesLastBlock) {
    // 5 x 5 by 2 into 3 x 3. Channel 2 is 10 x row + column, so a block at (r, c) holds
    // base, base + 1, base + 10, base + 11 with base = 10 r + c, and gives base + 5.
    // Destination rows 0 and 1 come from source rows 0-1 and 2-3, row 2 from rows 3-4; the
    // columns likewise.
    Frame source(5, 5);
    source.setChannel(2, [](int row, int column) { return 10 * row + column; });
    Frame destination(3, 3, 12, untouched);
    ASSERT_EQ(JxScaleImage(destination.image(), source.image()), JxOk);
    EXPECT_EQ(destination.channel(2), (std::vector<int>{5, 7, 8, 25, 27, 28, 35, 37, 38}));
}

TEST(JxScaleImage, EqualSizesAreCopiedRowByRow) {
    Frame source(3, 2, 16), destination(3, 2, 20, untouched);
    source.setChannel(0, [](int row, int column) { return 1 + row * 3 + column; });
    source.setChannel(3, [](int row, int column) { return 200 + row; });
    ASSERT_EQ(JxScaleImage(destination.image(), source.image()), JxOk);
    EXPECT_EQ(destination.channel(0), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(destination.channel(3), (std::vector<int>{200, 200, 200, 201, 201, 201}));
    EXPECT_EQ(destination.at(0, 3, 0), untouched);
    EXPECT_EQ(destination.at(0, 4, 3), untouched);
}
