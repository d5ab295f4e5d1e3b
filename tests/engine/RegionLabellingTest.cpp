#include "classification/RegionLabelling.h"

#include "RecordingUI.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace classification;

namespace {

using Labels = blitz::Array<std::int32_t, 2>;

/// An image from rows of digits ('.' = -1).
Labels imageFrom(const std::vector<std::string>& rows, int lowerRow = 0, int lowerColumn = 0) {
    Labels image(blitz::Range(lowerRow, lowerRow + static_cast<int>(rows.size()) - 1),
                 blitz::Range(lowerColumn, lowerColumn + static_cast<int>(rows[0].size()) - 1));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < static_cast<int>(rows[0].size()); ++c) {
            const char ch = rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            image(lowerRow + r, lowerColumn + c) = ch == '.' ? -1 : ch - '0';
        }
    return image;
}

TEST(KeepConnectedLabels, IsolatedPixelsStayZeroAndPairsKeepTheirValue) {
    const Labels values = imageFrom({"1123", "4563", "7777"});
    Labels output(values.shape());
    output = 0;
    keepConnectedLabels(IntBox::domainOf(values), values, output, ProgressRange());
    const Labels expected = imageFrom({"1103", "0003", "7777"});
    EXPECT_TRUE(blitz::all(output == expected));
}

TEST(KeepConnectedLabels, NeverLooksBeyondTheBox) {
    // A value equal to its neighbour outside the box is not kept; nothing outside is written.
    const Labels values = imageFrom({"5555", "5125", "5555"});
    Labels output(values.shape());
    output = 0;
    keepConnectedLabels(IntBox(1, 1, 1, 2), values, output, ProgressRange());
    EXPECT_TRUE(blitz::all(output == 0));
    EXPECT_THROW(keepConnectedLabels(IntBox(0, 0, 3, 3), values, output, ProgressRange()),
                 std::out_of_range);
}

TEST(LabelComponents, UShapeIsOneComponentAndNumbersStartWhereAsked) {
    const Labels values = imageFrom({"1001", "1001", "1111", "2220"});
    Labels labels(values.shape());
    labels = 0;
    std::int32_t next = 5;
    labelComponents(next, labels, values, IntBox::domainOf(values));
    EXPECT_EQ(next, 9);
    // The U of ones is one component (5), the zeros inside it another (6), then the twos and
    // the last zero.
    const Labels expected = imageFrom({"5665", "5665", "5555", "7778"});
    EXPECT_TRUE(blitz::all(labels == expected));
}

TEST(LabelComponents, ThreeComponentsFromFiveGiveFiveSixSevenAndEight) {
    const Labels values = imageFrom({"112", "332"});
    Labels labels(values.shape());
    std::int32_t next = 5;
    labelComponents(next, labels, values, IntBox::domainOf(values));
    EXPECT_EQ(next, 8);
    EXPECT_TRUE(blitz::all(labels == imageFrom({"556", "776"})));
}

TEST(LabelComponents, TheMarginIsNeitherLabelledNorCounted) {
    // The driver's layout: values with a margin of -1, labels with a margin of -2.
    const Labels values = imageFrom({"......", ".1122.", ".1122.", "......"}, -1, -1);
    Labels labels(values.shape());
    labels.reindexSelf(values.base());
    labels = -2;
    std::int32_t next = 0;
    labelComponents(next, labels, values, IntBox(0, 0, 1, 3));
    EXPECT_EQ(next, 2);
    EXPECT_EQ(labels(-1, -1), -2);
    EXPECT_EQ(labels(2, 4), -2);
    EXPECT_EQ(labels(0, 0), 0);
    EXPECT_EQ(labels(1, 3), 1);
}

TEST(RegionMajorityClass, TiesGoToTheClassThatReachedTheCountFirst) {
    // Region 0: five pixels of class 3 and five of class 7; class 7 reaches five first.
    const Labels regions = imageFrom({"00000", "00000", "11111"});
    const Labels classes = imageFrom({"37373", "77733", "22222"});
    std::vector<std::int32_t> output = {9, 9, 9, 9};
    regionMajorityClass(output, 3, regions, classes, ProgressRange());
    ASSERT_EQ(output.size(), 3u);
    EXPECT_EQ(output[0], 7);
    EXPECT_EQ(output[1], 2);
    EXPECT_EQ(output[2], 0);   // no pixel: class 0
}

TEST(RegionMajorityClass, LabelsBeyondTheCountAndNegativeOnesAreSkipped) {
    const Labels regions = imageFrom({"0.9", "089"});
    const Labels classes = imageFrom({"111", "444"});
    std::vector<std::int32_t> output;
    zqtest::RecordingUI ui;
    regionMajorityClass(output, 1, regions, classes, ProgressRange(&ui, 0.0f, 1.0f));
    ASSERT_EQ(output.size(), 1u);
    EXPECT_EQ(output[0], 1);   // (0, 0) came first with class 1, tie 1 : 1 with class 4
    ASSERT_EQ(ui.fractions.size(), 1u);   // row 0 only
    EXPECT_THROW(regionMajorityClass(output, 1, regions, imageFrom({"1"}), ProgressRange()),
                 std::invalid_argument);
}

}  // namespace
