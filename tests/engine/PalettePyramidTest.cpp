#include "matting/PalettePyramid.h"

#include "MattingTestSupport.h"
#include "classification/ProgressRange.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

using namespace Corvel::matting;
using zqtest::channels;

namespace {

using Pixel8 = blitz::TinyVector<unsigned char, 4>;
using Pixel16 = blitz::TinyVector<unsigned short, 4>;
using Triple8 = cbbTypes8::Triple;

struct Recorder : Corvel::utility::IiUI {
    std::vector<float> fractions;
    void progress(float fraction, const std::string&) override { fractions.push_back(fraction); }
};

blitz::Array<Pixel8, 2> grey8(int lower0, int length0, int lower1, int length1) {
    blitz::Array<Pixel8, 2> image(blitz::TinyVector<int, 2>(lower0, lower1),
                                  blitz::TinyVector<int, 2>(length0, length1));
    image = Pixel8(0, 0, 0, 255);
    return image;
}

/// Statuses over the same indices, all pending keep.
StatusMask keepMask(const blitz::Array<Pixel8, 2>& image) {
    StatusMask mask;
    mask.status.resize(image.shape());
    mask.status.reindexSelf(image.lbound());
    mask.status = 0x80 | 2;
    mask.bits = 2;
    return mask;
}

/// Statuses at half the image's resolution: multipliers 0.5, keep bits, every byte `fill`.
StatusMask halfScaleKeepMask(int rows, int columns, unsigned char fill) {
    StatusMask mask;
    mask.status.resize(rows, columns);
    mask.status = fill;
    mask.scale0 = 0.5f;
    mask.scale1 = 0.5f;
    mask.bits = 2;
    return mask;
}

QuadrantPyramid<cbbTypes8> build8(const blitz::Array<Pixel8, 2>& image, const StatusMask& mask,
                                  double threshold = 10.0) {
    QuadrantPyramid<cbbTypes8> pyramid;
    buildPalettePyramid(pyramid, image, mask, &threshold, ProgressRange());
    return pyramid;
}

}  // namespace

TEST(PalettePyramid, LevelDomainsFollowTheHalvingRule) {
    struct Case { int lower, length, cells0, levels; };
    const Case cases[] = {
        {0, 1, 1, 1}, {0, 2, 1, 1}, {1, 2, 2, 2}, {0, 4, 2, 2},
        {0, 5, 3, 3}, {1, 4, 3, 3}, {1, 1, 1, 1}, {0, 16, 8, 4},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "lower " << k.lower << " length " << k.length);
        const auto image = grey8(k.lower, k.length, 0, 1);
        const auto pyramid = build8(image, keepMask(image));
        ASSERT_EQ(static_cast<int>(pyramid.size()), k.levels);
        EXPECT_EQ(pyramid[0].lbound(0), k.lower / 2);
        EXPECT_EQ(pyramid[0].extent(0), k.cells0);
        EXPECT_EQ(pyramid.back().size(), 1);
        // Every pixel lands in exactly one level-0 cell.
        std::size_t colours = 0;
        for (auto it = pyramid[0].begin(); it != pyramid[0].end(); ++it)
            colours += it->colourCount();
        EXPECT_EQ(colours, static_cast<std::size_t>(k.length));
    }
}

TEST(PalettePyramid, OddLowerBoundPutsTheFirstIndexAloneInCellZero) {
    const auto image = grey8(1, 4, 0, 1);
    const auto pyramid = build8(image, keepMask(image));
    EXPECT_EQ(pyramid[0](0, 0).colourCount(), 1u);   // index 1
    EXPECT_EQ(pyramid[0](1, 0).colourCount(), 2u);   // indices 2, 3
    EXPECT_EQ(pyramid[0](2, 0).colourCount(), 1u);   // index 4
    EXPECT_EQ(pyramid[0](2, 0).parent, &pyramid[1](1, 0));
    EXPECT_EQ(pyramid.back()(0, 0).parent, nullptr);
}

TEST(PalettePyramid, ProgressIsReportedAtTheMidpointAndThenHalvesTheRest) {
    struct Case { int length; std::vector<float> fractions; };
    const Case cases[] = {
        {1, {0.6f}},                      // one level: only the midpoint
        {4, {0.6f, 0.7f}},                // level 1 at 0.75 of the range
        {16, {0.6f, 0.7f, 0.75f, 0.775f}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.length);
        const auto image = grey8(0, k.length, 0, k.length);
        Recorder recorder;
        QuadrantPyramid<cbbTypes8> pyramid;
        const double threshold = 10.0;
        buildPalettePyramid(pyramid, image, keepMask(image), &threshold,
                            ProgressRange(&recorder, 0.4f, 0.8f));
        ASSERT_EQ(recorder.fractions.size(), k.fractions.size());
        for (std::size_t n = 0; n < k.fractions.size(); ++n)
            EXPECT_NEAR(recorder.fractions[n], k.fractions[n], 1e-6);
    }
}

TEST(PalettePyramid, OnlyPendingPixelsWithTheMaskBitsEnter) {
    auto image = grey8(0, 2, 0, 2);
    image(0, 0) = Pixel8(10, 0, 0, 255);
    image(0, 1) = Pixel8(20, 0, 0, 255);
    image(1, 0) = Pixel8(30, 0, 0, 255);
    image(1, 1) = Pixel8(40, 0, 0, 255);
    StatusMask mask = keepMask(image);
    mask.status(0, 0) = 2;            // keep, not pending
    mask.status(0, 1) = 0x80 | 4;     // pending delete
    mask.status(1, 0) = 0x80 | 2 | 4; // pending, both marks
    const auto pyramid = build8(image, mask);
    const ColourCluster<cbbTypes8>& cluster = pyramid[0](0, 0).clusters.front();
    ASSERT_EQ(cluster.colours.size(), 2u);
    EXPECT_EQ(channels(cluster.colours[0]), channels(Triple8(30, 0, 0)));
    EXPECT_EQ(channels(cluster.colours[1]), channels(Triple8(40, 0, 0)));
    EXPECT_DOUBLE_EQ(cluster.sums[0], 70.0);   // statistics are current
}

TEST(PalettePyramid, HalfScaleMultipliersShareOneStatusBytePerTwoPixels) {
    StatusMask mask = halfScaleKeepMask(2, 2, 0);
    mask.status(1, 0) = 0x80 | 2;   // image rows 2, 3 and columns 0, 1
    const auto pyramid = build8(grey8(0, 4, 0, 4), mask);
    EXPECT_EQ(pyramid[0](1, 0).colourCount(), 4u);
    EXPECT_EQ(pyramid[0](0, 0).colourCount(), 0u);
    EXPECT_EQ(pyramid[0](1, 1).colourCount(), 0u);
}

TEST(PalettePyramid, PixelsWithoutAStatusByteAreNotAdmitted) {
    // A 5-row image over a 2-row status array at half scale: row 4 maps to status row 2.
    const auto pyramid = build8(grey8(0, 5, 0, 2), halfScaleKeepMask(2, 1, 0x80 | 2));
    EXPECT_EQ(pyramid[0](0, 0).colourCount(), 4u);
    EXPECT_EQ(pyramid[0](1, 0).colourCount(), 4u);
    EXPECT_EQ(pyramid[0](2, 0).colourCount(), 0u);
}

TEST(PalettePyramid, NegativeLowerBoundsAndEmptyImagesAreRefused) {
    QuadrantPyramid<cbbTypes8> pyramid;
    const double threshold = 10.0;
    const auto negative = grey8(-1, 3, 0, 1);
    EXPECT_THROW(buildPalettePyramid(pyramid, negative, keepMask(negative), &threshold,
                                     ProgressRange()),
                 std::invalid_argument);
    blitz::Array<Pixel8, 2> empty;
    EXPECT_THROW(buildPalettePyramid(pyramid, empty, StatusMask(), &threshold, ProgressRange()),
                 std::invalid_argument);
}

TEST(PalettePyramid, UpperLevelsCutTheirColoursIntoPalettes) {
    // Left half (0, 0, 0), right half (200, 0, 0): the single level-1 cell gathers 16
    // colours. Threshold 20: two clusters of one representative each. Threshold 250: one
    // cluster, refined at 125 into a palette of both colours.
    struct Case { double threshold; std::size_t clusters, firstColours; };
    const Case cases[] = {{20.0, 2, 1}, {250.0, 1, 2}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.threshold);
        auto image = grey8(0, 4, 0, 4);
        image(blitz::Range::all(), blitz::Range(2, 3)) = Pixel8(200, 0, 0, 255);
        const auto pyramid = build8(image, keepMask(image), k.threshold);
        ASSERT_EQ(pyramid.size(), 2u);
        EXPECT_EQ(pyramid[0](0, 1).clusters.front().colours.size(), 4u);   // level 0 stays raw
        const Quadrant<cbbTypes8>& top = pyramid[1](0, 0);
        ASSERT_EQ(top.clusters.size(), k.clusters);
        ASSERT_EQ(top.clusters[0].colours.size(), k.firstColours);
        EXPECT_EQ(channels(top.clusters[0].colours[0]), channels(Triple8(0, 0, 0)));
        const auto& last = top.clusters.back().colours.back();
        EXPECT_EQ(channels(last), channels(Triple8(200, 0, 0)));
    }
}

TEST(PalettePyramid, SixteenBitColoursEnterWithTheirRawValues) {
    blitz::Array<Pixel16, 2> image(1, 1);
    image(0, 0) = Pixel16(65535, 1234, 40000, 65535);
    StatusMask mask;
    mask.status.resize(1, 1);
    mask.status = 0x80 | 4;
    mask.bits = 4;
    QuadrantPyramid<cbbTypes16> pyramid;
    const double threshold = 5.0;
    buildPalettePyramid(pyramid, image, mask, &threshold, ProgressRange());
    ASSERT_EQ(pyramid.size(), 1u);
    EXPECT_EQ(channels(pyramid[0](0, 0).clusters.front().colours.front()),
              (std::array<int, 3>{65535, 1234, 40000}));
}

namespace {

/// Runs the rows of a level last to first: a runner that spreads rows over threads may run
/// them in any order.
struct RowsBackwards {
    template <typename Body>
    void operator()(int first, int last, const Body& body) const {
        for (int row = last; row >= first; --row)
            body(row);
    }
};

}  // namespace

TEST(PalettePyramid, RowsBuiltInAnyOrderGiveTheSamePyramid) {
    // Odd sizes and an odd lower bound, random colours and marks.
    std::mt19937 random(5);
    std::uniform_int_distribution<int> channel(0, 255), mark(0, 2);
    blitz::Array<Pixel8, 2> image(blitz::TinyVector<int, 2>(1, 0),
                                  blitz::TinyVector<int, 2>(37, 29));
    StatusMask mask = keepMask(image);
    for (int i = image.lbound(0); i <= image.ubound(0); ++i)
        for (int j = image.lbound(1); j <= image.ubound(1); ++j) {
            image(i, j) = Pixel8(channel(random), channel(random), channel(random), 255);
            mask.status(i, j) = static_cast<unsigned char>(0x80 | (mark(random) == 0 ? 0 : 2));
        }
    const double threshold = 30.0;
    QuadrantPyramid<cbbTypes8> inOrder, backwards;
    buildPalettePyramid(inOrder, image, mask, &threshold, ProgressRange());
    buildPalettePyramid(backwards, image, mask, &threshold, ProgressRange(), RowsBackwards());
    ASSERT_EQ(inOrder.size(), backwards.size());
    ASSERT_GT(inOrder.size(), 3u);
    for (std::size_t level = 0; level < inOrder.size(); ++level) {
        const auto& a = inOrder[level];
        const auto& b = backwards[level];
        ASSERT_TRUE(blitz::all(a.lbound() == b.lbound()) && blitz::all(a.extent() == b.extent()));
        for (int u = a.lbound(0); u <= a.ubound(0); ++u)
            for (int v = a.lbound(1); v <= a.ubound(1); ++v) {
                SCOPED_TRACE(testing::Message() << "level " << level << " cell " << u << "," << v);
                const Quadrant<cbbTypes8>& p = a(u, v);
                const Quadrant<cbbTypes8>& q = b(u, v);
                ASSERT_EQ(p.clusters.size(), q.clusters.size());
                for (std::size_t k = 0; k < p.clusters.size(); ++k) {
                    ASSERT_EQ(p.clusters[k].colours.size(), q.clusters[k].colours.size());
                    for (std::size_t c = 0; c < p.clusters[k].colours.size(); ++c)
                        EXPECT_EQ(channels(p.clusters[k].colours[c]),
                                  channels(q.clusters[k].colours[c]));
                    EXPECT_EQ(p.clusters[k].sums, q.clusters[k].sums);
                    EXPECT_EQ(p.clusters[k].moments, q.clusters[k].moments);
                }
                // The parent links point at the same cell of each pyramid's own next level.
                if (level + 1 < inOrder.size())
                    EXPECT_EQ(p.parent - inOrder[level + 1].data(),
                              q.parent - backwards[level + 1].data());
                else
                    EXPECT_EQ(q.parent, nullptr);
            }
    }
    releasePyramid(backwards, RowsBackwards());
    EXPECT_TRUE(backwards.empty());
}
