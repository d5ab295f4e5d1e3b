#include "morphology/CursorHelpers.h"
#include "morphology/PercentileFilter.h"

#include "RecordingUI.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

using classification::IntBox;
using namespace morphology;

namespace {

StructuringElement elementOnes(int rows, int columns, int lowerRow, int lowerColumn) {
    StructuringElement element(blitz::Range(lowerRow, lowerRow + rows - 1),
                               blitz::Range(lowerColumn, lowerColumn + columns - 1));
    element = 1;
    return element;
}

template <typename T>
blitz::Array<T, 2> randomArray(int rows, int columns, int lowerRow, int lowerColumn, int maximum,
                               unsigned seed) {
    blitz::Array<T, 2> array(blitz::Range(lowerRow, lowerRow + rows - 1),
                             blitz::Range(lowerColumn, lowerColumn + columns - 1));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(0, maximum);
    for (auto it = array.begin(); it != array.end(); ++it)
        *it = static_cast<T>(value(random));
    return array;
}

/// The percentile by sorting the window: the value of rank floor(r + 0.001), moved towards
/// the next rank's value by the fraction of r, rounded half up.
template <typename T>
int sortedPercentile(const blitz::Array<T, 2>& input, const StructuringElement& element, int row,
                     int column, float f) {
    std::vector<int> values;
    for (int a = element.lbound(0); a <= element.ubound(0); ++a)
        for (int b = element.lbound(1); b <= element.ubound(1); ++b)
            if (element(a, b) != 0)
                values.push_back(input(row - a, column - b));
    std::sort(values.begin(), values.end());
    const float r = static_cast<float>(values.size() - 1) * f + 1.0f;
    const int lo = static_cast<int>(std::floor(r + 0.001f));
    const int hi = static_cast<int>(std::ceil(r - 0.001f));
    const int lower = values[static_cast<std::size_t>(lo - 1)];
    const int upper = values[static_cast<std::size_t>(hi - 1)];
    if (upper == lower)
        return lower;
    return lower + static_cast<int>(static_cast<float>(upper - lower) * (r - static_cast<float>(lo)) + 0.5f);
}

template <typename T>
void expectMatchesSorting(const blitz::Array<T, 2>& input, const StructuringElement& element,
                          float f, int high) {
    const IntBox in = IntBox::domainOf(input);
    const IntBox e = IntBox::domainOf(element);
    const IntBox expected(in.lower[0] + e.upper[0], in.lower[1] + e.upper[1],
                          in.upper[0] + e.lower[0], in.upper[1] + e.lower[1]);
    // The output box lies where the windows fit, which need not be inside the input.
    blitz::Array<T, 2> output(blitz::Range(expected.lower[0], expected.upper[0]),
                              blitz::Range(expected.lower[1], expected.upper[1]));
    output = 0;
    IntBox box;
    if constexpr (sizeof(T) == 1)
        channelPercentileFilter8(output, box, input, element, f, 0, high, ProgressRange());
    else
        channelPercentileFilter16(output, box, input, element, f, 0, high, ProgressRange());
    ASSERT_TRUE(classification::boxEquals(box, expected)) << box << " " << expected;
    for (int row = box.lower[0]; row <= box.upper[0]; ++row)
        for (int column = box.lower[1]; column <= box.upper[1]; ++column)
            ASSERT_EQ(static_cast<int>(output(row, column)),
                      sortedPercentile(input, element, row, column, f))
                << "at " << row << "," << column;
}

TEST(PercentileFilter, ThreeByThreeMedianShrinksTheBoxByOne) {
    const auto input = randomArray<std::uint16_t>(10, 10, 0, 0, 65535, 1);
    blitz::Array<std::uint16_t, 2> output(10, 10);
    output = 7;
    IntBox box;
    channelPercentileFilter16(output, box, input, elementOnes(3, 3, -1, -1), 0.5f, 0, 65535,
                              ProgressRange());
    EXPECT_TRUE(classification::boxEquals(box, IntBox(1, 1, 8, 8))) << box;
    EXPECT_EQ(output(0, 0), 7);   // outside the box nothing is written
    EXPECT_EQ(output(9, 9), 7);
    expectMatchesSorting(input, elementOnes(3, 3, -1, -1), 0.5f, 65535);
}

TEST(PercentileFilter, AgreesWithSortingForElementsFractionsAndBases) {
    StructuringElement holed = elementOnes(3, 4, 0, -2);
    holed(1, -1) = 0;   // a hole splits the middle row into two runs
    holed(2, 1) = 0;
    StructuringElement disc = elementOnes(5, 5, -2, -2);
    disc(-2, -2) = disc(-2, 2) = disc(2, -2) = disc(2, 2) = 0;
    const StructuringElement elements[] = {elementOnes(3, 3, -1, -1), elementOnes(1, 2, 0, 0),
                                           holed, disc, elementOnes(2, 5, 3, -7)};
    const float fractions[] = {0.0f, 0.16f, 0.5f, 0.84f, 1.0f};
    unsigned seed = 10;
    for (const auto& element : elements)
        for (const float f : fractions) {
            SCOPED_TRACE(::testing::Message() << "element " << IntBox::domainOf(element) << " f " << f);
            expectMatchesSorting(randomArray<std::uint8_t>(13, 17, -4, 5, 255, ++seed), element, f, 255);
            expectMatchesSorting(randomArray<std::uint8_t>(9, 11, 0, 0, 7, ++seed), element, f, 255);
            expectMatchesSorting(randomArray<std::uint16_t>(12, 9, 3, -3, 65535, ++seed), element, f, 65535);
        }
}

TEST(PercentileFilter, EvenMemberCountInterpolatesHalfUp) {
    struct Case { int left, right, expected; };
    const Case cases[] = {{10, 13, 12}, {10, 11, 11}, {12, 12, 12}, {254, 255, 255}, {13, 10, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.left << " " << c.right);
        blitz::Array<std::uint8_t, 2> input(1, 2);
        input(0, 0) = static_cast<std::uint8_t>(c.left);
        input(0, 1) = static_cast<std::uint8_t>(c.right);
        blitz::Array<std::uint8_t, 2> output(1, 2);
        output = 0;
        IntBox box;
        channelPercentileFilter8(output, box, input, elementOnes(1, 2, 0, 0), 0.5f, 0, 255,
                                 ProgressRange());
        EXPECT_TRUE(classification::boxEquals(box, IntBox(0, 1, 0, 1))) << box;
        EXPECT_EQ(output(0, 1), c.expected);
    }
}

TEST(PercentileFilter, EightAndSixteenBitMembersAgree) {
    const auto narrow = randomArray<std::uint8_t>(20, 23, 0, 0, 255, 77);
    blitz::Array<std::uint16_t, 2> wide(narrow.shape());
    for (int r = 0; r < 20; ++r)
        for (int c = 0; c < 23; ++c)
            wide(r, c) = narrow(r, c);
    blitz::Array<std::uint8_t, 2> out8(narrow.shape());
    blitz::Array<std::uint16_t, 2> out16(narrow.shape());
    out8 = 0;
    out16 = 0;
    IntBox box8, box16;
    const auto element = elementOnes(3, 3, -1, -1);
    channelPercentileFilter8(out8, box8, narrow, element, 0.5f, 0, 255, ProgressRange());
    channelPercentileFilter16(out16, box16, wide, element, 0.5f, 0, 255, ProgressRange());
    ASSERT_TRUE(classification::boxEquals(box8, box16));
    for (int r = 0; r < 20; ++r)
        for (int c = 0; c < 23; ++c)
            ASSERT_EQ(static_cast<int>(out8(r, c)), static_cast<int>(out16(r, c)));
}

TEST(PercentileFilter, ElementWithoutMembersWritesZeroAndReportsNothing) {
    const auto input = randomArray<std::uint8_t>(6, 6, 0, 0, 255, 3);
    blitz::Array<std::uint8_t, 2> output(6, 6);
    output = 9;
    StructuringElement empty(3, 3);
    empty = 0;
    empty.reindexSelf(blitz::TinyVector<int, 2>(-1, -1));
    zqtest::RecordingUI ui;
    IntBox box;
    channelPercentileFilter8(output, box, input, empty, 0.5f, 0, 255, ProgressRange(&ui, 0.0f, 1.0f));
    EXPECT_TRUE(classification::boxEquals(box, IntBox(1, 1, 4, 4)));
    EXPECT_EQ(output(1, 1), 0);
    EXPECT_EQ(output(4, 4), 0);
    EXPECT_EQ(output(0, 0), 9);
    EXPECT_TRUE(ui.fractions.empty());
}

TEST(PercentileFilter, SingleOutputOnRow256ReportsTheWholeRange) {
    blitz::Array<std::uint8_t, 2> input(blitz::Range(255, 257), blitz::Range(0, 2));
    input = 4;
    input(256, 1) = 200;
    blitz::Array<std::uint8_t, 2> output(blitz::Range(255, 257), blitz::Range(0, 2));
    output = 0;
    zqtest::RecordingUI ui;
    IntBox box;
    channelPercentileFilter8(output, box, input, elementOnes(3, 3, -1, -1), 1.0f, 0, 255,
                             ProgressRange(&ui, 0.2f, 0.6f));
    EXPECT_TRUE(classification::boxEquals(box, IntBox(256, 1, 256, 1)));
    EXPECT_EQ(output(256, 1), 200);
    ASSERT_EQ(ui.fractions.size(), 1u);
    EXPECT_FLOAT_EQ(ui.fractions[0], 0.6f);
}

TEST(PercentileFilter, FractionsOutsideZeroToOneAreClamped) {
    const auto input = randomArray<std::uint8_t>(8, 8, 0, 0, 255, 5);
    const auto element = elementOnes(3, 3, -1, -1);
    auto run = [&](float f) {
        blitz::Array<std::uint8_t, 2> output(8, 8);
        output = 0;
        IntBox box;
        channelPercentileFilter8(output, box, input, element, f, 0, 255, ProgressRange());
        return output;
    };
    const auto minimum = run(0.0f);
    const auto maximum = run(1.0f);
    EXPECT_TRUE(blitz::all(run(-0.01f) == minimum));
    EXPECT_TRUE(blitz::all(run(std::numeric_limits<float>::quiet_NaN()) == minimum));
    EXPECT_TRUE(blitz::all(run(1.5f) == maximum));
    EXPECT_TRUE(blitz::all(run(1e30f) == maximum));
}

TEST(PercentileFilter, ValuesOutsideTheHistogramAndShortOutputsAreRefused) {
    blitz::Array<std::uint8_t, 2> input(5, 5);
    input = 3;
    input(2, 2) = 12;
    blitz::Array<std::uint8_t, 2> output(5, 5);
    output = 0;
    IntBox box;
    const auto element = elementOnes(3, 3, -1, -1);
    EXPECT_THROW(channelPercentileFilter8(output, box, input, element, 0.5f, 0, 7, ProgressRange()),
                 std::invalid_argument);
    EXPECT_THROW(channelPercentileFilter8(output, box, input, element, 0.5f, 4, 255, ProgressRange()),
                 std::invalid_argument);
    EXPECT_THROW(channelPercentileFilter8(output, box, input, element, 0.5f, 0, 300, ProgressRange()),
                 std::invalid_argument);
    EXPECT_TRUE(blitz::all(output == 0));   // refused before anything was written

    blitz::Array<std::uint8_t, 2> small(3, 3);
    EXPECT_THROW(channelPercentileFilter8(small, box, input, element, 0.5f, 0, 255, ProgressRange()),
                 std::out_of_range);
    // Within the histogram range the same input is filtered.
    EXPECT_NO_THROW(channelPercentileFilter8(output, box, input, element, 0.5f, 3, 12, ProgressRange()));
    EXPECT_EQ(output(2, 2), 3);
}

TEST(PercentileFilter, ReflectionMapsEveryElementThroughTheOrigin) {
    blitz::Array<std::uint16_t, 2> array(blitz::Range(2, 4), blitz::Range(-1, 3));
    for (int r = 2; r <= 4; ++r)
        for (int c = -1; c <= 3; ++c)
            array(r, c) = static_cast<std::uint16_t>(100 * r + c + 10);
    const auto reflected = reflectedCopy(array);
    EXPECT_EQ(reflected.lbound(0), -4);
    EXPECT_EQ(reflected.ubound(0), -2);
    EXPECT_EQ(reflected.lbound(1), -3);
    EXPECT_EQ(reflected.ubound(1), 1);
    for (int r = 2; r <= 4; ++r)
        for (int c = -1; c <= 3; ++c)
            EXPECT_EQ(reflected(-r, -c), array(r, c));
}

TEST(CursorHelpers, RanksRoundWithTheTolerance) {
    EXPECT_EQ(floorOffset1(2.9995f, 0.001f), 3u);
    EXPECT_EQ(ceilOffset1(3.0005f, 0.001f), 3);
    EXPECT_EQ(floorOffset1(-5.0f, 0.001f), 0u);   // never a negative float made unsigned
    EXPECT_EQ(floorOffset1(std::numeric_limits<float>::quiet_NaN(), 0.001f), 0u);
    EXPECT_FLOAT_EQ(subtractInt1(2.5f, 2u), 0.5f);
}

TEST(CursorHelpers, CursorStaysInsideTheHistogramForAnyTarget) {
    const std::uint32_t counts[] = {0, 2, 0, 3, 1};
    int bin = 0;
    std::uint32_t cumulative = counts[0];
    advanceCumulativeCursor1(4, bin, cumulative, counts, 4);
    EXPECT_EQ(bin, 3);
    EXPECT_EQ(cumulative, 5u);
    advanceCumulativeCursor1(1, bin, cumulative, counts, 4);
    EXPECT_EQ(bin, 1);
    EXPECT_EQ(cumulative, 2u);
    advanceCumulativeCursor1(0, bin, cumulative, counts, 4);   // no 0th value: stops at bin 0
    EXPECT_EQ(bin, 0);
    advanceCumulativeCursor1(99, bin, cumulative, counts, 4);   // past the last value
    EXPECT_EQ(bin, 4);
    EXPECT_EQ(cumulative, 6u);
}

}  // namespace
