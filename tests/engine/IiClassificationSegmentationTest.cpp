#include "SegmentationFixtures.h"

#include "classification/IiClassification.h"

#include <gtest/gtest.h>

using namespace classification;

namespace {

class ClassificationSegmentation : public ::testing::Test {
protected:
    ClassificationSegmentation() : source(8, 8), classification(nullptr, true, source) {
        classification.setAnalysisImage(
            segtest::imageOf(IntBox(0, 0, 7, 7), [](int, int y) { return y < 4 ? 0 : 200; }));
        classification.currentSettings.settingsStamp = 4;
    }

    ColourImage source;
    IiClassification classification;
};

}  // namespace

TEST_F(ClassificationSegmentation, PublishesTheResultsAndKeepsTheCacheInTheSession) {
    EXPECT_TRUE(classification.runSegmentation(ProgressRange()));
    EXPECT_TRUE(boxEquals(IntBox::domainOf(classification.edgeMap), IntBox(-2, -2, 9, 9)));
    EXPECT_TRUE(boxEquals(IntBox::domainOf(classification.edgeWidthPlane), IntBox(0, 0, 7, 7)));
    EXPECT_EQ(classification.edgeWidthPlane(4, 4), 2);
    EXPECT_EQ(classification.edgeMap(3, 3)[1], 0);   // the two columns beside the edge
    EXPECT_EQ(classification.segmentCount, 3);
    EXPECT_EQ(classification.segmentLabels(0, 0), 1);
    EXPECT_EQ(classification.segmentLabels(0, 7), 2);
    EXPECT_EQ(classification.stageSettings[6].imageTol, 2.0f);

    EXPECT_FALSE(classification.runSegmentation(ProgressRange()));
    // The session's cache decides: forgetting it (a new image) recomputes everything.
    classification.setAnalysisImage(classification.analysisImage);
    EXPECT_TRUE(classification.runSegmentation(ProgressRange()));

    classification.currentSettings.imageTol = 1.0f;
    EXPECT_TRUE(classification.runSegmentation(ProgressRange()));
    EXPECT_EQ(classification.segmentLabels.numElements(), 0);
    EXPECT_EQ(classification.segmentCount, -1);
}

TEST_F(ClassificationSegmentation, ACancelledRunForgetsTheSessionsCache) {
    ASSERT_TRUE(classification.runSegmentation(ProgressRange()));
    classification.currentSettings.featureTol = 1.4f;
    segtest::RecordingUI ui;
    ui.onReport = [](const segtest::RecordingUI::Report&, int) { throw JxExCancel(); };
    EXPECT_THROW(classification.runSegmentation(ProgressRange(&ui, 0.3f, 0.9f)), JxExCancel);
    for (const SegmentInfo& slot : classification.stageSettings)
        EXPECT_TRUE(slot == SegmentInfo());
}

TEST_F(ClassificationSegmentation, NoChannelOnLeavesThePublishedResultsAlone) {
    ASSERT_TRUE(classification.runSegmentation(ProgressRange()));
    classification.segmentationChannels.fill(false);
    classification.edgeMap.reference(EdgeMap(3, 3));
    EXPECT_FALSE(classification.runSegmentation(ProgressRange()));
    EXPECT_EQ(classification.edgeMap.numElements(), 9);
}
