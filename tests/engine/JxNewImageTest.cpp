#include "classification/JxInterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

class JxNewImageTest : public ::testing::Test {
protected:
    void SetUp() override { engine = JxInit(); ASSERT_NE(engine, nullptr); }
    void TearDown() override { EXPECT_EQ(JxFinish(engine), JxOk); }

    std::vector<int> statusesOf(const JxImage* image) {
        std::vector<int> statuses;
        for (int row = 0; row < image->height; ++row)
            for (int column = 0; column < image->width; ++column)
                statuses.push_back(image->data[row * image->stride + column]);
        return statuses;
    }

    JxEngine* engine = nullptr;
};

/// A one-row image of the given alphas in a four-channel format of `Channel`, colour channels
/// set to values that are never alpha-like.
template <typename Channel>
std::vector<Channel> rowOfAlphas(const std::vector<Channel>& alphas) {
    std::vector<Channel> pixels;
    for (Channel alpha : alphas)
        pixels.insert(pixels.end(), {Channel(7), Channel(8), Channel(9), alpha});
    return pixels;
}

}  // namespace

TEST_F(JxNewImageTest, StatusesComeFromFullAlphaOfEachFormat) {
    std::vector<std::uint8_t> eightBit = rowOfAlphas<std::uint8_t>({255, 254, 0, 255});
    std::vector<std::uint16_t> sixteenBit = rowOfAlphas<std::uint16_t>({65535, 65534, 32768});
    std::vector<std::uint16_t> fifteenBit = rowOfAlphas<std::uint16_t>({32768, 32767, 65535});
    std::vector<std::uint8_t> statusBytes = {0, 9, 0, 0, 2};
    struct Case { const char* name; JxImage source; std::vector<int> expected; };
    const Case cases[] = {
        {"8-bit", {4, 1, 16, JxFormatRgba8, eightBit.data()}, {1, 0, 0, 1}},
        {"16-bit", {3, 1, 24, JxFormatRgba16, reinterpret_cast<unsigned char*>(sixteenBit.data())},
         {1, 0, 0}},
        {"16-bit with maximum 32768",
         {3, 1, 24, JxFormatRgba16Max32768, reinterpret_cast<unsigned char*>(fifteenBit.data())},
         {1, 0, 0}},
        {"statuses: no alpha, all unmarked", {5, 1, 5, JxFormatStatus, statusBytes.data()},
         {1, 1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JxImage* image = JxNewImage(engine, c.source);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->format, JxFormatStatus);
        EXPECT_EQ(image->width, c.source.width);
        EXPECT_EQ(image->height, 1);
        EXPECT_EQ(statusesOf(image), c.expected);
        EXPECT_EQ(JxCheckImage(image), JxOk);
    }
}

TEST_F(JxNewImageTest, RowsArePaddedToFourBytesAndReadWithTheSourceStride) {
    // 13 x 2 source whose rows are 64 bytes apart; the second row is transparent.
    std::vector<std::uint8_t> source(128, 255);
    for (int column = 0; column < 13; ++column)
        source[64 + column * 4 + 3] = 0;
    JxImage* image = JxNewImage(engine, JxImage{13, 2, 64, JxFormatRgba8, source.data()});
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->stride, 16);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(image->data) % 4, 0u);
    std::vector<int> expected(13, 1);
    expected.insert(expected.end(), 13, 0);
    EXPECT_EQ(statusesOf(image), expected);

    for (int width : {1, 4, 5}) {
        SCOPED_TRACE(width);
        JxImage* narrow = JxNewImage(engine, JxImage{width, 1, 64, JxFormatRgba8, source.data()});
        ASSERT_NE(narrow, nullptr);
        EXPECT_EQ(narrow->stride, (width + 3) / 4 * 4);
    }
}

TEST_F(JxNewImageTest, InvalidSourcesAreRefusedWithoutBeingRead) {
    alignas(8) std::uint8_t pixels[64] = {};
    struct Case { const char* name; JxImage source; };
    const Case cases[] = {
        {"zero width", {0, 2, 16, JxFormatRgba8, pixels}},
        {"negative height", {2, -2, 16, JxFormatRgba8, pixels}},
        {"null data", {2, 2, 16, JxFormatRgba8, nullptr}},
        {"stride one byte short", {4, 2, 15, JxFormatRgba8, pixels}},
        {"stride not whole pixels", {2, 2, 10, JxFormatRgba8, pixels}},
        {"16-bit stride short", {2, 2, 12, JxFormatRgba16, pixels}},
        {"16-bit data misaligned", {1, 1, 8, JxFormatRgba16, pixels + 1}},
        {"negative stride", {2, 2, -16, JxFormatRgba8, pixels + 32}},
        {"status stride short", {5, 2, 4, JxFormatStatus, pixels}},
        {"width whose row overflows int", {0x40000000, 1, 16, JxFormatRgba8, pixels}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(JxNewImage(engine, c.source), nullptr);
    }
}

TEST(JxNewImage, NeedsALiveEngine) {
    std::uint8_t pixels[16] = {};
    const JxImage source{2, 2, 8, JxFormatRgba8, pixels};
    EXPECT_EQ(JxNewImage(nullptr, source), nullptr);
    int notAnEngine[8] = {};
    EXPECT_EQ(JxNewImage(reinterpret_cast<JxEngine*>(notAnEngine), source), nullptr);
    JxEngine* engine = JxInit();
    JxImage* image = JxNewImage(engine, source);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(JxFinish(engine), JxOk);   // frees the image: no leak is reported
    EXPECT_EQ(JxNewImage(engine, source), nullptr);
    EXPECT_EQ(JxCheckImage(image), JxBadImage);
    EXPECT_EQ(JxCheckImage(nullptr), JxBadImage);
    EXPECT_EQ(JxCheckImage(reinterpret_cast<JxImage*>(notAnEngine)), JxBadImage);
}
