#include "SessionTestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace sessiontest;

using Statuses = std::vector<unsigned char>;

TEST(JxSetStatus, WritesNonZeroStatusesOverNonZeroPixelsAndUndoesThem) {
    Engine e(4, 3, {{1, 1}});   // pixel (1, 1) has status 0
    ASSERT_TRUE(e.ready());
    const Statuses start = e.all();
    ASSERT_EQ(e.at(1, 1), 0);

    ASSERT_EQ(e.setStatus(Bytes(1, 0, 3, 2, {2, 0, 4, 8, 8, 8})), JxOk);
    const Statuses after{1, 2, 1, 4,
                         1, 0, 8, 8,
                         1, 1, 1, 1};
    EXPECT_EQ(e.all(), after);
    EXPECT_EQ(changed(e.session), std::vector<int>({1, 0, 3, 2}));
    EXPECT_EQ(e.undos(), 1u);
    EXPECT_EQ(e.redos(), 0u);

    ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
    EXPECT_EQ(e.all(), start);
    EXPECT_EQ(changed(e.session), std::vector<int>({1, 0, 3, 2}));
    EXPECT_EQ(e.undos(), 0u);
    EXPECT_EQ(e.redos(), 1u);

    ASSERT_EQ(JxRedo(e.session, nullptr), JxOk);
    EXPECT_EQ(e.all(), after);
    EXPECT_EQ(e.undos(), 1u);
    EXPECT_EQ(e.redos(), 0u);

    // Nothing left to undo or redo: success, nothing changes, nothing is reported changed.
    ASSERT_EQ(JxRedo(e.session, nullptr), JxOk);
    EXPECT_EQ(changed(e.session), std::vector<int>({0, 0, 0, 0}));
    EXPECT_EQ(e.all(), after);
}

TEST(JxSetStatus, OnlyThePartInsideTheStatusImageCounts) {
    Engine e(4, 3);
    ASSERT_TRUE(e.ready());
    ASSERT_EQ(e.setStatus(Bytes(-2, -1, 4, 3, {9, 9, 9, 9,
                                                9, 9, 2, 4,
                                                9, 9, 8, 8})), JxOk);
    EXPECT_EQ(e.row(0), Statuses({2, 4, 1, 1}));
    EXPECT_EQ(e.row(1), Statuses({8, 8, 1, 1}));
    EXPECT_EQ(changed(e.session), std::vector<int>({0, 0, 2, 2}));

    // Entirely outside: nothing to record.
    ASSERT_EQ(e.setStatus(Bytes(10, 10, 2, 2, {2, 2, 2, 2})), JxOk);
    EXPECT_EQ(changed(e.session), std::vector<int>({0, 0, 0, 0}));
    EXPECT_EQ(e.undos(), 1u);
}

TEST(JxSetStatus, UndoRestoresEveryFlagBit) {
    Engine e(4, 1);
    ASSERT_TRUE(e.ready());
    const Statuses flagged{0x14, 0x81, 0x41, 0x22};
    ASSERT_EQ(e.setStatus(Bytes(0, 0, 4, 1, flagged)), JxOk);
    ASSERT_EQ(JxClearUndoRedo(e.session), JxOk);
    EXPECT_EQ(e.undos(), 0u);
    ASSERT_EQ(e.setStatus(Bytes(0, 0, 4, 1, {0x02, 0x02, 0x04, 0x00})), JxOk);
    EXPECT_EQ(e.row(0), Statuses({0x02, 0x02, 0x04, 0x22}));
    ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
    EXPECT_EQ(e.row(0), flagged);
}

TEST(JxSetStatus, RefusesStatusesItCannotRead) {
    Engine e(4, 4);
    ASSERT_TRUE(e.ready());
    RgbaImage small(3, 4);
    JxImage* tooSmall = JxNewImage(e.engine, small.image());
    ASSERT_NE(tooSmall, nullptr);
    std::vector<unsigned char> bytes(16, 2);
    struct Case { const char* what; JxSelection selection; JxImage* image; };
    const Case cases[] = {
        {"null mask", {0, 0, 2, 2, 2, 0, nullptr}, e.status},
        {"stride below width", {0, 0, 4, 2, 3, 0, bytes.data()}, e.status},
        {"no width", {0, 0, 0, 2, 2, 0, bytes.data()}, e.status},
        {"negative height", {0, 0, 2, -2, 2, 0, bytes.data()}, e.status},
        {"status image narrower than the session", {0, 0, 2, 2, 2, 0, bytes.data()}, tooSmall},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(JxSetStatus(e.session, c.image, &c.selection, nullptr), JxRefused);
    }
    EXPECT_EQ(JxSetStatus(e.session, e.status, nullptr, nullptr), JxRefused);
    EXPECT_EQ(e.all(), Statuses(16, 1));
    EXPECT_EQ(e.undos(), 0u);
    std::uint32_t untouched = 77;
    EXPECT_EQ(JxNumAvailableUndos(e.session, nullptr), JxRefused);
    EXPECT_EQ(JxNumAvailableRedos(nullptr, &untouched), JxBadSession);
    EXPECT_EQ(untouched, 77u);
}

TEST(JxSetStatus, AStatusImageOfAnotherEngineIsABadImage) {
    // Undo steps keep views of the status image they changed; an image of another engine is
    // freed when that engine finishes, so a later undo would write into freed memory.
    Engine mine(4, 2);
    Engine other(4, 2);
    ASSERT_TRUE(mine.ready() && other.ready());
    const JxSelection rect{1, 0, 2, 2, 0, 0, nullptr};
    JxSession* sub = JxBeginSubSession(mine.session, &rect, 0, nullptr);
    ASSERT_NE(sub, nullptr);

    const Bytes keep(0, 0, 4, 2, Statuses(8, 2));
    const JxSelection statuses = keep.selection();
    EXPECT_EQ(JxSetStatus(mine.session, other.status, &statuses, nullptr), JxBadImage);
    EXPECT_EQ(JxSetStatus(sub, other.status, &statuses, nullptr), JxBadImage);
    EXPECT_EQ(JxPullParentStatus(sub, other.status), JxBadImage);
    EXPECT_EQ(JxPushStatusToParent(sub, other.status), JxBadImage);
    EXPECT_EQ(other.all(), Statuses(8, 1));
    EXPECT_EQ(mine.undos(), 0u);
    EXPECT_EQ(mine.undos(sub), 0u);

    ASSERT_EQ(JxFinish(other.engine), JxOk);
    other.engine = nullptr;
    EXPECT_EQ(JxUndo(mine.session, nullptr), JxOk);
    EXPECT_EQ(JxUndo(sub, nullptr), JxOk);
    EXPECT_EQ(mine.all(), Statuses(8, 1));
}

TEST(UndoHistory, GroupsUndoTogetherAndNewChangesDropTheRedoList) {
    Engine e(3, 1);
    ASSERT_TRUE(e.ready());
    // Without an open group each SetStatus opens its own.
    ASSERT_EQ(e.setStatus(Bytes(0, 0, 1, 1, {2})), JxOk);
    ASSERT_EQ(e.setStatus(Bytes(1, 0, 1, 1, {2})), JxOk);
    EXPECT_EQ(e.undos(), 1u);   // the second joins the group the first opened
    ASSERT_EQ(JxBeginUndoGroup(e.session), JxOk);
    ASSERT_EQ(e.setStatus(Bytes(2, 0, 1, 1, {4})), JxOk);
    ASSERT_EQ(e.setStatus(Bytes(0, 0, 1, 1, {8})), JxOk);
    EXPECT_EQ(e.undos(), 2u);
    EXPECT_EQ(e.row(0), Statuses({8, 2, 4}));

    ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
    EXPECT_EQ(e.row(0), Statuses({2, 2, 1}));
    EXPECT_EQ(changed(e.session), std::vector<int>({0, 0, 3, 1}));
    ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
    EXPECT_EQ(e.row(0), Statuses({1, 1, 1}));
    EXPECT_EQ(e.redos(), 2u);

    // A change after undoing opens a fresh group and nothing can be redone any more.
    ASSERT_EQ(e.setStatus(Bytes(1, 0, 1, 1, {4})), JxOk);
    EXPECT_EQ(e.redos(), 0u);
    EXPECT_EQ(e.undos(), 1u);
    // An empty group still counts, and undoing it changes nothing.
    ASSERT_EQ(JxBeginUndoGroup(e.session), JxOk);
    EXPECT_EQ(e.undos(), 2u);
    ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
    EXPECT_EQ(e.row(0), Statuses({1, 4, 1}));
    EXPECT_EQ(changed(e.session), std::vector<int>({0, 0, 0, 0}));
    EXPECT_EQ(e.redos(), 1u);
}

TEST(UndoHistory, KeepsAtMostTwoHundredGroups) {
    Engine e(1, 1);
    ASSERT_TRUE(e.ready());
    // Group i writes 2 when i is even and 4 when it is odd, i = 1 .. 201.
    for (int i = 1; i <= 201; ++i) {
        ASSERT_EQ(JxBeginUndoGroup(e.session), JxOk);
        ASSERT_EQ(e.setStatus(Bytes(0, 0, 1, 1, {static_cast<unsigned char>(i % 2 ? 4 : 2)})), JxOk);
    }
    EXPECT_EQ(e.undos(), 200u);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
    // The first group was dropped: the status is what it left (4), not the original 1.
    EXPECT_EQ(e.at(0, 0), 4);
    EXPECT_EQ(e.undos(), 0u);
    EXPECT_EQ(e.redos(), 200u);
    ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
    EXPECT_EQ(e.at(0, 0), 4);
}

TEST(StatusCommandRollBack, CancellationUndoesOnlyTheCancelledCommand) {
    const Statuses a{2, 2, 1, 1};
    const Statuses b{4, 4, 4, 4};
    {
        SCOPED_TRACE("in a group the caller opened");
        Engine e(4, 1);
        ASSERT_EQ(JxBeginUndoGroup(e.session), JxOk);
        ASSERT_EQ(e.setStatus(Bytes(0, 0, 4, 1, {2, 2, 0, 0})), JxOk);
        EXPECT_EQ(e.setStatus(Bytes(0, 0, 4, 1, b), cancelAlways), JxCancelled);
        EXPECT_EQ(e.row(0), a);
        EXPECT_EQ(e.undos(), 1u);
        EXPECT_EQ(e.redos(), 0u);
        ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
        EXPECT_EQ(e.row(0), Statuses(4, 1));
    }
    {
        SCOPED_TRACE("joining the group of an earlier, finished command");
        Engine e(4, 1);
        ASSERT_EQ(e.setStatus(Bytes(0, 0, 4, 1, {2, 2, 0, 0})), JxOk);
        EXPECT_EQ(e.setStatus(Bytes(0, 0, 4, 1, b), cancelAlways), JxCancelled);
        EXPECT_EQ(e.row(0), a);
        EXPECT_EQ(e.undos(), 1u);
        // The engine stays usable and the earlier command is still undoable.
        ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
        EXPECT_EQ(e.row(0), Statuses(4, 1));
    }
    {
        SCOPED_TRACE("after an undo: the group the command opened goes, the redo list too");
        Engine e(4, 1);
        ASSERT_EQ(e.setStatus(Bytes(0, 0, 4, 1, {2, 2, 0, 0})), JxOk);
        ASSERT_EQ(JxBeginUndoGroup(e.session), JxOk);
        ASSERT_EQ(e.setStatus(Bytes(0, 0, 4, 1, {8, 8, 8, 8})), JxOk);
        ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
        EXPECT_EQ(e.setStatus(Bytes(0, 0, 4, 1, b), cancelAlways), JxCancelled);
        EXPECT_EQ(e.row(0), a);
        EXPECT_EQ(e.undos(), 1u);
        EXPECT_EQ(e.redos(), 0u);
    }
}

TEST(UndoHistory, RunsLongerThanTheirCountFieldAreSplit) {
    // 4097 x 4096 pixels changed alike: one run would need a count above 2^24 - 1.
    Engine e(4097, 4096);
    ASSERT_TRUE(e.ready());
    const Bytes keep(0, 0, 4097, 4096, std::vector<unsigned char>(4097u * 4096u, 2));
    ASSERT_EQ(e.setStatus(keep), JxOk);
    ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
    const std::vector<unsigned char> undone = e.all();
    EXPECT_EQ(std::count(undone.begin(), undone.end(), 1), 4097 * 4096);
    ASSERT_EQ(JxRedo(e.session, nullptr), JxOk);
    const std::vector<unsigned char> redone = e.all();
    EXPECT_EQ(std::count(redone.begin(), redone.end(), 2), 4097 * 4096);
}
