#include "classification/Variables.h"

#include <gtest/gtest.h>

#include <string>

using Ostrival::Variables;

namespace {

std::string textOf(const Variables& variables, const char* name) {
    return variables.entry(name)->text;
}

}  // namespace

TEST(Variables, RevertGoesBackToTheCommittedValuesAndMarksWhatMoved) {
    Variables v;
    ASSERT_TRUE(v.setByName("edgeContrast", 0.76f));   // 2
    ASSERT_TRUE(v.setByName("b-greedy", 0.5f));         // 25
    v.commitAll();
    v.refreshTexts();
    EXPECT_EQ(textOf(v, "edgeContrast"), "2=high");
    EXPECT_EQ(textOf(v, "#colourBits"), "3");

    ASSERT_TRUE(v.setByName("edgeContrast", 0.0f));
    EXPECT_EQ(textOf(v, "edgeContrast"), "0=low*");
    EXPECT_EQ(textOf(v, "#colourBits"), "5*");   // 4 - 0 + 1
    v.revertAll();
    v.refreshValues();
    v.refreshTexts();
    EXPECT_EQ(v.intValue("edgeContrast"), 2);
    EXPECT_EQ(v.intValue("#colourBits"), 3);
    EXPECT_EQ(v.intValue("b-greedy"), 25);
    // Changed against the values just before the revert; unchanged ones carry no mark.
    EXPECT_EQ(textOf(v, "edgeContrast"), "2=high*");
    EXPECT_EQ(textOf(v, "#colourBits"), "3*");
    EXPECT_EQ(textOf(v, "b-greedy"), "25");
}

TEST(Variables, CommitAndRevertNeverDrift) {
    // "#colourBits" stores 4 whatever the contrast does to its effective value; an integer edge
    // width must come back as the same integer after a trip through its logarithmic scale.
    Variables v;
    ASSERT_TRUE(v.setByName("edgeContrast", 1.0f));
    v.setEdgeOptions(0.5f, 3, 2, 1);
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        v.commitAll();
        v.setEdgeOptions(0.5f, 7, 0, 1);
        ASSERT_TRUE(v.setByName("t%", 1.0f));
        v.revertAll();
        EXPECT_EQ(v.intValue("#colourBits"), 3);
        EXPECT_FLOAT_EQ(v.get("#colourBits").normalised(), 0.5f);
        EXPECT_EQ(v.intValue("inFocusEdgeWidth"), 3);
        EXPECT_EQ(v.intValue("edgeContrast"), 2);
        EXPECT_NEAR(v.floatValue("t%"), 1.0f / 6.0f, 1e-6f);
    }
}

TEST(Variables, DerivedValuesFollowTheirInputs) {
    Variables v;
    v.setEdgeOptions(0.5f, 4, 1, 2);
    // "#resolution" = max(2, ceil(4 * 1.0 * 2^(2 * 0.5))) = 8; "#texture" radius
    // max(1, ceil(4 * 1.0 * 2^1.5) - 1) = ceil(11.31) - 1 = 11.
    EXPECT_FLOAT_EQ(v.floatValue("#resolution"), 8.0f);
    EXPECT_EQ(v.smoothingRadius(), 11);
    EXPECT_EQ(textOf(v, "#texture"), "12*");
    // Below a factor of 1 the smoothing is off: normalised 0 is 0.9.
    ASSERT_TRUE(v.setByName("#texture", 0.0f));
    EXPECT_EQ(v.intValue("#texture"), 0);
    EXPECT_EQ(textOf(v, "#texture"), "Off*");
    // The colour depths stay within 0..8.
    ASSERT_TRUE(v.setByName("#maxBits", 1.0f));   // 11 - 1 + 1
    EXPECT_EQ(v.intValue("#maxBits"), 8);
    ASSERT_TRUE(v.setByName("#colourBits", 0.0f));   // 0 - 1 + 1
    EXPECT_EQ(v.intValue("#colourBits"), 0);
    EXPECT_THROW(v.intValue("#nothing"), Variables::VariableNotFound);
}
