#include "AnalysisFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

using namespace analysistest;
using sessiontest::Engine;

namespace {

const unsigned char dark[3] = {40, 60, 50};
const unsigned char light[3] = {200, 190, 170};

// A disc off the image's centre, so that swapped coordinates would show.
constexpr double discX = 30.0;
constexpr double discY = 16.0;
constexpr double discRadius = 9.0;

void paintScene(Engine& e) { paintDisc(e.rgba, discX, discY, discRadius, dark, light); }

/// No edge smoothing or simplification: the published points are the conversion's own.
void plainEdges(JxSession* session) {
    ASSERT_EQ(JxSetVariable(session, "v-smplf", 0.0f), JxOk);
    ASSERT_EQ(JxSetVariable(session, "v-smth", 0.0f), JxOk);
}

std::string textOf(JxSession* session, const char* name) {
    JxVariable variable{};
    EXPECT_EQ(JxGetVariable(&variable, session, name), JxOk);
    return variable.text ? variable.text : "";
}

TEST(JxAnalyseImage, PublishesTheBoundaryOfTheDiscAsPointsXThenY) {
    Engine e(48, 34);
    ASSERT_TRUE(e.ready());
    paintScene(e);
    EXPECT_EQ(e.session->analysed, 0);
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    EXPECT_EQ(e.session->analysed, 1);
    const auto lines = polylinesOf(e.session);
    ASSERT_EQ(lines.size(), 1u);   // the disc against the background; nothing against the outside
    ASSERT_GT(lines[0].size(), 40u);
    for (std::size_t k = 0; k < lines[0].size(); k += 2) {
        const double distance = std::hypot(lines[0][k] - discX, lines[0][k + 1] - discY);
        EXPECT_NEAR(distance, discRadius, 2.0) << "point " << k / 2;
    }
    EXPECT_EQ(e.session->polylines[0].reserved, 0u);
}

TEST(JxAnalyseImage, EveryMidpointVariantConvertsTheCornersItsOwnWay) {
    // Denominator of the coordinates each "v-mdPt" value produces from integer corners.
    struct Variant { int value; int denominator; };
    const Variant variants[] = {{0, 2}, {1, 3}, {2, 4}, {3, 4}, {4, 5}, {5, 6}, {6, 1}, {10, 1}};
    Engine e(48, 34);
    ASSERT_TRUE(e.ready());
    paintScene(e);
    plainEdges(e.session);
    for (const Variant& variant : variants) {
        SCOPED_TRACE(::testing::Message() << "v-mdPt " << variant.value);
        ASSERT_EQ(setVariable(e.session, "v-mdPt", static_cast<float>(variant.value), 0.0f, 10.0f), JxOk);
        ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
        const auto lines = polylinesOf(e.session);
        ASSERT_EQ(lines.size(), 1u);
        bool anyFraction = false;
        for (const float coordinate : lines[0]) {
            const double scaled = coordinate * variant.denominator;
            EXPECT_NEAR(scaled, std::round(scaled), 1e-3) << coordinate;
            anyFraction = anyFraction || std::fabs(coordinate - std::round(coordinate)) > 1e-3;
        }
        EXPECT_EQ(anyFraction, variant.denominator > 1);
        // A closed boundary stays closed.
        EXPECT_EQ(lines[0][0], lines[0][lines[0].size() - 2]);
        EXPECT_EQ(lines[0][1], lines[0].back());
    }
}

TEST(JxAnalyseImage, SimplifyingAndRoundingChangeThePoints) {
    Engine e(48, 34);
    ASSERT_TRUE(e.ready());
    paintScene(e);
    plainEdges(e.session);
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    const auto plain = polylinesOf(e.session);
    ASSERT_EQ(setVariable(e.session, "v-smplf", 1.0f, 0.0f, 2.0f), JxOk);
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    const auto simplified = polylinesOf(e.session);
    ASSERT_EQ(simplified.size(), 1u);
    EXPECT_LT(simplified[0].size(), plain[0].size());
    ASSERT_EQ(setVariable(e.session, "v-smth", 0.5f, 0.0f, 2.0f), JxOk);
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    EXPECT_NE(polylinesOf(e.session), simplified);
}

TEST(JxAnalyseImage, ASecondAnalysisWithNothingChangedReusesTheResults) {
    Engine e(48, 34);
    ASSERT_TRUE(e.ready());
    paintScene(e);
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    auto& c = classificationOf(e.session);
    const auto* texture = c.analysisImage.data();
    const auto lines = polylinesOf(e.session);
    // Pixels changed behind the engine's back show whether anything is recomputed.
    paintDisc(e.rgba, 10, 10, 5, dark, light);
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    EXPECT_EQ(e.session->analysed, 1);
    EXPECT_EQ(c.analysisImage.data(), texture);
    EXPECT_EQ(polylinesOf(e.session), lines);   // republished
}

TEST(JxAnalyseImage, ToleranceChangesRedoOnlyTheLaterStagesTextureChangesRedoAll) {
    Engine e(48, 34);
    ASSERT_TRUE(e.ready());
    paintScene(e);
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    auto& c = classificationOf(e.session);
    const auto* texture = c.analysisImage.data();

    ASSERT_EQ(setVariable(e.session, "imageTol", std::log(3.0f), 0.0f, std::log(4.0f)), JxOk);
    EXPECT_EQ(textOf(e.session, "imageTol").back(), '*');
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    EXPECT_EQ(c.analysisImage.data(), texture);             // texture kept
    EXPECT_NEAR(c.stageSettings[6].imageTol, 3.0f, 1e-3);   // watershed redone
    EXPECT_NE(textOf(e.session, "imageTol").back(), '*');   // committed
    EXPECT_EQ(e.session->polylineCount, 1);

    ASSERT_EQ(setVariable(e.session, "t%", 0.3f, 0.0f, 0.5f), JxOk);
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    EXPECT_NE(c.analysisImage.data(), texture);             // texture recomputed
    EXPECT_GE(e.session->polylineCount, 1);
}

TEST(JxAnalyseImage, ToleranceOfOneGivesClassesButNoEdges) {
    Engine e(48, 34);
    ASSERT_TRUE(e.ready());
    paintScene(e);
    ASSERT_EQ(JxSetVariable(e.session, "imageTol", 0.0f), JxOk);
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    EXPECT_EQ(e.session->analysed, 1);
    EXPECT_EQ(e.session->polylineCount, 0);
    EXPECT_EQ(e.session->polylines, nullptr);
    auto& c = classificationOf(e.session);
    EXPECT_EQ(c.regionLabels.numElements(), 0);
    // The colour partition alone: disc and background have different classes.
    EXPECT_NE(c.classLabels(16, 30), c.classLabels(2, 2));
}

/// A session over the disc picture with "imageTol" at 0.8, as the cancelled analyses run.
void prepareCancelledRun(Engine& e, JxVariable& before) {
    paintScene(e);
    ASSERT_EQ(JxGetVariable(&before, e.session, "imageTol"), JxOk);
    ASSERT_EQ(JxSetVariable(e.session, "imageTol", 0.8f), JxOk);
}

TEST(JxAnalyseImage, CancellingAtAnyReportRollsEverythingBack) {
    RacingClock clock;
    Engine reference(48, 34);
    ASSERT_TRUE(reference.ready());
    paintScene(reference);
    ASSERT_EQ(JxAnalyseImage(reference.session, nullptr), JxOk);
    const auto wanted = polylinesOf(reference.session);

    // The reports of the very analysis that is cancelled below, counted once. The count is a
    // property of the analysis, not of the threads: every run below must make the same.
    Engine counted(48, 34);
    ASSERT_TRUE(counted.ready());
    JxVariable unused{};
    prepareCancelledRun(counted, unused);
    CancelAt::reset(0);
    ASSERT_EQ(JxAnalyseImage(counted.session, &CancelAt::callback), JxOk);
    const int reports = CancelAt::delivered;
    ASSERT_GT(reports, 5);

    for (int at = 1; at <= reports; ++at) {
        SCOPED_TRACE(::testing::Message() << "cancelled at report " << at << " of " << reports);
        Engine e(48, 34);
        ASSERT_TRUE(e.ready());
        JxVariable before{};
        prepareCancelledRun(e, before);
        CancelAt::reset(at);
        const int code = JxAnalyseImage(e.session, &CancelAt::callback);
        if (at == reports) {
            // The last report is the completion, which cannot be cancelled.
            EXPECT_EQ(code, JxOk);
            EXPECT_EQ(CancelAt::delivered, reports);
            continue;
        }
        ASSERT_EQ(code, JxCancelled);
        EXPECT_EQ(CancelAt::delivered, at);   // nothing is reported after the cancel
        JxVariable after{};
        ASSERT_EQ(JxGetVariable(&after, e.session, "imageTol"), JxOk);
        EXPECT_FLOAT_EQ(after.normalised, before.normalised);
        EXPECT_STREQ(after.text, before.text);
        EXPECT_FLOAT_EQ(e.session->edgeTolerance, 1.0f - before.normalised);
        if (e.session->analysed == 0) {   // cancelled before the vector edges
            EXPECT_EQ(JxDespeckleSelection(e.session, e.status, 2, nullptr), JxNotAnalysed);
        }
        EXPECT_EQ(e.session->polylineCount, 0);
        // The engine stays usable and a new analysis gives the uncancelled result.
        CancelAt::reset(0);
        ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
        EXPECT_EQ(polylinesOf(e.session), wanted);
    }
}

TEST(JxAnalyseImage, EveryReportComesOnTheCallingThreadAndTheirNumberNotFromTheThreads) {
    RacingClock clock;
    int alone = 0;
    for (unsigned workers : {1u, 2u, 8u}) {
        SCOPED_TRACE(::testing::Message() << workers << " worker threads");
        Engine e(64, 48);
        ASSERT_TRUE(e.ready());
        paintDisc(e.rgba, 40, 20, 12, dark, light);
        paintDisc(e.rgba, 14, 30, 8, light, dark);
        classificationOf(e.session).workerCount = workers;
        enginetest::ReportThreads::reset();
        ASSERT_EQ(JxAnalyseImage(e.session, &enginetest::ReportThreads::record), JxOk);
        EXPECT_EQ(enginetest::ReportThreads::callsOffThread(std::this_thread::get_id()), 0);
        if (workers == 1)
            alone = enginetest::ReportThreads::calls();
        EXPECT_EQ(enginetest::ReportThreads::calls(), alone);
    }
    EXPECT_GT(alone, 5);
}

/// A callback that runs out of memory at its fifth delivery, as an allocation inside the
/// analysis would.
std::int32_t exhaustedAtFifth(std::uint8_t, std::int32_t) {
    if (++CancelAt::delivered == 5)
        throw std::bad_alloc();
    return 0;
}

TEST(JxAnalyseImage, RunningOutOfMemoryIsRecoverable) {
    RacingClock clock;
    Engine e(48, 34);
    ASSERT_TRUE(e.ready());
    paintScene(e);
    JxVariable before{};
    ASSERT_EQ(JxGetVariable(&before, e.session, "imageTol"), JxOk);
    ASSERT_EQ(JxSetVariable(e.session, "imageTol", 0.8f), JxOk);
    CancelAt::reset(0);
    EXPECT_EQ(JxAnalyseImage(e.session, &exhaustedAtFifth), JxOutOfMemory);
    EXPECT_EQ(e.session->analysed, 0);
    EXPECT_EQ(e.session->polylineCount, 0);
    JxVariable after{};
    ASSERT_EQ(JxGetVariable(&after, e.session, "imageTol"), JxOk);
    EXPECT_FLOAT_EQ(after.normalised, before.normalised);
    // The engine stays usable.
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    EXPECT_EQ(e.session->polylineCount, 1);
}

TEST(JxAnalyseImage, OneAndEightWorkerThreadsGiveTheSameResults) {
    Engine one(64, 48), eight(64, 48);
    ASSERT_TRUE(one.ready() && eight.ready());
    for (Engine* e : {&one, &eight}) {
        paintDisc(e->rgba, 40, 20, 12, dark, light);
        paintDisc(e->rgba, 14, 30, 8, light, dark);   // a second region of another texture
    }
    classificationOf(one.session).workerCount = 1;
    classificationOf(eight.session).workerCount = 8;
    ASSERT_EQ(JxAnalyseImage(one.session, nullptr), JxOk);
    ASSERT_EQ(JxAnalyseImage(eight.session, nullptr), JxOk);
    auto& a = classificationOf(one.session);
    auto& b = classificationOf(eight.session);
    for (int plane = 0; plane < 6; ++plane)
        EXPECT_TRUE(blitz::all(a.analysisImage[plane] == b.analysisImage[plane])) << "plane " << plane;
    EXPECT_TRUE(blitz::all(a.classLabels == b.classLabels));
    EXPECT_TRUE(blitz::all(a.regionLabels == b.regionLabels));
    EXPECT_EQ(a.resultingClassCount, b.resultingClassCount);
    EXPECT_EQ(polylinesOf(one.session), polylinesOf(eight.session));
}

TEST(JxAnalyseImage, SubSessionsAnalyseTheirPatchOrTakeOverTheParents) {
    Engine e(48, 34);
    ASSERT_TRUE(e.ready());
    paintScene(e);
    // A masked sub-session for analysis around the disc: only the masked part has regions.
    std::vector<unsigned char> mask(30 * 26, 0);
    for (int y = 0; y < 26; ++y)
        for (int x = 2; x < 28; ++x)
            mask[static_cast<std::size_t>(y) * 30 + x] = 255;
    const JxSelection patch{16, 4, 30, 26, 30, 0, mask.data()};
    JxSession* own = JxBeginSubSession(e.session, &patch, 1, nullptr);
    ASSERT_NE(own, nullptr);
    ASSERT_EQ(own->polylineCount, 1);   // the mask's outline
    ASSERT_EQ(JxAnalyseImage(own, nullptr), JxOk);
    auto& sub = classificationOf(own);
    EXPECT_TRUE(classification::boxEquals(classification::IntBox::domainOf(sub.regionLabels),
                                          classification::IntBox(4, 16, 29, 45)));
    EXPECT_EQ(sub.regionLabels(10, 16), -1);   // outside the mask
    EXPECT_GE(sub.regionLabels(10, 20), 0);
    EXPECT_EQ(own->polylineCount, 1);           // the disc; edges against the mask's outside are skipped

    // Not begun for analysis: refused, then the parent's analysis is shared with it.
    const JxSelection plain{20, 8, 10, 10, 10, 0, nullptr};
    JxSession* shared = JxBeginSubSession(e.session, &plain, 0, nullptr);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->polylineCount, 0);
    EXPECT_EQ(JxAnalyseImage(shared, nullptr), JxNotAnalysed);
    EXPECT_EQ(JxDespeckleSelection(shared, e.status, 1, nullptr), JxNotAnalysed);
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    EXPECT_TRUE(classificationOf(shared).hasSegmentationArrays());
    const JxSelection seed{25, 13, 1, 1, 1, 0, nullptr};
    EXPECT_EQ(JxSelect(shared, e.status, &seed, 2, 15, 3, 0.0f, nullptr), JxOk);
    EXPECT_EQ(e.at(25, 13), 2);
}

TEST(JxBeginSubSession, PublishesTheOutlineOfItsMask) {
    Engine e(20, 20);
    ASSERT_TRUE(e.ready());
    std::vector<unsigned char> full(6 * 4, 1), none(6 * 4, 0);
    const JxSelection filled{3, 5, 6, 4, 6, 0, full.data()};
    JxSession* a = JxBeginSubSession(e.session, &filled, 0, nullptr);
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->polylineCount, 1);
    // One closed outline along the patch's border, corners in (x, y) of the top session.
    const auto outline = polylinesOf(a);
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (std::size_t k = 0; k < outline[0].size(); k += 2) {
        minX = std::min(minX, outline[0][k]);
        maxX = std::max(maxX, outline[0][k]);
        minY = std::min(minY, outline[0][k + 1]);
        maxY = std::max(maxY, outline[0][k + 1]);
    }
    EXPECT_EQ(std::vector<float>({minX, maxX, minY, maxY}), std::vector<float>({3, 9, 5, 9}));
    EXPECT_EQ(outline[0].size(), 10u);   // simplified to the four corners, closed

    const JxSelection empty{3, 5, 6, 4, 6, 0, none.data()};
    JxSession* b = JxBeginSubSession(e.session, &empty, 0, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->polylineCount, 0);
    EXPECT_EQ(b->polylines, nullptr);
}

}  // namespace

TEST(JxAnalyseImage, SubSessionsOneLineThickAwayFromTheOriginAreAnalysed) {
    // A patch one pixel high or wide has no cell corners; the gradient stage must not build
    // an empty array based at the patch's corner (Blitz++ then forms an address outside it).
    const JxSelection lines[] = {
        {12, 9, 20, 1, 20, 0, nullptr},
        {17, 5, 1, 20, 1, 0, nullptr},
        {30, 20, 1, 1, 1, 0, nullptr},
    };
    for (const JxSelection& line : lines) {
        SCOPED_TRACE(std::to_string(line.width) + "x" + std::to_string(line.height));
        Engine e(48, 34);
        ASSERT_TRUE(e.ready());
        paintScene(e);
        JxSession* sub = JxBeginSubSession(e.session, &line, 1, nullptr);
        ASSERT_NE(sub, nullptr);
        EXPECT_EQ(JxAnalyseImage(sub, nullptr), JxOk);
    }
}
