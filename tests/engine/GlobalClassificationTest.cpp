#include "classification/GlobalClassification.h"

#include "ColourFixtures.h"
#include "RecordingUI.h"
#include "classification/JxExCancel.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace classification;
using zqtest::ColourRun;
using zqtest::imageOfRuns;
using zqtest::key;
using zqtest::RecordingUI;

namespace {

/// The (key, count, class) contents of a table, ordered by key, for comparing tables whose
/// iteration orders may differ.
struct CellRecord {
    ColourKey6 key;
    std::uint32_t count;
    std::int32_t colourClass;
    bool operator<(const CellRecord& other) const { return key < other.key; }
    bool operator==(const CellRecord& other) const {
        return key == other.key && count == other.count && colourClass == other.colourClass;
    }
};

std::vector<CellRecord> contents(const ColourTable& table) {
    std::set<CellRecord> cells;
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(table.size()); ++i)
        cells.insert(CellRecord{table.keyAt(i), table.cellAt(i).count, table.cellAt(i).colourClass});
    return {cells.begin(), cells.end()};
}

std::uint32_t countOf(const ColourTable& table, const ColourKey6& k) {
    const std::int32_t index = table.indexOf(k);
    return index < 0 ? 0u : table.cellAt(index).count;
}

std::string message(int line, const char* label) {
    return "classification/GlobalClassification: " + std::to_string(line) + ":\n(before [" +
           label + "]): ";
}

/// 100 pixels of A and 10 of its neighbour B (channel 0 one higher), 50 of C far away in
/// channel 0: C stays apart until level 5, where A and B (one cell of 110) reach it at 55.
AnalysisImage threeColourImage() {
    return imageOfRuns(8, 20, {{key(40), 100}, {key(41), 10}, {key(80), 50}});
}

}  // namespace

TEST(ColourKey6, QuantiseHashAndOrder) {
    const ColourKey6 k = key(1, 2, 3, 4, 5, 6);
    // ((6 << 16) ^ 5) << 4 = 0x00600050, XOR the little-endian word 0x04030201
    EXPECT_EQ(colourKeyHash(k), 0x04630251u);
    EXPECT_EQ(quantiseColourKey(key(255, 128, 7, 4, 5, 1), 2), key(63, 32, 1, 1, 1, 0));
    EXPECT_EQ(quantiseColourKey(key(255, 128, 7, 4, 5, 1), 33), key(127, 64, 3, 2, 2, 0))
        << "the bit count is taken modulo 32";
    EXPECT_TRUE(key(1, 255) < key(2, 0));
    EXPECT_TRUE(key(2, 0, 0, 0, 0, 1) < key(2, 0, 0, 0, 1, 0));
}

TEST(ColourTable, PowerOfTwoBucketsAtMostOneCellEach) {
    ColourTable table;
    EXPECT_EQ(table.bucketCount(), 8u);
    for (int v = 0; v < 9; ++v)
        EXPECT_EQ(table.findOrInsert(key(v)), v);
    EXPECT_EQ(table.bucketCount(), 16u);
    for (int v = 0; v < 9; ++v)
        EXPECT_EQ(table.indexOf(key(v)), v) << "cells keep their index across growth";
    EXPECT_EQ(table.indexOf(key(9)), -1);
    // A batch longer than one round of overlapped lookups, present and absent keys mixed.
    std::vector<ColourKey6> batch;
    for (int v = 0; v < 18; ++v)   // odd v: key(v / 2), cells 0 to 8
        batch.push_back(key(v % 2 ? v / 2 : 100 + v));
    std::vector<std::int32_t> found(batch.size());
    table.indexOfEach(batch.data(), static_cast<int>(batch.size()), found.data());
    for (std::size_t k = 0; k < batch.size(); ++k)
        EXPECT_EQ(found[k], k % 2 ? static_cast<std::int32_t>(k / 2) : -1) << k;
    EXPECT_EQ(table.cellAt(3).colourClass, -1);
    EXPECT_EQ(table.cellAt(3).count, 0u);
    table.clear();
    EXPECT_EQ(table.size(), 0u);
    EXPECT_EQ(table.bucketCount(), 8u);
}

TEST(GlobalClassification, OneColourGivesOneCellPerLevelHoldingEveryPixel) {
    ColourClassifier classifier;
    classifier.image.reference(imageOfRuns(3, 4, {{key(200, 100, 50, 25, 12, 6), 12}}));
    classifier.buildHistograms(ProgressRange());
    for (int level = 0; level < 7; ++level) {
        SCOPED_TRACE(level);
        ASSERT_EQ(classifier.tables[level].size(), 1u);
        EXPECT_EQ(classifier.tables[level].cellAt(0).count, 12u);
        EXPECT_EQ(classifier.tables[level].keyAt(0),
                  quantiseColourKey(key(200, 100, 50, 25, 12, 6), level));
        EXPECT_EQ(classifier.classCounts[level], -1) << "not labelled before the watershed";
    }
}

TEST(GlobalClassification, LowBitsMergeAtTheLevelThatDropsThem) {
    ColourClassifier classifier;
    classifier.image.reference(
        imageOfRuns(2, 4, {{key(4), 2}, {key(5), 3}, {key(8), 1}, {key(255, 255, 255, 255, 255, 255), 2}}));
    classifier.buildHistograms(ProgressRange());
    const std::vector<std::size_t> cells = {4, 3, 3, 3, 2, 2, 2};
    for (int level = 0; level < 7; ++level) {
        SCOPED_TRACE(level);
        EXPECT_EQ(classifier.tables[level].size(), cells[level]);
        // 4 and 5 share a cell from level 1 on; 4 and 8 from level 4 on
        EXPECT_EQ(countOf(classifier.tables[level], quantiseColourKey(key(4), level)),
                  level == 0 ? 2u : level < 4 ? 5u : 6u);
    }
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(classifier.tables[6].size()); ++i)
        for (int c = 0; c < 6; ++c)
            EXPECT_LE(classifier.tables[6].keyAt(i)[c], 3);
}

TEST(GlobalClassification, MaskCountsOnlyPixelsSharingAMaskBit) {
    ColourClassifier classifier;
    classifier.image.reference(imageOfRuns(1, 4, {{key(1), 1}, {key(2), 1}, {key(3), 1}, {key(4), 1}}));
    classifier.mask.resize(1, 4);
    classifier.mask = 0;
    classifier.mask(0, 1) = 16;   // no bit in common with 15
    classifier.mask(0, 2) = 1;
    classifier.mask(0, 3) = 8;
    RecordingUI ui;
    ProgressRange range(&ui);
    ui.forget();
    classifier.buildHistograms(range);
    EXPECT_EQ(classifier.tables[0].size(), 2u);
    EXPECT_EQ(countOf(classifier.tables[0], key(3)), 1u);
    EXPECT_EQ(countOf(classifier.tables[0], key(4)), 1u);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.front(), message(219, "histogram"));
}

TEST(GlobalClassification, MaskOfAnotherSizeIsRefused) {
    ColourClassifier classifier;
    classifier.image.reference(imageOfRuns(4, 4, {{key(1), 16}}));
    classifier.mask.resize(3, 4);
    classifier.mask = 1;
    EXPECT_THROW(classifier.buildHistograms(ProgressRange()), std::invalid_argument);
}

TEST(GlobalClassification, BuildReportsHistogramOnceThenEverySubsamplePass) {
    ColourClassifier classifier;
    classifier.image.reference(threeColourImage());
    RecordingUI ui;
    ProgressRange range(&ui, 0.0f, 1.0f);
    ui.forget();
    classifier.buildHistograms(range);

    std::vector<float> expected = {0.0f};   // one "histogram" report: rows 0 to 7, at row 0
    std::vector<std::string> texts = {message(208, "histogram")};
    const float bounds[] = {0.5f, 0.75f, 0.875f, 0.9375f, 0.96875f, 0.984375f, 1.0f};
    for (int pass = 0; pass < 6; ++pass) {
        expected.push_back(bounds[pass]);   // cell 0 of the pass
        texts.push_back(message(232, "histogram subsample internal"));
        expected.push_back(bounds[pass + 1]);
        texts.push_back(message(234, "histogram subsample"));
    }
    EXPECT_EQ(ui.fractions, expected);
    EXPECT_EQ(ui.messages, texts);
}

TEST(GlobalClassification, RebuildAfterACancelCountsEveryPixelOnce) {
    ColourClassifier classifier;
    classifier.image.reference(zqtest::noiseImage(40, 30, 7));
    classifier.buildHistograms(ProgressRange());
    classifier.runWatershedders(ProgressRange(), 2);
    const std::vector<CellRecord> fresh = contents(classifier.tables[3]);
    const std::array<std::int32_t, 7> freshCounts = classifier.classCounts;

    RecordingUI ui;
    ProgressRange range(&ui);
    ui.cancel = true;   // cancels at the first "histogram" report, after one pixel
    EXPECT_THROW(classifier.buildHistograms(range), JxExCancel);

    classifier.buildHistograms(ProgressRange());
    classifier.runWatershedders(ProgressRange(), 2);
    EXPECT_EQ(contents(classifier.tables[3]), fresh);
    EXPECT_EQ(classifier.classCounts, freshCounts) << "class numbering restarts at 0";
}

TEST(GlobalClassification, WatershedClassesAndCountsPerLevel) {
    for (unsigned workers : {0u, 1u, 8u}) {
        SCOPED_TRACE(workers);
        ColourClassifier classifier;
        classifier.image.reference(threeColourImage());
        classifier.buildHistograms(ProgressRange());
        classifier.runWatershedders(ProgressRange(), workers);
        const std::array<std::int32_t, 7> expected = {2, 2, 2, 2, 2, 1, 1};
        EXPECT_EQ(classifier.classCounts, expected);
        // The most frequent colour seeds class 0 at every level.
        for (int level = 0; level < 7; ++level) {
            const ColourTable& table = classifier.tables[level];
            EXPECT_EQ(table.cellAt(table.indexOf(quantiseColourKey(key(40), level))).colourClass, 0);
        }
        EXPECT_EQ(classifier.tables[0].cellAt(classifier.tables[0].indexOf(key(41))).colourClass, 0);
        EXPECT_EQ(classifier.tables[0].cellAt(classifier.tables[0].indexOf(key(80))).colourClass, 1);
    }
}

TEST(GlobalClassification, ResultsDoNotDependOnTheNumberOfWorkers) {
    const AnalysisImage image = zqtest::noiseImage(64, 48, 12345);
    ColourClassifier one;
    one.image.reference(image);
    one.buildHistograms(ProgressRange());
    one.runWatershedders(ProgressRange(), 1);
    ColourClassifier eight;
    eight.image.reference(image);
    eight.buildHistograms(ProgressRange());
    eight.runWatershedders(ProgressRange(), 8);
    EXPECT_EQ(one.classCounts, eight.classCounts);
    for (int level = 0; level < 7; ++level) {
        SCOPED_TRACE(level);
        EXPECT_GT(one.classCounts[level], 0);
        EXPECT_EQ(contents(one.tables[level]), contents(eight.tables[level]));
    }
}

TEST(GlobalClassification, PartitionAtTwoLevels) {
    ColourClassifier classifier;
    classifier.image.reference(threeColourImage());
    classifier.buildHistograms(ProgressRange());
    classifier.runWatershedders(ProgressRange());

    blitz::Array<int, 2> labels(classifier.image.shape());
    labels = -7;
    RecordingUI ui;
    ProgressRange range(&ui, 0.25f, 0.5f);
    ui.forget();
    EXPECT_EQ(classifier.partition(0, labels, range), 2);
    // 8 rows of 20: A fills rows 0 to 4, B row 5 and half of row 6 ... runs in storage order
    for (int n = 0; n < 160; ++n) {
        const int expected = n < 110 ? 0 : 1;
        ASSERT_EQ(labels(n / 20, n % 20), expected) << n;
    }
    ASSERT_EQ(ui.messages.size(), 1u) << "rows 0 to 7: one report, at row 0";
    EXPECT_EQ(ui.messages[0], message(168, "partition"));
    EXPECT_FLOAT_EQ(ui.fractions[0], 0.25f);

    EXPECT_EQ(classifier.partition(5, labels, ProgressRange()), 1);
    EXPECT_EQ(blitz::count(labels == 0), 160);
}

TEST(GlobalClassification, PartitionClampsTheLevelAndRefusesASmallClassImage) {
    ColourClassifier classifier;
    classifier.image.reference(threeColourImage());
    classifier.buildHistograms(ProgressRange());
    classifier.runWatershedders(ProgressRange(), 1);
    blitz::Array<int, 2> labels(classifier.image.shape());

    EXPECT_EQ(classifier.partition(9, labels, ProgressRange()), classifier.classCounts[6]);
    EXPECT_EQ(classifier.partition(-3, labels, ProgressRange()), classifier.classCounts[0]);
    EXPECT_EQ(labels(7, 19), 1) << "level 0: colour C is a class of its own";
    EXPECT_EQ(classifier.tables[6].size(), 2u) << "clamped levels add no cells";

    blitz::Array<int, 2> small(7, 20);
    EXPECT_THROW(classifier.partition(0, small, ProgressRange()), std::invalid_argument);

    // A class image larger than the image is written only where the image is.
    blitz::Array<int, 2> framed(blitz::Range(-1, 8), blitz::Range(-1, 20));
    framed = -5;
    classifier.partition(0, framed, ProgressRange());
    EXPECT_EQ(framed(-1, -1), -5);
    EXPECT_EQ(framed(8, 20), -5);
    EXPECT_EQ(framed(7, 19), 1);
}

TEST(GlobalClassification, PartitionBeforeTheWatershedGivesUnlabelledCells) {
    ColourClassifier classifier;
    classifier.image.reference(threeColourImage());
    classifier.mask.resize(classifier.image.shape());
    classifier.mask = 1;
    classifier.mask(7, 19) = 0;   // colour C is still counted through its other pixels
    classifier.mask(0, 0) = 0;
    classifier.buildHistograms(ProgressRange());
    blitz::Array<int, 2> labels(classifier.image.shape());
    EXPECT_EQ(classifier.partition(2, labels, ProgressRange()), -1);
    EXPECT_EQ(blitz::count(labels == -1), 160);

    // A colour never counted gets a cell of class -1 and count 0.
    classifier.runWatershedders(ProgressRange());
    classifier.image(3, 3) = zqtest::pixel(key(1, 2, 3));
    classifier.partition(0, labels, ProgressRange());
    EXPECT_EQ(labels(3, 3), -1);
    const std::int32_t added = classifier.tables[0].indexOf(key(1, 2, 3));
    ASSERT_GE(added, 0);
    EXPECT_EQ(classifier.tables[0].cellAt(added).count, 0u);
}
