// Engine images as the engine's sessions use them: copies, views, masked local copies and
// the pixel views over callers' buffers.

#include "classification/JxInImage.h"

#include "classification/JxEngine.h"
#include "classification/JxInterface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

using classification::IntBox;
using Corvel::utility::Colour;

TEST(JxInImage, CopiesShareThePixelsAndAreFreedWithTheirEngine) {
    JxEngine* engine = JxInit();
    ASSERT_NE(engine, nullptr);
    std::uint8_t pixels[4 * 3 * 2] = {};
    JxImage* original = JxNewImage(engine, JxImage{3, 2, 12, JxFormatRgba8, pixels});
    ASSERT_NE(original, nullptr);
    auto* copy = new JxInImage(*JxInImage::fromHandle(original));
    EXPECT_EQ(copy->data, original->data);
    EXPECT_EQ(copy->stride, original->stride);
    EXPECT_FALSE(copy->ownsBuffer());
    EXPECT_EQ(copy->engine(), JxInImage::fromHandle(original)->engine());
    EXPECT_EQ(JxCheckImage(copy), JxOk);
    EXPECT_EQ(engine->imageCount(), 2u);
    EXPECT_EQ(JxFinish(engine), JxOk);   // deletes the copy without freeing the pixels twice
    EXPECT_EQ(JxCheckImage(copy), JxBadImage);
}

TEST(JxInImage, AnImageWithoutEngineIsNoHandle) {
    blitz::Array<unsigned char, 2> statuses(3, 5);
    statuses = 1;
    JxInImage view(statuses);
    EXPECT_EQ(view.width, 5);
    EXPECT_EQ(view.height, 3);
    EXPECT_EQ(view.stride, 5);
    EXPECT_EQ(view.data, statuses.data());
    EXPECT_EQ(view.format, JxFormatStatus);
    EXPECT_EQ(JxCheckImage(&view), JxBadImage) << "only images registered with an engine";
}

TEST(JxInImage, MaskedCopyKeepsTheStatusesInsideTheMask) {
    JxInImage statuses(nullptr, 5, 4);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 5; ++column)
            statuses.data[row * statuses.stride + column] = static_cast<unsigned char>(10 * row + column);
    // The patch (1,1)-(2,3): a 2 x 3 mask, indexed in image coordinates, rows 8 bytes apart.
    std::vector<unsigned char> maskBytes = {1, 0, 1, 9, 9, 9, 9, 9,
                                            0, 255, 1, 9, 9, 9, 9, 9};
    blitz::Array<unsigned char, 2> mask(maskBytes.data(), blitz::shape(2, 3), blitz::shape(8, 1),
                                        blitz::neverDeleteData);
    mask.reindexSelf(blitz::TinyVector<int, 2>(1, 1));
    JxInImage local;
    local.copyMasked(statuses, IntBox(1, 1, 2, 3), mask);
    EXPECT_EQ(local.width, 3);
    EXPECT_EQ(local.height, 2);
    EXPECT_EQ(local.stride, 8);
    EXPECT_TRUE(local.ownsBuffer());
    const std::vector<int> expected = {11, 0, 13, 0, 22, 23};
    std::vector<int> copied;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column)
            copied.push_back(local.data[row * local.stride + column]);
    EXPECT_EQ(copied, expected);

    EXPECT_THROW(local.copyMasked(statuses, IntBox(3, 3, 4, 5), mask), std::out_of_range);
    EXPECT_THROW(local.copyMasked(statuses, IntBox(0, 0, 1, 2), mask), std::invalid_argument);
}

TEST(JxInImage, PixelViewsIndexRowsByStride) {
    std::vector<std::uint16_t> wide(2 * 12, 0);   // 2 rows of 3 pixels, rows 24 bytes apart
    wide[12 + 4 + 3] = 65535;                      // alpha of (1, 1)
    JxImage image{2, 2, 24, JxFormatRgba16, reinterpret_cast<unsigned char*>(wide.data())};
    blitz::Array<Colour<unsigned short>, 2> view = JxInImage::colour16View(image);
    EXPECT_EQ(view.rows(), 2);
    EXPECT_EQ(view.columns(), 2);
    EXPECT_EQ(view(1, 1).alpha(), 65535);
    EXPECT_EQ(view(1, 0).alpha(), 0);

    std::vector<std::uint8_t> bytes(2 * 12, 0);
    bytes[12 + 2] = 77;                            // channel 2 of (1, 0)
    JxImage eight{3, 2, 12, JxFormatRgba8, bytes.data()};
    EXPECT_EQ(JxInImage::colourView(eight)(1, 0), Colour<unsigned char>(0, 0, 77, 0));
    eight.stride = 13;
    EXPECT_THROW(JxInImage::colourView(eight), std::invalid_argument);
}
