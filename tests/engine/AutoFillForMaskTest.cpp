#include "classification/AutoFillForMask.h"

#include "classification/IiClassification.h"
#include "classification/IiUndoModifyStatus.h"

#include "MaskTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

using namespace classification;
using Corvel::utility::Colour;

namespace {

constexpr unsigned char fillable = 1, keep = 2, deleted = 4;

struct FillCall {
    IntBox area;
    unsigned char fillStatus;
    float from, to;
};

// A stand-in for the session's auto fill: every fillable pixel of the area takes the fill
// status, recorded as one step of the given history, as the real fill records its changes.
struct RecordingFill {
    std::vector<FillCall> calls;

    MaskAutoFill operation() {
        return [this](blitz::Array<unsigned char, 2> area, unsigned char fillStatus, float,
                      UndoHistory& history, ProgressRange progress) {
            calls.push_back(FillCall{IntBox::domainOf(area), fillStatus, progress.from, progress.to});
            blitz::Array<unsigned char, 2> filled = area.copy();
            for (auto it = filled.begin(); it != filled.end(); ++it)
                if (*it == fillable)
                    *it = fillStatus;
            history.record(std::make_unique<IiUndoModifyStatus>(filled, area));
            area = filled;
        };
    }
};

struct Marking {
    blitz::Array<unsigned char, 2> status = masktest::filled<unsigned char>(8, 8, 0);
    IntBox whole{0, 0, 7, 7};
    IntBox margin{1, 1, 6, 6};
    UndoHistory history{100};
    RecordingFill fill;

    AutoFillResult run(const IntBox& box, ProgressRange progress = ProgressRange()) {
        return autoFillForMask(whole, box, status, margin, 0.5f, history, progress, fill.operation());
    }
};

}  // namespace

TEST(AutoFillForMask, WholeImageWithKeepMarksOnlyIsFilledWithKeep) {
    Marking m;
    m.status = fillable;
    m.status(3, 3) = keep;
    m.status(0, 0) = 0;   // no status: never filled
    const AutoFillResult r = m.run(m.whole);
    ASSERT_EQ(m.fill.calls.size(), 1u);
    EXPECT_EQ(m.fill.calls[0].fillStatus, keep);
    EXPECT_TRUE(boxEquals(m.fill.calls[0].area, m.whole));
    EXPECT_TRUE(r.hasKeep);
    EXPECT_FALSE(r.hasDelete);
    EXPECT_TRUE(boxEquals(r.contextBox, m.whole));
    EXPECT_EQ(r.undoGroupsBegun, 1);
    EXPECT_EQ(m.history.undoGroupCount(), 1);
    EXPECT_EQ(m.status(5, 6), keep);
    EXPECT_EQ(m.status(0, 0), 0);
}

TEST(AutoFillForMask, BoxWithBothMarksFillsNothing) {
    Marking m;
    m.status = fillable;
    m.status(2, 2) = keep;
    m.status(4, 4) = deleted;
    const AutoFillResult r = m.run(IntBox(1, 1, 5, 5));
    EXPECT_TRUE(m.fill.calls.empty());
    EXPECT_TRUE(r.hasKeep && r.hasDelete);
    EXPECT_TRUE(boxEquals(r.contextBox, m.margin));
    EXPECT_EQ(r.undoGroupsBegun, 0);
    EXPECT_EQ(m.history.undoGroupCount(), 0);
}

TEST(AutoFillForMask, BoxIsFilledAndTheImageSuppliesTheOtherKind) {
    Marking m;
    m.status = fillable;
    m.status(2, 2) = keep;
    m.status(7, 7) = deleted;   // outside the box
    const IntBox box(1, 1, 4, 4);
    const AutoFillResult r = m.run(box);
    ASSERT_EQ(m.fill.calls.size(), 1u);
    EXPECT_EQ(m.fill.calls[0].fillStatus, keep);
    EXPECT_TRUE(boxEquals(m.fill.calls[0].area, box));
    EXPECT_TRUE(r.hasKeep && r.hasDelete);
    EXPECT_TRUE(boxEquals(r.contextBox, m.whole)) << "the box itself still lacks delete marks";
    EXPECT_EQ(r.undoGroupsBegun, 1);
    EXPECT_EQ(m.status(4, 4), keep);
    EXPECT_EQ(m.status(5, 5), fillable) << "outside the box nothing was filled";
}

TEST(AutoFillForMask, UnmarkedBoxTakesItsMarksFromAFillOfTheImage) {
    Marking m;
    m.status = fillable;
    m.status(7, 0) = deleted;   // outside the box, the only mark
    masktest::ProgressRecorder recorder;
    const AutoFillResult r = m.run(IntBox(1, 1, 4, 4), ProgressRange(&recorder, 0.0f, 1.0f));
    ASSERT_EQ(m.fill.calls.size(), 1u) << "nothing to spread inside the box";
    EXPECT_EQ(m.fill.calls[0].fillStatus, deleted);
    EXPECT_TRUE(boxEquals(m.fill.calls[0].area, m.whole));
    EXPECT_FLOAT_EQ(m.fill.calls[0].from, 0.0f);
    EXPECT_FLOAT_EQ(m.fill.calls[0].to, 0.2f);
    EXPECT_TRUE(recorder.fractions.empty()) << "the step reports nothing itself";
    EXPECT_FALSE(r.hasKeep);
    EXPECT_TRUE(r.hasDelete);
    EXPECT_TRUE(boxEquals(r.contextBox, m.whole));
}

TEST(AutoFillForMask, TwoFillsAreTwoUndoGroupsThatTakeEverythingBack) {
    // Delete marks in the box and keep marks outside would give both kinds at once; with only
    // delete marks anywhere, the box is filled, then the image: two groups, the second with an
    // empty progress range.
    Marking m;
    m.status = fillable;
    m.status(2, 2) = deleted;
    const blitz::Array<unsigned char, 2> before = m.status.copy();
    const AutoFillResult r = m.run(IntBox(1, 1, 4, 4));
    ASSERT_EQ(m.fill.calls.size(), 2u);
    EXPECT_TRUE(boxEquals(m.fill.calls[1].area, m.whole));
    EXPECT_FLOAT_EQ(m.fill.calls[1].from, m.fill.calls[1].to);
    EXPECT_EQ(r.undoGroupsBegun, 2);
    EXPECT_FALSE(r.hasKeep);
    EXPECT_TRUE(r.hasDelete);

    IiClassification classification(nullptr, false, masktest::filled(8, 8, Colour<unsigned char>(0, 0, 0, 255)));
    for (int g = 0; g < r.undoGroupsBegun; ++g)
        m.history.undo(classification);
    EXPECT_TRUE(blitz::all(m.status == before));
}

TEST(AutoFillForMask, NoFillablePixelsNoGroups) {
    Marking m;
    m.status = 0;
    m.status(2, 2) = keep;
    const AutoFillResult r = m.run(m.whole);
    EXPECT_TRUE(m.fill.calls.empty());
    EXPECT_EQ(r.undoGroupsBegun, 0);
    EXPECT_EQ(m.history.undoGroupCount(), 0);
    EXPECT_TRUE(r.hasKeep);
    EXPECT_FALSE(r.hasDelete);
}

TEST(AutoFillForMask, GenerationBoxOutsideTheStatusesIsRefused) {
    Marking m;
    EXPECT_THROW(m.run(IntBox(4, 4, 9, 9)), std::out_of_range);
}
