#include "morphology/BoxArithmetic.h"
#include "morphology/LineConvolution.h"
#include "morphology/LineFilters.h"

#include "IiUI.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using namespace morphology;
using classification::IntBox;
using classification::boxEquals;

namespace {

struct SumOfInts {
    void operator()(int& result, int a, int b) const { result = a + b; }
};

blitz::Array<unsigned char, 2> randomBytes(const IntBox& box, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(0, 255);
    blitz::Array<unsigned char, 2> array(blitz::Range(box.lower[0], box.upper[0]),
                                         blitz::Range(box.lower[1], box.upper[1]));
    for (auto it = array.begin(); it != array.end(); ++it)
        *it = static_cast<unsigned char>(value(random));
    return array;
}

/// The window combination by a plain loop: output (x, y) combines the L elements ending at x
/// (first axis) or at y (second axis).
template <typename T, typename Combine>
T naiveWindow(const blitz::Array<T, 2>& source, int x, int y, int length, bool alongSecond,
              Combine combine) {
    T result = source(x, y);
    for (int k = 1; k < length; ++k) {
        const T element = alongSecond ? source(x, y - k) : source(x - k, y);
        combine(result, result, element);
    }
    return result;
}

class Recorder : public Corvel::utility::IiUI {
public:
    std::vector<float> fractions;
    std::vector<std::string> messages;
    void progress(float fraction, const std::string& message) override {
        fractions.push_back(fraction);
        messages.push_back(message);
    }
};

template <typename T, typename Combine>
void checkAgainstNaive(const blitz::Array<T, 2>& source, int length, bool alongSecond, Combine combine) {
    blitz::Array<T, 2> output(source.shape());
    output.reindexSelf(source.base());
    output = T(77);
    const IntBox written = alongSecond
                               ? convolveLineFastTransposed(source, length, combine, output, ProgressRange())
                               : convolveLineFast(source, length, combine, output, ProgressRange());
    IntBox expected = IntBox::domainOf(source);
    expected.lower[alongSecond ? 1 : 0] += length - 1;
    ASSERT_TRUE(boxEquals(written, expected)) << written << " instead of " << expected;
    for (int x = source.lbound(0); x <= source.ubound(0); ++x)
        for (int y = source.lbound(1); y <= source.ubound(1); ++y) {
            if (written.contains(x, y))
                ASSERT_EQ(output(x, y), naiveWindow(source, x, y, length, alongSecond, combine))
                    << "at " << x << "," << y;
            else
                ASSERT_EQ(output(x, y), T(77)) << "written outside the box at " << x << "," << y;
        }
}

}  // namespace

TEST(ConvolveLineFast, RunningMaximaMinimaAndSumsMatchANaiveLoop) {
    // Lower bounds away from 0, lines of 13 and 9 elements: blocks end short for most lengths.
    const IntBox domain(-3, 5, 9, 13);
    const blitz::Array<unsigned char, 2> bytes = randomBytes(domain, 7);
    blitz::Array<int, 2> ints(bytes.shape());
    ints.reindexSelf(bytes.base());
    ints = blitz::cast<int>(bytes) - 128;
    for (int length : {1, 2, 3, 4, 5, 9, 13}) {
        for (bool alongSecond : {false, true}) {
            SCOPED_TRACE(testing::Message() << "L " << length << (alongSecond ? " along y" : " along x"));
            if (length > (alongSecond ? domain.columns() : domain.rows()))
                continue;
            checkAgainstNaive(bytes, length, alongSecond, RunningMaximum());
            checkAgainstNaive(bytes, length, alongSecond, RunningMinimum());
            checkAgainstNaive(ints, length, alongSecond, SumOfInts());
        }
    }
}

TEST(ConvolveLineFast, WindowLongerThanTheLineWritesNothing) {
    const blitz::Array<unsigned char, 2> source = randomBytes(IntBox(0, 0, 3, 2), 1);
    blitz::Array<unsigned char, 2> output(4, 3);
    output = 9;
    Recorder recorder;
    const IntBox written = convolveLineFast(source, 5, RunningMaximum(), output,
                                            ProgressRange(&recorder, 0.0f, 1.0f));
    EXPECT_TRUE(classification::isBoxEmpty(written));
    EXPECT_EQ(written.lower[0], 4);   // x0 + L - 1
    EXPECT_TRUE(blitz::all(output == 9));
    EXPECT_TRUE(recorder.fractions.empty());
}

TEST(ConvolveLineFast, RefusesWindowsBelowOneAndOutputsThatCannotHoldTheResult) {
    const blitz::Array<unsigned char, 2> source = randomBytes(IntBox(0, 0, 5, 5), 2);
    blitz::Array<unsigned char, 2> output(6, 6);
    EXPECT_THROW(convolveLineFast(source, 0, RunningMaximum(), output, ProgressRange()),
                 std::invalid_argument);
    EXPECT_THROW(convolveLineFast(source, -2, RunningMaximum(), output, ProgressRange()),
                 std::invalid_argument);
    blitz::Array<unsigned char, 2> small(3, 6);
    EXPECT_THROW(convolveLineFast(source, 2, RunningMaximum(), small, ProgressRange()),
                 std::out_of_range);
}

TEST(ConvolveLineFast, InPlaceOutputReadsEveryLineBeforeWritingIt) {
    blitz::Array<unsigned char, 2> plane = randomBytes(IntBox(0, 0, 11, 6), 3);
    const blitz::Array<unsigned char, 2> original = plane.copy();
    const IntBox written = convolveLineFast(plane, 3, RunningMaximum(), plane, ProgressRange());
    for (int x = written.lower[0]; x <= written.upper[0]; ++x)
        for (int y = written.lower[1]; y <= written.upper[1]; ++y)
            EXPECT_EQ(plane(x, y), naiveWindow(original, x, y, 3, false, RunningMaximum()));
}

TEST(ConvolveLineFast, ReportsAtSecondIndicesThatAreMultiplesOf128) {
    // Second index from -300 to 300: reports at -256, -128, 0, 128 and 256 only.
    const blitz::Array<unsigned char, 2> source = randomBytes(IntBox(0, -300, 1, 300), 4);
    blitz::Array<unsigned char, 2> output(source.shape());
    output.reindexSelf(source.base());
    Recorder recorder;
    convolveLineFast(source, 2, RunningMinimum(), output, ProgressRange(&recorder, 0.5f, 1.0f));
    ASSERT_EQ(recorder.fractions.size(), 5u);
    const int rows[] = {-256, -128, 0, 128, 256};
    for (std::size_t i = 0; i < 5; ++i) {
        const float t = static_cast<float>(rows[i] + 300 + 1) / 601.0f;
        EXPECT_FLOAT_EQ(recorder.fractions[i], 0.5f + 0.5f * t);
        EXPECT_EQ(recorder.messages[i], "morphology/convolve: 312:\n(before [convolve line fast]): ");
    }
}

TEST(ConvolveLineFast, OriginOffsetsCentreTheWindow) {
    const IntBox domain(2, 0, 9, 4);
    const blitz::Array<unsigned char, 2> source = randomBytes(domain, 5);
    blitz::Array<unsigned char, 2> output(source.shape());
    output.reindexSelf(source.base());
    output = 0;
    // L = 5 centred: output x combines x - 2 ... x + 2; written rows 4 ... 7.
    const IntBox alongX = convolveLineFast(source, LineWindow{5, -2, 0}, RunningMaximum(), output,
                                           ProgressRange());
    EXPECT_TRUE(boxEquals(alongX, IntBox(4, 0, 7, 4))) << alongX;
    for (int x = 4; x <= 7; ++x)
        for (int y = 0; y <= 4; ++y)
            EXPECT_EQ(output(x, y), naiveWindow(source, x + 2, y, 5, false, RunningMaximum()));

    output = 0;
    const IntBox alongY = convolveLineFastTransposed(source, LineWindow{3, 0, -1}, RunningMinimum(),
                                                     output, ProgressRange());
    EXPECT_TRUE(boxEquals(alongY, IntBox(2, 1, 9, 3))) << alongY;
    for (int x = 2; x <= 9; ++x)
        for (int y = 1; y <= 3; ++y)
            EXPECT_EQ(output(x, y), naiveWindow(source, x, y + 1, 3, true, RunningMinimum()));
}

TEST(LineFilters, ASetPixelMarksTheRunsThatContainIt) {
    // Pixel (5, 3) set in a mask over (2, 1)-(8, 6).
    blitz::Array<int, 2> mask(blitz::Range(2, 8), blitz::Range(1, 6));
    mask = 0;
    mask(5, 3) = 1;
    blitz::Array<int, 2> output(mask.shape());
    output.reindexSelf(mask.base());

    output = -1;
    const IntBox down = lineFilterBox2(mask, 3, output, ProgressRange());
    EXPECT_TRUE(boxEquals(down, IntBox(2, 1, 6, 6))) << down;
    for (int x = 2; x <= 8; ++x)
        for (int y = 1; y <= 6; ++y) {
            const int expected = !down.contains(x, y) ? -1 : (y == 3 && x >= 3 && x <= 5 ? 1 : 0);
            EXPECT_EQ(output(x, y), expected) << x << "," << y;
        }

    output = -1;
    const IntBox across = lineFilterBox(mask, 3, output, ProgressRange());
    EXPECT_TRUE(boxEquals(across, IntBox(2, 1, 8, 4))) << across;
    for (int x = 2; x <= 8; ++x)
        for (int y = 1; y <= 6; ++y) {
            const int expected = !across.contains(x, y) ? -1 : (x == 5 && y >= 1 && y <= 3 ? 1 : 0);
            EXPECT_EQ(output(x, y), expected) << x << "," << y;
        }
}

TEST(LineFilters, WindowOfTheWholeExtentGivesOneLineAtTheLowerBound) {
    blitz::Array<int, 2> mask(blitz::Range(-2, 1), blitz::Range(0, 2));
    mask = 0;
    mask(1, 1) = 5;     // any non-zero value counts as set
    mask(-2, 2) = 1;
    blitz::Array<int, 2> output(mask.shape());
    output.reindexSelf(mask.base());
    output = -1;
    const IntBox line = lineFilterBox2(mask, 4, output, ProgressRange());
    EXPECT_TRUE(boxEquals(line, IntBox(-2, 0, -2, 2))) << line;
    EXPECT_EQ(output(-2, 0), 0);
    EXPECT_EQ(output(-2, 1), 1);
    EXPECT_EQ(output(-2, 2), 1);
    EXPECT_EQ(output(-1, 1), -1);

    // L = 1 copies the source values unchanged.
    output = -1;
    lineFilterBox(mask, 1, output, ProgressRange());
    EXPECT_EQ(output(1, 1), 5);
    EXPECT_THROW(lineFilterBox(mask, 0, output, ProgressRange()), std::invalid_argument);
}

TEST(BoxArithmetic, FitBoxAndNegateBoxIdentities) {
    const IntBox area(-4, 2, 7, 9);
    EXPECT_TRUE(boxEquals(fitBox(area, IntBox(0, 0, 0, 0)), area));
    EXPECT_TRUE(boxEquals(classification::negateBox(classification::negateBox(area)), area));
    EXPECT_TRUE(boxEquals(fitBox(area, IntBox(0, 0, 2, 0)), IntBox(-2, 2, 7, 9)));
    EXPECT_TRUE(boxEquals(fitBox(area, classification::negateBox(IntBox(-1, -1, 1, 1))),
                          classification::erodeBox(area, IntBox(-1, -1, 1, 1))));
}

TEST(AnyPixelHasBits, FindsTheFirstMatchingElementAnywhere) {
    blitz::Array<unsigned char, 2> statuses(blitz::Range(3, 5), blitz::Range(-1, 1));
    statuses = 2;
    EXPECT_FALSE(anyPixelHasBits(statuses, 0));
    EXPECT_FALSE(anyPixelHasBits(statuses, 4));
    statuses(5, 1) = 4 | 16;
    EXPECT_TRUE(anyPixelHasBits(statuses, 4));
    EXPECT_TRUE(anyPixelHasBits(statuses, 2));
    EXPECT_FALSE(anyPixelHasBits(statuses, 128));
    EXPECT_FALSE(anyPixelHasBits(blitz::Array<unsigned char, 2>(), 255));
}
