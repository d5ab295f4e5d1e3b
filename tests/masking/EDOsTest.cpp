#include "masking/EDOs.h"

#include <QVariantMap>

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(EDOs, FreshOptionsAreNeitherModifiedNorOffDefault) {
    EDOs options;
    EXPECT_FALSE(options.anyModified());
    EXPECT_FALSE(options.anyOffDefault());
    EXPECT_EQ(options.sensitivity_.value, 50);
    EXPECT_EQ(options.width_.value, 3);
    EXPECT_EQ(options.texture_.value, 1);
    EXPECT_EQ(options.contrast_.value, 1);
    EXPECT_EQ(options.widthInImageCoords_, -1);
}

TEST(EDOs, SaveApplyRestoreBringBackTheValuesInForce) {
    EDOs options;
    options.sensitivity_.value = 60;
    EXPECT_TRUE(options.anyModified());
    EXPECT_TRUE(options.anyOffDefault());
    options.saveAll();
    options.applyAll();
    EXPECT_EQ(options.sensitivity_.applied, 60);
    EXPECT_EQ(options.sensitivity_.saved, 50);
    options.restoreAll();
    EXPECT_EQ(options.sensitivity_.applied, 50);
    EXPECT_EQ(options.sensitivity_.value, 60);
    options.revertAll();
    EXPECT_EQ(options.sensitivity_.value, 50);
    options.width_.defaultValue = 7;
    options.resetAll();
    EXPECT_EQ(options.width_.value, 7);
}

TEST(EDOs, MapRoundTripKeepsEveryPart) {
    EDOs options;
    options.sensitivity_ = GmValue<int>(12);
    options.sensitivity_.applied = 13;
    options.width_.saved = 9;
    options.texture_.defaultValue = 2;
    options.contrast_.value = 0;
    options.widthInImageCoords_ = 24;
    const EDOs read(options.toVariant());
    EXPECT_EQ(read.toVariant(), options.toVariant());
    EXPECT_EQ(read.sensitivity_.applied, 13);
    EXPECT_EQ(read.width_.saved, 9);
    EXPECT_EQ(read.widthInImageCoords_, 24);
}

TEST(EDOs, DamagedMapsReadWithDefaultsAndInRange) {
    struct Row { const char* label; QVariantMap map; int sensitivity[4]; int width[4]; int texture; int contrast; int inImage; };
    const Row rows[] = {
        {"empty", {}, {50, 50, 50, 50}, {3, 3, 3, 3}, 1, 1, 0},
        {"short list", {{"sensitivity_", QVariantList{70, 71}}}, {70, 71, 50, 50}, {3, 3, 3, 3}, 1, 1, 0},
        {"out of range", {{"sensitivity_", QVariantList{0, 101, -5, 1000}},
                          {"width_", QVariantList{256, 0, 32, 1}},
                          {"texture_", QVariantList{9, 9, 9, 9}},
                          {"contrast_", QVariantList{-1, -1, -1, -1}}},
         {1, 100, 1, 100}, {32, 1, 32, 1}, 2, 0, 0},
        {"not numbers", {{"width_", QVariantList{"wide", QVariant(), 4, 5}},
                         {"widthInImageCoords_", 6}},
         {50, 50, 50, 50}, {3, 3, 4, 5}, 1, 1, 6},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const EDOs read(row.map);
        const GmValue<int>& s = read.sensitivity_;
        const GmValue<int>& w = read.width_;
        EXPECT_EQ((std::vector<int>{s.value, s.applied, s.defaultValue, s.saved}),
                  std::vector<int>(row.sensitivity, row.sensitivity + 4));
        EXPECT_EQ((std::vector<int>{w.value, w.applied, w.defaultValue, w.saved}),
                  std::vector<int>(row.width, row.width + 4));
        EXPECT_EQ(read.texture_.applied, row.texture);
        EXPECT_EQ(read.contrast_.applied, row.contrast);
        EXPECT_EQ(read.widthInImageCoords_, row.inImage);
    }
}

TEST(EDOs, CopyAppliedTakesOnlyAValueOfTheSameKind) {
    struct Other : GmValueB {
        bool isModified() const override { return false; }
        bool isOffDefault() const override { return false; }
        void apply() override {}
        void save() override {}
        void restore() override {}
        void revert() override {}
        void reset() override {}
        void copyApplied(const GmValueB&) override {}
    } other;
    GmValue<int> value(5), source(9);
    value.copyApplied(other);
    EXPECT_EQ(value.applied, 5);
    value.copyApplied(source);
    EXPECT_EQ(value.applied, 9);
    EXPECT_EQ(value.value, 5);
}

TEST(EdgeDetectionRecord, ToleranceAndSensitivityConvertBothWays) {
    struct Row { int sensitivity; float tolerance; };
    const Row rows[] = {{1, 0.0f}, {50, 0.49f}, {100, 0.99f}, {2, 0.01f}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.sensitivity);
        EXPECT_FLOAT_EQ(toleranceFromSensitivity(row.sensitivity), row.tolerance);
        EXPECT_EQ(sensitivityFromTolerance(row.tolerance), row.sensitivity);
    }
    // A full tolerance would give 101; the range ends at 100.
    EXPECT_EQ(sensitivityFromTolerance(1.0f), 100);
    EXPECT_EQ(sensitivityFromTolerance(-0.5f), 1);
    EXPECT_EQ(sensitivityFromTolerance(std::numeric_limits<float>::quiet_NaN()), 50);
    EXPECT_EQ(sensitivityFromTolerance(std::numeric_limits<float>::infinity()), 100);
}

TEST(EDOs, EngineRecordSetsShownValuesOrDefaultsAndAppliedRecordFollows) {
    EDOs options;
    const EdgeDetectionRecord suggested{0.29f, 5, 2, 0};
    options.setDefaultsFromEngineRecord(suggested);
    EXPECT_EQ(options.sensitivity_.defaultValue, 30);
    EXPECT_EQ(options.sensitivity_.value, 50);
    options.setFromEngineRecord(suggested);
    options.applyAll();
    const EdgeDetectionRecord record = options.appliedRecord();
    EXPECT_FLOAT_EQ(record.tolerance, 0.29f);
    EXPECT_EQ(record.width, 5);
    EXPECT_EQ(record.contrast, 2);
    EXPECT_EQ(record.texture, 0);
}

}  // namespace
