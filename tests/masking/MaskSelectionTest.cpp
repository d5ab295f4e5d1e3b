#include "masking/MaskSelection.h"

#include <gtest/gtest.h>

namespace {

// A 4 x 3 mask whose byte at (x, y) is 10 * y + x + 1, so every byte tells where it came from.
QImage numberedMask(QPoint offset)
{
    QImage mask(4, 3, QImage::Format_Indexed8);
    mask.setColorCount(256);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            mask.scanLine(y)[x] = uchar(10 * y + x + 1);
    mask.setOffset(offset);
    return mask;
}

struct ClipCase {
    const char* name;
    QPoint offset;
    QRect expected;        // the record's rectangle in working coordinates; empty: refused
    int firstByte;         // the byte the record's first row starts with
};

class MaskSelectionClips : public ::testing::TestWithParam<ClipCase> {};

TEST_P(MaskSelectionClips, RecordCoversOnlyTheWorkingImage)
{
    const ClipCase& c = GetParam();
    const QRect working(0, 0, 10, 8);
    const MaskSelection selection(numberedMask(c.offset), working);
    if (c.expected.isEmpty()) {
        EXPECT_TRUE(selection.isEmpty());
        EXPECT_EQ(selection.recordOrNull(), nullptr);
        return;
    }
    ASSERT_FALSE(selection.isEmpty());
    const JxSelection& r = selection.record();
    EXPECT_EQ(QRect(r.x, r.y, r.width, r.height), c.expected);
    EXPECT_TRUE(working.contains(QRect(r.x, r.y, r.width, r.height)));
    EXPECT_GE(r.stride, r.width);
    ASSERT_NE(r.mask, nullptr);
    EXPECT_EQ(r.mask[0], c.firstByte);
    // The last byte the engine may read lies inside the command's own copy.
    const uchar* last = r.mask + (r.height - 1) * r.stride + r.width - 1;
    const uchar* end = selection.mask().constBits() + selection.mask().sizeInBytes();
    EXPECT_LT(last, end);
}

INSTANTIATE_TEST_SUITE_P(MaskSelection, MaskSelectionClips, ::testing::Values(
    ClipCase{"Inside", {2, 3}, QRect(2, 3, 4, 3), 1},
    ClipCase{"OverTheLeftAndTop", {-1, -2}, QRect(0, 0, 3, 1), 22},
    ClipCase{"OverTheRightAndBottom", {8, 6}, QRect(8, 6, 2, 2), 1},
    ClipCase{"TouchingTheRightEdgeFromOutside", {10, 0}, QRect(), 0},
    ClipCase{"FarAway", {-100, 50}, QRect(), 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MaskSelection, RefusesWhatIsNoEightBitMask)
{
    EXPECT_TRUE(MaskSelection(QImage(), QRect(0, 0, 10, 8)).isEmpty());
    QImage mono(4, 4, QImage::Format_Mono);
    mono.fill(1);
    EXPECT_TRUE(MaskSelection(mono, QRect(0, 0, 10, 8)).isEmpty());
    EXPECT_TRUE(MaskSelection(numberedMask({0, 0}), QRect()).isEmpty());
}

TEST(MaskSelection, KeepsItsOwnCopy)
{
    QImage mask = numberedMask({1, 1});
    const MaskSelection selection(mask, QRect(0, 0, 10, 8));
    mask.fill(0);
    EXPECT_EQ(selection.record().mask[0], 1);
}

}  // namespace
