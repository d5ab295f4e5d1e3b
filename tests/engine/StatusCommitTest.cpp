#include "classification/BoxOps.h"
#include "classification/IiClassification.h"
#include "classification/StatusBits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace classification;

namespace {

/// A one-row classification over `n` pixels, with the status row and work values given.
struct Row {
    explicit Row(std::vector<unsigned char> statuses)
        : image(1, static_cast<int>(statuses.size())),
          status(1, static_cast<int>(statuses.size())),
          c(nullptr, true, image) {
        for (int i = 0; i < status.columns(); ++i)
            status(0, i) = statuses[static_cast<size_t>(i)];
    }

    void work(std::vector<unsigned char> values, unsigned char bits) {
        c.resetWorkingBox();
        for (int i = 0; i < status.columns(); ++i) {
            c.workStatus(0, i) = values[static_cast<size_t>(i)];
            if (values[static_cast<size_t>(i)] != 0)
                includePoint(c.workingBox, IntPoint(0, i));
        }
        c.statusBits = bits;
    }

    std::vector<int> statuses() const {
        std::vector<int> values;
        for (int i = 0; i < status.columns(); ++i)
            values.push_back(status(0, i));
        return values;
    }

    ColourImage image;
    ByteImage status;
    IiClassification c;
};

}  // namespace

TEST(CommitWorkStatus, UndoRestoresTheFlagsTheCommitKept) {
    struct Case {
        const char* what;
        std::vector<unsigned char> before, work;
        unsigned char bits;
        std::vector<int> after;
    };
    const Case cases[] = {
        // An auto fill with status 4 over pixels carrying the preview flag 0x40.
        {"class bits only", {0x02, 0x41, 0x41, 0x01}, {0, 0x04, 0x04, 0x04}, 0x0F,
         {0x02, 0x44, 0x44, 0x04}},
        // The 0x10 flag lies outside the bits: 0x14 with work 0x02 becomes 0x12; so does the
        // unassigned bit 1 of the second pixel.
        {"forced edge kept", {0x14, 0x01}, {0x02, 0x02}, 0x0E, {0x12, 0x03}},
        // A pixel whose status is 0 is never changed, whatever its work value.
        {"status 0", {0x00, 0x01}, {0x04, 0x04}, 0x0F, {0x00, 0x04}},
        // A commit never writes 0: it would make the pixel one that no command changes.
        {"would become 0", {0x02, 0x01}, {0x10, 0x02}, 0x0F, {0x02, 0x02}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Row row(c.before);
        const std::vector<int> before = row.statuses();
        row.work(c.work, c.bits);
        row.c.commitWorkStatus(row.status, &row.c.undoHistory);
        EXPECT_EQ(row.statuses(), c.after);
        EXPECT_EQ(row.c.undoHistory.undoGroupCount(), 1);
        row.c.undoHistory.undo(row.c);
        EXPECT_EQ(row.statuses(), before);
        row.c.undoHistory.redo(row.c);
        EXPECT_EQ(row.statuses(), c.after);
    }
}

TEST(CommitWorkStatus, EmptyWorkingBoxRecordsNothing) {
    Row row({1, 1, 1});
    row.c.resetWorkingBox();
    row.c.commitWorkStatus(row.status, &row.c.undoHistory);
    EXPECT_EQ(row.c.undoHistory.undoGroupCount(), 0);
    EXPECT_FALSE(row.c.takeChangedBox().has_value());

    // Without a history the change is made but not recorded; the changed box still grows.
    row.work({0, 2, 0}, 0x0F);
    row.c.commitWorkStatus(row.status, nullptr);
    EXPECT_EQ(row.statuses(), std::vector<int>({1, 2, 1}));
    EXPECT_EQ(row.c.undoHistory.undoGroupCount(), 0);
    const auto changed = row.c.takeChangedBox();
    ASSERT_TRUE(changed.has_value());
    EXPECT_TRUE(boxEquals(*changed, IntBox(0, 1, 0, 1)));
}

TEST(IiClassification, StartsWithEmptyBoxesAndABorderedWorkArray) {
    ColourImage image(3, 4);
    image.reindexSelf(IntPoint(10, 20));   // a sub-session's part keeps the parent's indices
    IiClassification c(nullptr, true, image);
    EXPECT_TRUE(isBoxEmpty(c.workingBox));
    EXPECT_FALSE(c.changedBox.has_value());
    EXPECT_EQ(c.undoHistory.undoGroupCount(), 0);
    EXPECT_EQ(c.undoHistory.maximumGroupCount(), 200);
    EXPECT_TRUE(boxEquals(IntBox::domainOf(c.workStatus), IntBox(10, 20, 12, 23)));
    // One pixel beyond the image reads as "unassigned", never as "no status".
    EXPECT_EQ(c.workStatus(9, 19), 1);
    EXPECT_EQ(c.workStatus(13, 24), 1);
    EXPECT_EQ(c.workStatus(11, 21), 0);
    EXPECT_EQ(c.requestedClassCount, -1);
    EXPECT_EQ(c.currentSettings.imageTol, 2.0f);
}

TEST(IiClassification, CopyFromParentTakesOnlyWhatCoversItsBox) {
    ColourImage image(6, 6);
    IiClassification parent(nullptr, true, image);
    parent.regionLabels.resize(6, 6);
    parent.regionLabels = 7;
    parent.classLabels.resize(3, 3);   // does not cover the child's box
    parent.classLabels = 1;
    parent.currentSettings.imageTol = 3.0f;
    parent.resultingClassCount = 12;

    const ColourImage part = cropArrayToBox(ColourImage(image), IntBox(2, 2, 4, 5));
    IiClassification child(&parent, false, part);
    child.copyFromParent();
    EXPECT_TRUE(boxEquals(IntBox::domainOf(child.regionLabels), IntBox(2, 2, 4, 5)));
    EXPECT_EQ(child.regionLabels(4, 5), 7);
    child.regionLabels(2, 2) = 9;   // shared, not copied
    EXPECT_EQ(parent.regionLabels(2, 2), 9);
    EXPECT_EQ(child.classLabels.size(), 0);
    EXPECT_EQ(child.resultingClassCount, 12);

    // With an image tolerance of 1 there are no segments to take over.
    parent.currentSettings.imageTol = 1.0f;
    IiClassification flat(&parent, false, part);
    flat.copyFromParent();
    EXPECT_EQ(flat.regionLabels.size(), 0);
}

TEST(StatusBits, StatusMatchesWantedClassesAndFlags) {
    struct Case { unsigned char status, wanted, mask; bool matches; };
    const Case cases[] = {
        {0x02, 0x02, 0x3F, true},    // keep wanted as keep
        {0x04, 0x0A, 0x3F, false},   // delete is neither keep nor blend
        {0x12, 0x02, 0x3F, false},   // a forced edge that is not wanted
        {0x12, 0x12, 0x3F, true},
        {0x22, 0x02, 0x2F, false},   // protected and the mask names the flag
        {0x22, 0x02, 0x0F, true},    // the mask does not name the flag
        {0x30, 0x10, 0x10, true},    // no class bits in the mask: only the forced-edge test
        {0xFF, 0x00, 0x00, true},    // a mask of 0 lets everything pass
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.status) + " " + std::to_string(c.wanted) + " " +
                     std::to_string(c.mask));
        EXPECT_EQ(statusMatches(c.status, c.wanted, c.mask), c.matches);
    }
    unsigned char byte = 0x5A;
    setMaskedBits(byte, 0x0F, 0x0C);
    EXPECT_EQ(byte, 0x5E);
}
