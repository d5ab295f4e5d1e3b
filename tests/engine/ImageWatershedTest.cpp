#include "watershed/ImageWatershed.h"

#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <string>
#include <vector>

using namespace classification;

namespace {

using LevelImage = blitz::Array<ImageWatershed::LevelPixel, 2>;

/// A level image from rows of digits (level = 10 x digit), bytes 0 and 2 set to junk so that
/// a flood reading the wrong byte would show.
LevelImage levelsFrom(const std::vector<std::string>& rows) {
    LevelImage image(static_cast<int>(rows.size()), static_cast<int>(rows[0].size()));
    for (int r = 0; r < image.rows(); ++r)
        for (int c = 0; c < image.columns(); ++c)
            image(r, c) = ImageWatershed::LevelPixel(
                255, static_cast<unsigned char>(10 * (rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] - '0')), 0);
    return image;
}

/// A table over the image's box whose outer frame carries label 0 (list 0).
PointListTable framedTable(const LevelImage& image) {
    PointListTable table(IntBox::domainOf(image));
    EXPECT_EQ(table.newList(), 0);
    for (int r = 0; r < image.rows(); ++r)
        for (int c = 0; c < image.columns(); ++c)
            if (r == 0 || c == 0 || r == image.rows() - 1 || c == image.columns() - 1)
                table.labels(r, c) = 0;
    return table;
}

TEST(ImageWatershed, BlockInsideAFrameIsFloodedAndTheFrameKeepsItsLabel) {
    const LevelImage image = levelsFrom({"99999", "91239", "94569", "99999"});
    PointListTable table = framedTable(image);
    ImageWatershed(image, table, 0).floodInner(ProgressRange());
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c) {
            const bool frame = r == 0 || c == 0 || r == 3 || c == 4;
            if (frame)
                EXPECT_EQ(table.labels(r, c), 0) << r << "," << c;
            else
                EXPECT_EQ(table.labels(r, c), 1) << r << "," << c;   // one class from the top seed
        }
    // The new class reached the frame, so its list holds contacts; the frame never spread.
    ASSERT_EQ(table.lists.size(), 2u);
    EXPECT_TRUE(table.lists[0].empty());
    EXPECT_FALSE(table.lists[1].empty());
}

TEST(ImageWatershed, QueuedSeedsSpreadAndSplitAPlateauByDistance) {
    // Row 1: frame, A, four plateau pixels, B, frame; all at one level.
    const LevelImage image = levelsFrom({"55555555", "55555555", "55555555"});
    PointListTable table = framedTable(image);
    const std::int32_t a = table.newList();
    const std::int32_t b = table.newList();
    for (int c = 1; c <= 6; ++c)
        table.labels(1, c) = -1;
    table.labels(1, 1) = a;
    table.labels(1, 6) = b;
    ImageWatershed flood(image, table, 0);
    flood.enqueueSeed(1, 1);
    flood.enqueueSeed(1, 6);
    flood.floodInner(ProgressRange());
    const int expected[] = {0, a, a, a, b, b, b, 0};
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(table.labels(1, c), expected[c]) << "column " << c;
    // Each side recorded its contact with the other, the reaching pixel first.
    auto has = [&](std::int32_t label, int fromColumn, int toColumn) {
        for (const PixelPair& pair : table.lists[static_cast<std::size_t>(label)])
            if (pair.first == table.indexOf(1, fromColumn) && pair.second == table.indexOf(1, toColumn))
                return true;
        return false;
    };
    EXPECT_TRUE(has(a, 3, 4));
    EXPECT_TRUE(has(b, 4, 3));
    EXPECT_FALSE(has(b, 3, 4));
}

TEST(ImageWatershed, LabelledPixelsThatWereNotQueuedOnlyStopTheFlood) {
    const LevelImage image = levelsFrom({"55555", "55555", "55555"});
    PointListTable table = framedTable(image);
    const std::int32_t a = table.newList();
    table.labels(1, 1) = a;   // labelled, not queued
    table.labels(1, 2) = -1;
    table.labels(1, 3) = -1;
    ImageWatershed(image, table, 0).floodInner(ProgressRange());
    // The unlabelled pixels start a class of their own instead of joining a.
    EXPECT_EQ(table.labels(1, 2), 2);
    EXPECT_EQ(table.labels(1, 3), 2);
    EXPECT_EQ(table.labels(1, 1), a);
    // The contact with a is recorded in the new class's list, never in a's.
    bool reachedA = false;
    for (const PixelPair& pair : table.lists[2])
        reachedA = reachedA || (pair.first == table.indexOf(1, 2) && pair.second == table.indexOf(1, 1));
    EXPECT_TRUE(reachedA);
    EXPECT_TRUE(table.lists[static_cast<std::size_t>(a)].empty());
}

TEST(ImageWatershed, PixelAboveTheQueueStartsANewClassAndTheCapIsShared) {
    // Seed a at level 10 in the middle; pixels of level 90 are above anything it can offer.
    const LevelImage image = levelsFrom({"0000000", "0919190", "0000000"});
    PointListTable table(IntBox::domainOf(image), 4);
    for (int k = 0; k < 5; ++k)
        table.newList();   // labels 0 to 4 exist: five classes
    table.labels = 0;
    for (int c = 1; c <= 5; ++c)
        table.labels(1, c) = -1;
    table.labels(1, 2) = 1;
    table.labels(1, 4) = 1;
    ImageWatershed flood(image, table, 0);
    flood.enqueueSeed(1, 2);
    flood.floodInner(ProgressRange());
    // Columns 1, 3 and 5 (level 90) each start a class: all of them share label 4.
    EXPECT_EQ(table.labels(1, 1), 4);
    EXPECT_EQ(table.labels(1, 3), 4);
    EXPECT_EQ(table.labels(1, 5), 4);
    EXPECT_EQ(table.lists.size(), 5u);
}

TEST(ImageWatershed, HugePenaltyIsClampedAndUnsafeArgumentsAreRefused) {
    const LevelImage image = levelsFrom({"999", "919", "999"});
    {
        PointListTable table = framedTable(image);
        table.labels(1, 1) = -1;
        ImageWatershed(image, table, INT_MAX).floodInner(ProgressRange());
        EXPECT_EQ(table.labels(1, 1), 1);
    }
    {
        PointListTable table(IntBox::domainOf(image));   // frame unlabelled
        table.labels(1, 1) = 0;
        ImageWatershed flood(image, table, 0);
        EXPECT_THROW(flood.floodInner(ProgressRange()), std::invalid_argument);
        EXPECT_EQ(table.labels(0, 0), -1);
    }
    {
        PointListTable table = framedTable(image);
        table.labels(1, 1) = -1;
        ImageWatershed flood(image, table, 0);
        EXPECT_THROW(flood.enqueueSeed(0, 1), std::invalid_argument);   // on the frame
        EXPECT_THROW(flood.enqueueSeed(1, 1), std::invalid_argument);   // unlabelled
    }
    {
        PointListTable table(IntBox(0, 0, 3, 3));
        EXPECT_THROW(ImageWatershed(LevelImage(), table, 0), std::invalid_argument);
    }
}

TEST(ImageWatershed, PixelsOutsideTheLevelImageTakeTheNearestLevel) {
    // The table reaches one pixel beyond the level image on every side.
    const LevelImage inner = levelsFrom({"91", "11"});
    LevelImage image(inner.copy());
    image.reindexSelf(IntPoint(1, 1));
    PointListTable table(IntBox(0, 0, 3, 3));
    table.newList();
    table.labels = 0;
    table.labels(1, 1) = table.labels(1, 2) = table.labels(2, 1) = table.labels(2, 2) = -1;
    ImageWatershed(image, table, 0).floodInner(ProgressRange());
    // (1, 1) holds the highest level and floods the rest before a seed of level 10 may start.
    EXPECT_EQ(table.labels(1, 1), 1);
    EXPECT_EQ(table.labels(1, 2), 1);
    EXPECT_EQ(table.labels(2, 1), 1);
    EXPECT_EQ(table.labels(2, 2), 1);
}

TEST(ImageWatershed, StridedLevelViewsReadTheirOwnPixels) {
    // The level image is a view inside a larger array; levels must come from the view's
    // positions, not from a flat index into the larger storage.
    LevelImage large = levelsFrom({"0000000", "0999990", "0912990", "0999990", "0000000"});
    LevelImage view = cropArrayToBox(large, IntBox(1, 1, 3, 5));
    PointListTable table(IntBox(1, 1, 3, 5));
    table.newList();
    table.labels = 0;
    table.labels(2, 2) = -1;
    table.labels(2, 3) = -1;
    ImageWatershed flood(view, table, 0);
    flood.floodInner(ProgressRange());
    // Level 20 at (2, 3) is the highest unlabelled pixel: it starts the class that takes (2, 2).
    EXPECT_EQ(table.labels(2, 3), 1);
    EXPECT_EQ(table.labels(2, 2), 1);
}

}  // namespace
