#include "AnalysisFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace analysistest;
using sessiontest::Bytes;
using sessiontest::Engine;

namespace {

using Statuses = std::vector<unsigned char>;

const unsigned char dark[3] = {40, 60, 50};
const unsigned char light[3] = {200, 190, 170};

/// Two discs of one colour, far apart, on a background of another.
void paintTwoDiscs(Engine& e) {
    paintDisc(e.rgba, 24, 24, 200, light, light);
    for (const double cx : {12.0, 36.0})
        for (int y = 0; y < e.rgba.height; ++y)
            for (int x = 0; x < e.rgba.width; ++x)
                if (std::hypot(x + 0.5 - cx, y + 0.5 - 16.0) <= 7.0) {
                    unsigned char* pixel = &e.rgba.pixels[(static_cast<std::size_t>(y) * e.rgba.width + x) * 4];
                    const int grain = ((x * 7 + y * 13) % 5) - 2;
                    for (int c = 0; c < 3; ++c)
                        pixel[c] = static_cast<unsigned char>(dark[c] + grain);
                }
}

/// Where a pixel surely lies: well inside disc 0 or 1, well outside both, or near an edge.
int placeOf(int x, int y) {
    const double a = std::hypot(x + 0.5 - 12.0, y + 0.5 - 16.0);
    const double b = std::hypot(x + 0.5 - 36.0, y + 0.5 - 16.0);
    if (a < 5.0)
        return 0;
    if (b < 5.0)
        return 1;
    if (a > 9.0 && b > 9.0)
        return 2;
    return -1;
}

/// Every sure pixel of the places in `chosen` has status `yes`, every other sure pixel `no`.
void expectPlaces(const Engine& e, std::vector<int> chosen, unsigned char yes, unsigned char no) {
    for (int y = 0; y < e.status->height; ++y)
        for (int x = 0; x < e.status->width; ++x) {
            const int place = placeOf(x, y);
            if (place < 0)
                continue;
            const bool in = std::find(chosen.begin(), chosen.end(), place) != chosen.end();
            ASSERT_EQ(e.at(x, y), in ? yes : no) << "at " << x << "," << y;
        }
}

int select(Engine& e, const JxSelection& selection, unsigned char newStatus,
           unsigned char fromStatus, int mode, float classLevel = 0.0f,
           JxProgressCallback progress = nullptr) {
    return JxSelect(e.session, e.status, &selection, newStatus, fromStatus, mode, classLevel, progress);
}

struct RuleCase {
    unsigned char newStatus;
    unsigned char fromStatus;
    Statuses expected;
    unsigned undoSteps;
};

TEST(JxSelect, NewAndFromStatusesDecideWhichBitsChange) {
    const Statuses start{0x01, 0x02, 0x04, 0x08, 0x11, 0x12, 0x21, 0x22};
    const RuleCase cases[] = {
        {2, 15, {0x02, 0x02, 0x02, 0x02, 0x11, 0x12, 0x21, 0x22}, 1},   // keep; flagged pixels left alone
        {1, 14, {0x01, 0x01, 0x01, 0x01, 0x11, 0x11, 0x21, 0x22}, 1},   // erase: the forced edge is not tested
        {16, 0, {0x11, 0x12, 0x14, 0x18, 0x11, 0x12, 0x31, 0x32}, 0},   // force an edge: not undoable
        {1, 16, {0x01, 0x02, 0x04, 0x08, 0x01, 0x02, 0x21, 0x22}, 0},   // erase a forced edge
        {32, 0, {0x21, 0x22, 0x24, 0x28, 0x31, 0x32, 0x21, 0x22}, 0},   // protect
        {2, 2, start, 0},                                                // nothing to change
        {64, 0, start, 1},                                               // no bits to set: recorded, no change
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "new " << int(c.newStatus) << " from " << int(c.fromStatus));
        Engine e(8, 1);
        ASSERT_TRUE(e.ready());
        ASSERT_EQ(e.setStatus(Bytes(0, 0, 8, 1, start)), JxOk);
        ASSERT_EQ(JxClearUndoRedo(e.session), JxOk);
        const Bytes box(0, 0, 8, 1, {});
        ASSERT_EQ(select(e, box.selection(), c.newStatus, c.fromStatus, 0), JxOk);
        EXPECT_EQ(e.row(0), c.expected);
        EXPECT_EQ(e.undos(), c.undoSteps);
        if (c.undoSteps) {
            ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
            EXPECT_EQ(e.row(0), start);
            ASSERT_EQ(JxRedo(e.session, nullptr), JxOk);
            EXPECT_EQ(e.row(0), c.expected);
        }
    }
}

TEST(JxSelect, ModeZeroTakesTheBoxAndMaskInsideTheImage) {
    Engine e(6, 4);
    ASSERT_TRUE(e.ready());
    // A box reaching past the image; its mask leaves out one pixel inside the image.
    const Bytes masked(3, 2, 4, 3, {1, 1, 0, 1,
                                    1, 1, 1, 1,
                                    1, 1, 1, 1});
    ASSERT_EQ(select(e, masked.selection(), 4, 15, 0), JxOk);
    EXPECT_EQ(e.row(1), Statuses({1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(e.row(2), Statuses({1, 1, 1, 4, 4, 1}));
    EXPECT_EQ(e.row(3), Statuses({1, 1, 1, 4, 4, 4}));
    EXPECT_EQ(sessiontest::changed(e.session), std::vector<int>({3, 2, 3, 2}));

    const Bytes none(0, 0, 6, 4, std::vector<unsigned char>(24, 0));
    ASSERT_EQ(JxClearUndoRedo(e.session), JxOk);
    ASSERT_EQ(select(e, none.selection(), 2, 15, 0), JxOk);
    EXPECT_EQ(e.undos(), 0u);   // nothing touched, nothing recorded
    EXPECT_EQ(sessiontest::changed(e.session), std::vector<int>({0, 0, 0, 0}));
}

TEST(JxSelect, FloodingModesNeedASegmentationAndABitToSet) {
    Engine e(12, 10);
    ASSERT_TRUE(e.ready());
    const Bytes seed(3, 3, 1, 1, {});
    for (int mode = 1; mode <= 3; ++mode)
        EXPECT_EQ(select(e, seed.selection(), 2, 15, mode), JxNotAnalysed) << mode;
    EXPECT_EQ(select(e, seed.selection(), 2, 15, 0), JxOk);
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    // A new value without a bit the flood may set would never end: refused.
    EXPECT_EQ(select(e, seed.selection(), 64, 0, 1), JxRefused);
    EXPECT_EQ(select(e, seed.selection(), 1, 16, 3), JxRefused);
    EXPECT_EQ(select(e, seed.selection(), 2, 15, 1, std::nanf("")), JxRefused);
    EXPECT_EQ(JxSelect(e.session, e.status, nullptr, 2, 15, 0, 0.0f, nullptr), JxRefused);
    // A status image smaller than the session is refused before anything is read.
    sessiontest::RgbaImage small(5, 5);
    JxImage* tooSmall = JxNewImage(e.engine, small.image());
    const JxSelection s = seed.selection();
    EXPECT_EQ(JxSelect(e.session, tooSmall, &s, 2, 15, 3, 0.0f, nullptr), JxRefused);
}

TEST(JxSelect, ConnectedRegionsAndWholeClasses) {
    Engine e(48, 32);
    ASSERT_TRUE(e.ready());
    paintTwoDiscs(e);
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    const Bytes seed(12, 16, 1, 1, {});   // in disc 0

    // Mode 3: the whole region of the seed, far beyond the one-pixel box.
    ASSERT_EQ(select(e, seed.selection(), 2, 15, 3), JxOk);
    expectPlaces(e, {0}, 2, 1);
    ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
    expectPlaces(e, {}, 2, 1);
    ASSERT_EQ(JxRedo(e.session, nullptr), JxOk);
    expectPlaces(e, {0}, 2, 1);
    ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);

    // Mode 1 at class level 0 follows the regions too.
    ASSERT_EQ(select(e, seed.selection(), 2, 15, 1), JxOk);
    expectPlaces(e, {0}, 2, 1);
    ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);

    // Mode 2 at the coarsest class level: every pixel of the seed's class, both discs.
    ASSERT_EQ(select(e, seed.selection(), 4, 15, 2, 7.0f), JxOk);
    expectPlaces(e, {0, 1}, 4, 1);
    ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);

    // Mode 1 at that level: only what is connected to the seed.
    ASSERT_EQ(select(e, seed.selection(), 4, 15, 1, 7.0f), JxOk);
    expectPlaces(e, {0}, 4, 1);
    ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);

    // Back to class level 0: the regions again.
    const Bytes other(36, 16, 1, 1, {});
    ASSERT_EQ(select(e, other.selection(), 2, 15, 3), JxOk);
    expectPlaces(e, {1}, 2, 1);
}

TEST(JxSelect, SubSessionsUseTheirParentsClassesWhateverTheLevel) {
    Engine e(48, 32);
    ASSERT_TRUE(e.ready());
    paintTwoDiscs(e);
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    const JxSelection patch{4, 4, 40, 24, 40, 0, nullptr};
    JxSession* sub = JxBeginSubSession(e.session, &patch, 0, nullptr);
    ASSERT_NE(sub, nullptr);
    const Bytes seed(12, 16, 1, 1, {});
    const JxSelection s = seed.selection();
    // The parent partitions at the finest level (many classes), then at the coarsest (few),
    // then the sub-session selects with the finest again: no flag outside its set.
    for (const float level : {1.0f, 7.0f, 1.0f, 7.0f}) {
        SCOPED_TRACE(level);
        ASSERT_EQ(JxSelect(sub, e.status, &s, 2, 15, 2, level, nullptr), JxOk);
        EXPECT_EQ(e.at(12, 16), 2);
        ASSERT_EQ(JxSelect(e.session, e.status, &s, 1, 14, 2, 8.0f - level, nullptr), JxOk);
        EXPECT_EQ(e.at(12, 16), 1);
    }
    // Through the sub-session, mode 2 at the coarsest level reaches both discs of its patch.
    ASSERT_EQ(JxSelect(sub, e.status, &s, 4, 15, 2, 7.0f, nullptr), JxOk);
    expectPlaces(e, {0, 1}, 4, 1);
}

TEST(JxSelect, ASubSessionFollowsTheClassLevelItAsksForAfterItsParentChangedIt) {
    Engine e(12, 8);
    ASSERT_TRUE(e.ready());
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    const JxSelection patch{0, 0, 12, 8, 12, 0, nullptr};
    JxSession* sub = JxBeginSubSession(e.session, &patch, 0, nullptr);
    ASSERT_NE(sub, nullptr);
    const Bytes seed(1, 3, 1, 1, {});
    const JxSelection s = seed.selection();
    // The sub-session selects at class level 2, the parent then at level 0 (the regions).
    ASSERT_EQ(JxSelect(sub, e.status, &s, 2, 15, 3, 2.0f, nullptr), JxOk);
    ASSERT_EQ(JxUndo(sub, nullptr), JxOk);
    ASSERT_EQ(JxSelect(e.session, e.status, &s, 2, 15, 3, 0.0f, nullptr), JxOk);
    ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
    ASSERT_EQ(e.all(), Statuses(12 * 8, 1));

    // Drawn by hand into the shared arrays: two regions side by side, one colour class.
    auto& parent = classificationOf(e.session);
    parent.regionLabels(blitz::Range::all(), blitz::Range(0, 5)) = 0;
    parent.regionLabels(blitz::Range::all(), blitz::Range(6, 11)) = 1;
    parent.classLabels = 0;

    // Level 0 through the sub-session floods the seed's region, not its class.
    ASSERT_EQ(JxSelect(sub, e.status, &s, 2, 15, 3, 0.0f, nullptr), JxOk);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(e.at(x, y), x <= 5 ? 2 : 1) << x << "," << y;
}

TEST(JxSelect, CancelledInsideAnUndoGroupLeavesNothingBehind) {
    RacingClock clock;
    Engine e(48, 32);
    ASSERT_TRUE(e.ready());
    paintTwoDiscs(e);
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    const Statuses before = e.all();
    const Bytes seed(12, 16, 1, 1, {});
    int cancelled = 0;
    for (int at = 1; at < 50; ++at) {
        SCOPED_TRACE(at);
        // A class level other than the current one, so that the partition runs and reports;
        // a partition cancelled halfway must not be taken for a finished one next time.
        ASSERT_EQ(JxBeginUndoGroup(e.session), JxOk);
        CancelAt::reset(at);
        const int code = select(e, seed.selection(), 2, 15, 2, 7.0f, &CancelAt::callback);
        if (code == JxOk)
            break;
        ASSERT_EQ(code, JxCancelled);
        ++cancelled;
        EXPECT_EQ(e.all(), before);
        EXPECT_EQ(e.redos(), 0u);
    }
    EXPECT_GT(cancelled, 1);
    expectPlaces(e, {0, 1}, 2, 1);
}

}  // namespace
