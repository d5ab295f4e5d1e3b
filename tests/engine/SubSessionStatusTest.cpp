#include "SessionTestImages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace sessiontest;

using Statuses = std::vector<unsigned char>;

TEST(SubSessionStatus, WithoutAMaskTheSharedStatusImageChangesAtOnce) {
    Engine e(6, 4);
    ASSERT_TRUE(e.ready());
    const JxSelection rect{1, 1, 3, 2, 0, 0, nullptr};
    JxSession* sub = JxBeginSubSession(e.session, &rect, 0, nullptr);
    ASSERT_NE(sub, nullptr);
    // The sub-session's statuses stop at its rectangle.
    ASSERT_EQ(e.setStatus(sub, Bytes(0, 0, 6, 4, Statuses(24, 4))), JxOk);
    EXPECT_EQ(e.row(0), Statuses({1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(e.row(1), Statuses({1, 4, 4, 4, 1, 1}));
    EXPECT_EQ(e.row(2), Statuses({1, 4, 4, 4, 1, 1}));
    EXPECT_EQ(changed(sub), std::vector<int>({1, 1, 3, 2}));
    EXPECT_EQ(e.undos(sub), 1u);
    EXPECT_EQ(e.undos(), 0u);   // recorded in the sub-session's own history
}

// The two lines are the engine's designed diagnostics for a re-based status view, not stray
// debugging: each view a sub-session builds announces its local index range and the re-basing.
TEST(SubSessionStatus, EveryStatusViewOfASubSessionIsAnnouncedOnStandardError) {
    Engine e(6, 4);
    ASSERT_TRUE(e.ready());
    const JxSelection rect{1, 1, 3, 2, 0, 0, nullptr};   // rows 1 to 2, columns 1 to 3
    JxSession* sub = JxBeginSubSession(e.session, &rect, 0, nullptr);
    ASSERT_NE(sub, nullptr);
    const std::string announcement =
        "status array's dimensions: [[0,0], [1,2]]\nReindexing from [0,0] to [1,1]\n";

    testing::internal::CaptureStderr();
    const int result = e.setStatus(sub, Bytes(1, 1, 3, 2, Statuses(6, 4)));
    const std::string written = testing::internal::GetCapturedStderr();
    ASSERT_EQ(result, JxOk);
    EXPECT_EQ(written, announcement);

    // The top session's view needs no re-basing and says nothing.
    testing::internal::CaptureStderr();
    ASSERT_EQ(e.setStatus(Bytes(0, 0, 6, 4, Statuses(24, 2))), JxOk);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(SubSessionStatus, AMaskedSubSessionWorksOnItsOwnCopyUntilPushed) {
    Engine e(6, 4);
    ASSERT_TRUE(e.ready());
    const Statuses mask{1, 1, 0, 0,
                        0, 1, 1, 0};
    const JxSelection patch{1, 1, 4, 2, 4, 0, mask.data()};
    JxSession* sub = JxBeginSubSession(e.session, &patch, 0, nullptr);
    ASSERT_NE(sub, nullptr);

    ASSERT_EQ(e.setStatus(sub, Bytes(1, 1, 4, 2, Statuses(8, 2))), JxOk);
    EXPECT_EQ(e.all(), Statuses(24, 1));   // only the local copy changed

    ASSERT_EQ(JxPushStatusToParent(sub, e.status), JxOk);
    EXPECT_EQ(e.row(1), Statuses({1, 2, 2, 1, 1, 1}));
    EXPECT_EQ(e.row(2), Statuses({1, 1, 2, 2, 1, 1}));
    EXPECT_EQ(changed(e.session), std::vector<int>({1, 1, 4, 2}));
    EXPECT_EQ(e.undos(), 1u);   // recorded in the parent's history

    // The parent changes; pulling brings its statuses into the mask, so pushing again
    // writes back the parent's newer statuses, not the sub-session's old ones.
    ASSERT_EQ(e.setStatus(Bytes(0, 0, 6, 4, Statuses(24, 8))), JxOk);
    ASSERT_EQ(JxPullParentStatus(sub, e.status), JxOk);
    ASSERT_EQ(JxPushStatusToParent(sub, e.status), JxOk);
    EXPECT_EQ(e.all(), Statuses(24, 8));

    // Undoing the parent's groups takes the statuses back to before the first push.
    while (e.undos() > 0)
        ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
    EXPECT_EQ(e.all(), Statuses(24, 1));
}

TEST(SubSessionStatus, PullAndPushNeedASubSessionAndACoveringStatusImage) {
    Engine e(6, 4);
    ASSERT_TRUE(e.ready());
    EXPECT_EQ(JxPullParentStatus(e.session, e.status), JxRefused);
    EXPECT_EQ(JxPushStatusToParent(e.session, e.status), JxRefused);

    const JxSelection rect{3, 1, 3, 3, 0, 0, nullptr};
    JxSession* sub = JxBeginSubSession(e.session, &rect, 0, nullptr);
    ASSERT_NE(sub, nullptr);
    RgbaImage narrow(5, 4);
    JxImage* narrowStatus = JxNewImage(e.engine, narrow.image());
    ASSERT_NE(narrowStatus, nullptr);
    EXPECT_EQ(JxPullParentStatus(sub, narrowStatus), JxRefused);
    EXPECT_EQ(JxPushStatusToParent(sub, narrowStatus), JxRefused);
    EXPECT_EQ(JxPullParentStatus(sub, nullptr), JxBadImage);
    EXPECT_EQ(JxPushStatusToParent(nullptr, e.status), JxBadSession);
    EXPECT_EQ(JxPullParentStatus(sub, e.status), JxOk);
}
