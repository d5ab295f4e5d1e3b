// The frame every flat-interface entry runs in: handle checks and their order, the mapping of
// exceptions to codes, the failed-engine latch, the new-handler guard, and JxFinish's clean-up
// of the sessions and images registered with an engine. Sessions are a small stand-in class
// registered the way the engine's sessions register.

#include "classification/JxEngine.h"
#include "classification/JxEntryFrame.h"
#include "classification/JxExCancel.h"
#include "classification/JxInterface.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

using enginetest::ManualClock;
using enginetest::ProgressLog;

namespace {

/// A session as far as the frame sees one. A sub-session reads its parent when it ends, as
/// the engine's sessions do, so ending a parent first shows up under AddressSanitizer.
class StandInSession : public JxSession, public JxSigned {
public:
    StandInSession(JxEngine* engine, StandInSession* parent, std::string name,
                   std::vector<std::string>* endings)
        : JxSession(), engine_(engine), parent_(parent), name_(std::move(name)),
          endings_(endings) {
        engine_->addSession(this);
    }
    ~StandInSession() override {
        endings_->push_back(parent_ ? name_ + " of " + parent_->name_ : name_);
        engine_->removeSession(this);
    }

    // The registry answers for a stale handle only until its address is reused, and an
    // allocator without AddressSanitizer's quarantine gives the next object of this size the
    // very address just freed. So a deleted stand-in's memory is held until the test ends,
    // and a stale handle in a test stays stale.
    // Kept out of line: once inlined, GCC pairs the global allocation it sees with this
    // class's operator delete and warns of a mismatch that is not there.
    [[gnu::noinline]] static void* operator new(std::size_t size) { return ::operator new(size); }
    static void operator delete(void* memory) {
        try {
            held().push_back(memory);
        } catch (...) {
            ::operator delete(memory);
        }
    }
    static void releaseHeldMemory() {
        for (void* memory : held())
            ::operator delete(memory);
        held().clear();
    }

private:
    static std::vector<void*>& held() {
        static std::vector<void*> memory;
        return memory;
    }

    JxEngine* engine_;
    StandInSession* parent_;
    std::string name_;
    std::vector<std::string>* endings_;
};

using Work = std::function<int(JxInProgress&)>;

/// A command entry on a session and a status image, built on the frame like the real ones.
int runCommand(JxSession* session, JxImage* image, const Work& work,
               JxFailurePolicy policy = JxFailurePolicy::command) {
    return JxEntryFrame::runWithImage(
        session, image, {"Select", policy, &ProgressLog::record, true},
        [&](JxEngine&, JxInProgress& reporter) { return work(reporter); });
}

int runSessionOnly(JxSession* session, const Work& work) {
    return JxEntryFrame::run(session, {"SetVariable", JxFailurePolicy::valueOnly},
                             [&](JxEngine&, JxInProgress& reporter) { return work(reporter); });
}

const Work succeed = [](JxInProgress&) { return JxOk; };

JxImage fourPixels(unsigned char* pixels) {
    return JxImage{2, 2, 8, JxFormatRgba8, pixels};
}

class JxEntryFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProgressLog::reset();
        engine = JxInit();
        ASSERT_NE(engine, nullptr);
        top = new StandInSession(engine, nullptr, "top", &endings);
        image = JxNewImage(engine, fourPixels(pixels));
        ASSERT_NE(image, nullptr);
    }
    void TearDown() override {
        if (engine)
            JxFinish(engine);
        StandInSession::releaseHeldMemory();
        ProgressLog::reset();
    }

    unsigned char pixels[16] = {};
    std::vector<std::string> endings;
    JxEngine* engine = nullptr;
    StandInSession* top = nullptr;
    JxImage* image = nullptr;
};

}  // namespace

TEST_F(JxEntryFrameTest, ImageIsCheckedBeforeSessionAndNothingRunsOnABadHandle) {
    // Stale handles of every kind, and addresses that never were handles. The other engine's
    // image is made before the finished engine's go, so it cannot take the stale image's
    // address.
    JxEngine* other = JxInit();
    JxImage* otherImage = JxNewImage(other, fourPixels(pixels));
    ASSERT_NE(otherImage, nullptr);
    JxEngine* finished = JxInit();
    std::vector<std::string> otherEndings;
    JxSession* finishedSession = new StandInSession(finished, nullptr, "old", &otherEndings);
    JxImage* finishedImage = JxNewImage(finished, fourPixels(pixels));
    ASSERT_EQ(JxFinish(finished), JxOk);
    JxSession* endedSession = new StandInSession(engine, nullptr, "ended", &endings);
    delete static_cast<StandInSession*>(endedSession);
    int notAHandle[16] = {};
    JxSession* foreignSession = reinterpret_cast<JxSession*>(notAHandle);
    JxImage* foreignImage = reinterpret_cast<JxImage*>(notAHandle);
    JxSession* imageAsSession = reinterpret_cast<JxSession*>(image);

    struct Case { const char* name; JxSession* session; JxImage* image; int expected; };
    const Case cases[] = {
        {"both good", top, image, JxOk},
        {"null image, null session", nullptr, nullptr, JxBadImage},
        {"null image", top, nullptr, JxBadImage},
        {"stale image, stale session", endedSession, finishedImage, JxBadImage},
        {"foreign image", top, foreignImage, JxBadImage},
        {"null session", nullptr, image, JxBadSession},
        {"ended session", endedSession, image, JxBadSession},
        {"foreign session", foreignSession, image, JxBadSession},
        {"an image handle as session", imageAsSession, image, JxBadSession},
        {"session of a finished engine", finishedSession, image, JxBadEngine},
        {"image of another engine", top, otherImage, JxBadImage},
        {"image of another engine, ended session", endedSession, otherImage, JxBadSession},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool ran = false;
        const int code = runCommand(c.session, c.image, [&](JxInProgress&) {
            ran = true;
            return JxOk;
        });
        EXPECT_EQ(code, c.expected);
        EXPECT_EQ(ran, c.expected == JxOk);
    }
    EXPECT_EQ(runSessionOnly(finishedSession, succeed), JxBadEngine);
    EXPECT_EQ(runSessionOnly(endedSession, succeed), JxBadSession);
    EXPECT_EQ(JxFinish(other), JxOk);
}

TEST_F(JxEntryFrameTest, ExceptionsBecomeCodesAndOnlyUnexpectedOnesFailTheEngine) {
    enum Thrown { cancel, memory, other };
    struct Case { JxFailurePolicy policy; Thrown thrown; int expected; bool engineFailed; };
    const Case cases[] = {
        {JxFailurePolicy::command, cancel, JxCancelled, false},
        {JxFailurePolicy::command, memory, JxOutOfMemory, false},
        {JxFailurePolicy::command, other, JxUnexpectedException, true},
        {JxFailurePolicy::undoRedo, cancel, JxCancelled, false},
        {JxFailurePolicy::undoRedo, memory, JxOutOfMemoryFatal, true},
        {JxFailurePolicy::undoRedo, other, JxUnexpectedException, true},
        {JxFailurePolicy::valueOnly, memory, JxUnexpectedException, true},
        {JxFailurePolicy::valueOnly, other, JxUnexpectedException, true},
        {JxFailurePolicy::sessionBuild, cancel, JxCancelled, false},
        {JxFailurePolicy::sessionBuild, memory, JxOutOfMemory, true},
        {JxFailurePolicy::imageBuild, memory, JxOutOfMemory, false},
        {JxFailurePolicy::imageBuild, other, JxUnexpectedException, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "policy " << static_cast<int>(c.policy) << ", thrown "
                                        << c.thrown);
        JxEngine* own = JxInit();
        std::vector<std::string> ownEndings;
        auto* session = new StandInSession(own, nullptr, "s", &ownEndings);
        JxImage* ownImage = JxNewImage(own, fourPixels(pixels));   // images serve their own engine
        ASSERT_NE(ownImage, nullptr);
        const int code = runCommand(session, ownImage, [&](JxInProgress&) -> int {
            switch (c.thrown) {
            case cancel: throw JxExCancel();
            case memory: throw std::bad_alloc();
            default: throw std::logic_error("broken invariant");
            }
        }, c.policy);
        EXPECT_EQ(code, c.expected);
        EXPECT_EQ(runCommand(session, ownImage, succeed), c.engineFailed ? JxEngineFailed : JxOk);
        EXPECT_EQ(JxFinish(own), c.engineFailed ? JxEngineFailed : JxOk);
    }
}

TEST_F(JxEntryFrameTest, AThrowingCallbackFailsTheEngineForEveryEntryButScaling) {
    ManualClock clock;
    ProgressLog::throwOnCall = true;
    const int code = runCommand(top, image, [&](JxInProgress& reporter) {
        clock.advance(std::chrono::milliseconds(101));
        reporter.progress(0.5f, "");
        return JxOk;
    });
    EXPECT_EQ(code, JxUnexpectedException);
    ProgressLog::throwOnCall = false;

    auto* sub = new StandInSession(engine, top, "sub", &endings);   // built before the failure
    EXPECT_EQ(runCommand(top, image, succeed), JxEngineFailed);
    EXPECT_EQ(runCommand(sub, image, succeed), JxEngineFailed);
    EXPECT_EQ(runSessionOnly(top, succeed), JxEngineFailed);
    EXPECT_EQ(runCommand(top, nullptr, succeed), JxBadImage) << "handle codes still come first";
    EXPECT_EQ(JxNewImage(engine, fourPixels(pixels)), nullptr);
    EXPECT_EQ(JxFinish(engine), JxEngineFailed);
    EXPECT_EQ(JxFinish(engine), JxEngineFailed) << "a failed engine stays alive";
    EXPECT_TRUE(endings.empty());

    unsigned char small[4] = {};
    EXPECT_EQ(JxScaleImage(JxImage{1, 1, 4, JxFormatRgba8, small}, fourPixels(pixels)), JxOk);

    JxEngine* next = JxInit();   // a new engine for the next image works as ever
    ASSERT_NE(next, nullptr);
    EXPECT_NE(JxNewImage(next, fourPixels(pixels)), nullptr);
    EXPECT_EQ(JxFinish(next), JxOk);
    engine = nullptr;   // kept alive, failed, by design
}

TEST_F(JxEntryFrameTest, NewHandlerIsRemovedDuringTheWorkAndRestoredOnEveryWayOut) {
    static bool called = false;
    const std::new_handler mine = [] { called = true; throw std::bad_alloc(); };
    const std::new_handler before = std::set_new_handler(mine);
    std::new_handler during = mine;
    EXPECT_EQ(runCommand(top, image, [&](JxInProgress&) {
        during = std::get_new_handler();
        return JxOk;
    }), JxOk);
    EXPECT_EQ(during, nullptr);
    EXPECT_EQ(std::get_new_handler(), mine);
    EXPECT_EQ(runCommand(top, image, [](JxInProgress&) -> int { throw std::bad_alloc(); }),
              JxOutOfMemory);
    EXPECT_EQ(std::get_new_handler(), mine);
    EXPECT_EQ(runCommand(nullptr, image, succeed), JxBadSession);
    EXPECT_EQ(std::get_new_handler(), mine);
    EXPECT_FALSE(called);
    std::set_new_handler(before);
}

TEST_F(JxEntryFrameTest, FinishEndsSubSessionsBeforeTheirParents) {
    auto* sub = new StandInSession(engine, top, "sub", &endings);
    new StandInSession(engine, sub, "subsub", &endings);
    new StandInSession(engine, top, "sub2", &endings);
    new StandInSession(engine, nullptr, "other", &endings);
    ASSERT_EQ(JxFinish(engine), JxOk);
    EXPECT_EQ(endings, (std::vector<std::string>{"other", "sub2 of top", "subsub of sub",
                                                 "sub of top", "top"}));

    // Every handle of the engine is stale now, and answers without being read.
    EXPECT_EQ(JxFinish(engine), JxBadEngine);
    EXPECT_EQ(JxNewImage(engine, fourPixels(pixels)), nullptr);
    EXPECT_EQ(JxCheckImage(image), JxBadImage);
    EXPECT_EQ(runSessionOnly(top, succeed), JxBadEngine);
    EXPECT_EQ(runSessionOnly(sub, succeed), JxBadEngine);
    engine = nullptr;
}

TEST_F(JxEntryFrameTest, CancellationReachesTheEntryThroughTheCallback) {
    ManualClock clock;
    ProgressLog::answer = JxInProgress::cancelRequest;
    bool finished = false;
    EXPECT_EQ(runCommand(top, image, [&](JxInProgress& reporter) {
        for (int step = 1; step <= 10; ++step) {
            clock.advance(std::chrono::milliseconds(40));
            reporter.progress(step / 10.0f, "");
        }
        finished = true;
        return JxOk;
    }), JxCancelled);
    EXPECT_FALSE(finished);
    EXPECT_EQ(ProgressLog::percents, (std::vector<int>{30})) << "no completion after a cancel";
    EXPECT_EQ(runCommand(top, image, succeed), JxOk) << "a cancellation leaves the engine usable";
}

TEST(JxFinish, RefusesHandlesThatAreNotLiveEngines) {
    EXPECT_EQ(JxFinish(nullptr), JxBadEngine);
    int notAnEngine[8] = {};
    EXPECT_EQ(JxFinish(reinterpret_cast<JxEngine*>(notAnEngine)), JxBadEngine);
    JxEngine* engine = JxInit();
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(JxFinish(engine), JxOk);
    EXPECT_EQ(JxFinish(engine), JxBadEngine);
}
