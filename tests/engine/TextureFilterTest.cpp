#include "classification/TextureFilter.h"

#include "RecordingUI.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>
#include <vector>

using namespace classification;

namespace {

using Bytes = blitz::Array<unsigned char, 2>;

Bytes randomChannel(int rows, int columns, int lowerRow, int lowerColumn, unsigned seed) {
    Bytes channel(blitz::Range(lowerRow, lowerRow + rows - 1),
                  blitz::Range(lowerColumn, lowerColumn + columns - 1));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(0, 255);
    for (auto it = channel.begin(); it != channel.end(); ++it)
        *it = static_cast<unsigned char>(value(random));
    return channel;
}

/// The rank value of sorted values at fraction f: rank k = floor(r + 0.001) of
/// r = f (n - 1) + 1, moved towards rank k + 1 by the fraction of r, rounded half up.
int rankValue(std::vector<int> values, float f) {
    std::sort(values.begin(), values.end());
    const float r = f * static_cast<float>(values.size() - 1) + 1.0f;
    const int k = static_cast<int>(std::floor(r + 0.001f));
    const float w = r - static_cast<float>(k);
    const int v = values[static_cast<std::size_t>(k - 1)];
    if (w <= 0.0f || k >= static_cast<int>(values.size()))
        return v;
    return v + static_cast<int>(std::floor(static_cast<float>(values[static_cast<std::size_t>(k)] - v) * w + 0.5f));
}

int clampTo(int value, int low, int high) { return std::min(std::max(value, low), high); }

/// The whole filter by sorting windows, with borders replicated by clamping coordinates.
void referenceFilter(const Bytes& channel, int radius, int bits, float p, Bytes& first, Bytes& second) {
    const int s = radius + 1;
    const TextureDisc disc = buildTextureDisc(s);
    const IntBox box = IntBox::domainOf(channel);
    auto quantised = [&](int r, int c) {
        return channel(clampTo(r, box.lower[0], box.upper[0]), clampTo(c, box.lower[1], box.upper[1])) >> (8 - bits);
    };
    auto firstPass = [&](int r, int c, float f) {
        std::vector<int> values;
        for (int j = 0; j < s; ++j)
            for (int i = 0; i < s; ++i)
                if (disc(j, i))
                    values.push_back(quantised(r + j, c + i));
        return rankValue(values, f);
    };
    for (int r = box.lower[0]; r <= box.upper[0]; ++r)
        for (int c = box.lower[1]; c <= box.upper[1]; ++c) {
            std::vector<int> low, high;
            for (int j = 0; j < s; ++j)
                for (int i = 0; i < s; ++i)
                    if (disc(j, i)) {
                        const int qr = clampTo(r - j, box.lower[0], box.upper[0]);
                        const int qc = clampTo(c - i, box.lower[1], box.upper[1]);
                        low.push_back(firstPass(qr, qc, p));
                        high.push_back(firstPass(qr, qc, 1.0f - p));
                    }
            first(r, c) = static_cast<unsigned char>(rankValue(low, 1.0f - p));
            second(r, c) = static_cast<unsigned char>(rankValue(high, p));
        }
}

TEST(TextureDisc, SidesTwoThreeAndFour) {
    const TextureDisc two = buildTextureDisc(2);
    EXPECT_TRUE(blitz::all(two));
    const TextureDisc three = buildTextureDisc(3);
    EXPECT_TRUE(blitz::all(three));   // corners: 2.25 >= 2
    const TextureDisc four = buildTextureDisc(4);
    EXPECT_FALSE(four(0, 0));          // 4 < 4.5
    EXPECT_FALSE(four(3, 3));
    EXPECT_TRUE(four(0, 1));
    EXPECT_EQ(blitz::count(four), 12);
    EXPECT_THROW(buildTextureDisc(0), std::invalid_argument);
}

TEST(TextureFilter, RadiusZeroCopiesTheChannelUnquantised) {
    const Bytes channel = randomChannel(5, 7, 2, -3, 1);
    Bytes first(channel.shape()), second(channel.shape());
    first.reindexSelf(channel.base());
    second.reindexSelf(channel.base());
    filterTextureChannel(first, second, channel, 0, 3, 0.16f, ProgressRange());
    EXPECT_TRUE(blitz::all(first == channel));
    EXPECT_TRUE(blitz::all(second == channel));
}

TEST(TextureFilter, AgreesWithSortedWindows) {
    struct Case { int radius, bits; float p; };
    const Case cases[] = {{1, 8, 0.16f}, {2, 7, 0.16f}, {3, 5, 0.25f}, {4, 8, 0.0f}, {2, 8, 0.5f}, {3, 0, 0.16f}};
    unsigned seed = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "radius " << c.radius << " bits " << c.bits << " p " << c.p);
        const Bytes channel = randomChannel(11, 14, -2, 3, ++seed);
        Bytes first(channel.shape()), second(channel.shape()), wantFirst(channel.shape()), wantSecond(channel.shape());
        for (Bytes* b : {&first, &second, &wantFirst, &wantSecond})
            b->reindexSelf(channel.base());
        first = 0;
        second = 0;
        filterTextureChannel(first, second, channel, c.radius, c.bits, c.p, ProgressRange());
        referenceFilter(channel, c.radius, c.bits, c.p, wantFirst, wantSecond);
        EXPECT_TRUE(blitz::all(first == wantFirst));
        EXPECT_TRUE(blitz::all(second == wantSecond));
    }
}

TEST(TextureFilter, FractionOutsideItsRangeIsClamped) {
    const Bytes channel = randomChannel(9, 9, 0, 0, 9);
    auto run = [&](float p) {
        Bytes first(9, 9), second(9, 9);
        filterTextureChannel(first, second, channel, 2, 8, p, ProgressRange());
        return std::make_pair(Bytes(first.copy()), Bytes(second.copy()));
    };
    const auto atZero = run(0.0f);
    const auto atHalf = run(0.5f);
    const auto below = run(-0.3f);
    const auto above = run(0.9f);
    EXPECT_TRUE(blitz::all(below.first == atZero.first));
    EXPECT_TRUE(blitz::all(below.second == atZero.second));
    EXPECT_TRUE(blitz::all(above.first == atHalf.first));
    EXPECT_TRUE(blitz::all(above.second == atHalf.second));
}

TEST(TextureFilter, UniformChannelGivesItsQuantisedValueEverywhere) {
    Bytes channel(6, 8);
    channel = 200;
    Bytes first(6, 8), second(6, 8);
    filterTextureChannel(first, second, channel, 3, 5, 0.16f, ProgressRange());
    EXPECT_TRUE(blitz::all(first == (200 >> 3)));
    EXPECT_TRUE(blitz::all(second == (200 >> 3)));
}

TEST(RankFilterPair, ExtremeFractionsGiveWindowMinimumAndMaximum) {
    Bytes padded(blitz::Range(0, 4), blitz::Range(0, 5));
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 6; ++c)
            padded(r, c) = static_cast<unsigned char>((r * 7 + c * 5) % 16);
    TwoValueImage pair(5, 6);
    pair = TwoValuePixel(99, 99);
    zqtest::RecordingUI ui;
    const IntBox box = rankFilterPair(padded, buildTextureDisc(2), pair, 0.0f, 1.0f, 15,
                                      ProgressRange(&ui, 0.0f, 1.0f));
    EXPECT_TRUE(boxEquals(box, IntBox(0, 0, 3, 4))) << box;
    for (int r = 0; r <= 3; ++r)
        for (int c = 0; c <= 4; ++c) {
            const int values[] = {padded(r, c), padded(r + 1, c), padded(r, c + 1), padded(r + 1, c + 1)};
            EXPECT_EQ(pair(r, c)[0], *std::min_element(values, values + 4));
            EXPECT_EQ(pair(r, c)[1], *std::max_element(values, values + 4));
        }
    EXPECT_EQ(pair(4, 5)[0], 99);   // outside the box nothing is written
    ASSERT_FALSE(ui.fractions.empty());   // row 0 is a multiple of 256
    EXPECT_FLOAT_EQ(ui.fractions.front(), 0.25f);
}

TEST(RankFilterPair, LevelsAboveTheLargestAndShortOutputsAreRefused) {
    Bytes padded(4, 4);
    padded = 3;
    padded(2, 2) = 9;
    TwoValueImage pair(4, 4);
    EXPECT_THROW(rankFilterPair(padded, buildTextureDisc(2), pair, 0.16f, 0.84f, 7, ProgressRange()),
                 std::invalid_argument);
    EXPECT_THROW(rankFilterPair(padded, buildTextureDisc(2), pair, 0.16f, 0.84f, 256, ProgressRange()),
                 std::invalid_argument);
    TwoValueImage small(2, 2);
    EXPECT_THROW(rankFilterPair(padded, buildTextureDisc(2), small, 0.16f, 0.84f, 15, ProgressRange()),
                 std::out_of_range);
}

}  // namespace
