#include "SessionTestImages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace sessiontest;

namespace {

struct Entry {
    std::string name;
    std::string text;
    float normalised;
};

std::vector<Entry> tableOf(const JxSession* session) {
    std::vector<Entry> entries;
    for (int i = 0; i < session->variableCount; ++i)
        entries.push_back({session->variables[i].name, session->variables[i].text,
                           session->variables[i].normalised});
    return entries;
}

JxVariable variable(JxSession* session, const char* name) {
    JxVariable v{-1.0f, nullptr, nullptr};
    EXPECT_EQ(JxGetVariable(&v, session, name), JxOk) << name;
    return v;
}

std::string textOf(JxSession* session, const char* name) {
    const JxVariable v = variable(session, name);
    return v.text ? v.text : "";
}

}  // namespace

TEST(JxBeginSession, TopSessionPublishesItsRectangleAndNothingElse) {
    Engine e(7, 5);
    ASSERT_TRUE(e.ready());
    const JxSession& s = *e.session;
    EXPECT_EQ(std::vector<int>({s.x, s.y, s.width, s.height}), std::vector<int>({0, 0, 7, 5}));
    EXPECT_EQ(changed(&s), std::vector<int>({0, 0, 0, 0}));
    EXPECT_EQ(s.analysed, 0);
    EXPECT_EQ(s.polylines, nullptr);
    EXPECT_EQ(s.polylineCount, 0);
    EXPECT_EQ(s.variableCount, 22);
    EXPECT_EQ(JxEndSession(e.session, nullptr), JxOk);
    std::uint32_t count = 7;
    EXPECT_EQ(JxNumAvailableUndos(e.session, &count), JxBadSession);
    EXPECT_EQ(count, 7u);
    e.session = nullptr;
}

TEST(JxBeginSession, RefusesImagesItCannotRead) {
    RgbaImage rgba(4, 4);
    JxEngine* engine = JxInit();
    struct Case { const char* what; JxImage image; };
    JxImage good = rgba.image();
    JxImage narrow = good;
    narrow.stride = 4 * 4 - 1;
    JxImage wide16 = good;
    wide16.format = JxFormatRgba16;
    JxImage noData = good;
    noData.data = nullptr;
    JxImage negative = good;
    negative.height = -4;
    for (const Case& c : {Case{"stride", narrow}, Case{"format", wide16}, Case{"data", noData},
                          Case{"height", negative}}) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(JxBeginSession(engine, c.image, nullptr), nullptr);
    }
    EXPECT_NE(JxBeginSession(engine, good, nullptr), nullptr);
    EXPECT_EQ(JxFinish(engine), JxOk);
}

TEST(JxBeginSession, EdgeOptionsAndVariableDefaultsFollowTheLongerSide) {
    // Edge width = longer side / 2^8.5, within [2, 32]: 1024 gives 2.83 (effective 2), 1100
    // gives 3.04, 20000 gives 55 (32). "#resolution" = max(2, ceil(w * 2^0.5)), "#texture"
    // shows ceil(w * 2^0.5) - 1 + 1.
    struct Case { int width, height; unsigned edgeWidth; const char* resolution; const char* texture; };
    for (const Case& c : {Case{1, 1024, 2, "3", "3"}, Case{100, 2, 2, "3", "3"},
                          Case{1100, 1, 3, "5", "5"}, Case{20000, 1, 32, "46", "46"}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        Engine e(c.width, c.height);
        ASSERT_TRUE(e.ready());
        EXPECT_FLOAT_EQ(e.session->edgeTolerance, 0.49f);
        EXPECT_EQ(e.session->edgeWidth, c.edgeWidth);
        EXPECT_EQ(e.session->edgeFlags, 0x0101u);
        EXPECT_EQ(textOf(e.session, "inFocusEdgeWidth"), std::to_string(c.edgeWidth));
        EXPECT_EQ(textOf(e.session, "#resolution"), c.resolution);
        EXPECT_EQ(textOf(e.session, "#texture"), c.texture);
    }
}

TEST(JxBeginSession, PublishesTheWholeVariableTable) {
    Engine e(1024, 1);
    ASSERT_TRUE(e.ready());
    // Normalised values worked out from the ranges: ln(2^1.5) / ln 32 = 0.3 for the edge width
    // of a 1024-pixel image, (ln 1 - ln 0.9) / (ln 8 - ln 0.9) for "#texture", ln 1.05 / ln 2.
    const std::vector<Entry> expected{
        {"imageTol", "2.02792", 0.51f},
        {"inFocusEdgeWidth", "2", 0.3f},
        {"edgeContrast", "1=medium", 0.5f},
        {"textureFilter", "1=medium", 0.5f},
        {"interpolation", "0=range", 0.0f},
        {"#resolution", "3", 0.0f},
        {"#texture", "3", 0.0482240f},
        {"#colourBits", "4", 0.5f},
        {"#maxBits", "7", 7.0f / 11.0f},
        {"featureTol", "1.05", 0.0703893f},
        {"focus", "0", 0.0f},
        {"overlap", "1", 1.0f / 3.0f},
        {"t%", "0.166667", 1.0f / 3.0f},
        {"b-smooth", "5", 0.05f},
        {"b-careful", "16", 0.32f},
        {"b-greedy", "8", 0.16f},
        {"v-mdPt", "5", 0.5f},
        {"v-smplf", "0.6", 0.3f},
        {"v-smth", "0.4", 0.2f},
        {"BlendMode", "2=bp", 1.0f},
        {"fg sampling", "1=both", 1.0f},
        {"bg sampling", "1=both", 1.0f},
    };
    const std::vector<Entry> table = tableOf(e.session);
    ASSERT_EQ(table.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(table[i].name, expected[i].name);
        EXPECT_EQ(table[i].text, expected[i].text);
        EXPECT_NEAR(table[i].normalised, expected[i].normalised, 1e-5f);
    }
    // "imageTol" is 4^0.51.
    EXPECT_NEAR(std::stof(table[0].text), std::pow(4.0f, 0.51f), 1e-4f);
}

TEST(JxSetVariable, SetsByNormalisedValueAndMarksChangesUntilCommitted) {
    Engine e(1024, 1);
    ASSERT_TRUE(e.ready());
    struct Case { const char* name; float value; const char* text; };
    const Case cases[] = {
        {"imageTol", 0.0f, "1*"},
        {"imageTol", 1.0f, "4*"},
        {"imageTol", 0.51f, "2.02792"},   // back at the committed value: no mark
        {"edgeContrast", 0.74f, "1=medium"},   // floor(2 * 0.74 + 0.5) = 1, unchanged
        {"edgeContrast", 0.76f, "2=high*"},
        {"b-smooth", 0.333f, "33*"},      // floor(100 * 0.333 + 0.5)
        {"v-smth", 0.25f, "0.5*"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.value));
        EXPECT_EQ(JxSetVariable(e.session, c.name, c.value), JxOk);
        EXPECT_EQ(textOf(e.session, c.name), c.text);
    }
    // Contrast 2 lowers the effective colour bits to 3 though their own value never moved.
    EXPECT_EQ(textOf(e.session, "#colourBits"), "3*");
    EXPECT_FLOAT_EQ(variable(e.session, "#colourBits").normalised, 0.5f);
    EXPECT_EQ(e.session->edgeFlags & 0xFFu, 2u);
}

TEST(JxSetVariable, ClampsAndRefusesWithoutChangingAnything) {
    Engine e(1024, 1);
    ASSERT_TRUE(e.ready());
    EXPECT_EQ(JxSetVariable(e.session, "imageTol", 7.0f), JxOk);
    EXPECT_FLOAT_EQ(variable(e.session, "imageTol").normalised, 1.0f);
    EXPECT_EQ(textOf(e.session, "imageTol"), "4*");
    EXPECT_FLOAT_EQ(e.session->edgeTolerance, 0.0f);
    EXPECT_EQ(JxSetVariable(e.session, "imageTol", -3.0f), JxOk);
    EXPECT_EQ(textOf(e.session, "imageTol"), "1*");

    const std::vector<Entry> before = tableOf(e.session);
    EXPECT_EQ(JxSetVariable(e.session, "imageTol", std::nanf("")), JxRefused);
    EXPECT_EQ(JxSetVariable(e.session, "imageTol", INFINITY), JxRefused);
    EXPECT_EQ(JxSetVariable(e.session, "no such variable", 0.5f), JxRefused);
    EXPECT_EQ(JxSetVariable(e.session, nullptr, 0.5f), JxRefused);
    JxVariable untouched{-1.0f, nullptr, nullptr};
    EXPECT_EQ(JxGetVariable(&untouched, e.session, "no such variable"), JxRefused);
    EXPECT_EQ(untouched.normalised, -1.0f);
    EXPECT_EQ(JxGetVariable(nullptr, e.session, "imageTol"), JxRefused);
    const std::vector<Entry> after = tableOf(e.session);
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].text, before[i].text);
        EXPECT_EQ(after[i].normalised, before[i].normalised);
    }
}

TEST(JxSetEdgeDetectionOptions, WritesTheOptionsWithinTheirRanges) {
    struct Case {
        float tolerance; std::uint32_t width; std::int32_t flags;
        float edgeTolerance; std::uint32_t edgeWidth; std::uint32_t edgeFlags;
        const char* imageTol; const char* contrast; const char* texture;
    };
    const Case cases[] = {
        {0.25f, 5, 0x0200, 0.25f, 5, 0x0200, "2.82843*", "0=low*", "2=coarse*"},   // 4^0.75
        {1.5f, 0, 0x0507, 1.0f, 1, 0x0202, "1*", "2=high*", "2=coarse*"},         // clamped
        {-1.0f, 1000, 0x7F00FF01, 0.0f, 32, 0x7F000201, "4*", "1=medium", "2=coarse*"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.tolerance));
        Engine e(1024, 1);
        ASSERT_TRUE(e.ready());
        EXPECT_EQ(JxSetEdgeDetectionOptions(e.session, c.tolerance, c.width, c.flags), JxOk);
        EXPECT_FLOAT_EQ(e.session->edgeTolerance, c.edgeTolerance);
        EXPECT_EQ(e.session->edgeWidth, c.edgeWidth);
        EXPECT_EQ(e.session->edgeFlags, c.edgeFlags);
        EXPECT_EQ(textOf(e.session, "imageTol"), c.imageTol);
        EXPECT_EQ(textOf(e.session, "edgeContrast"), c.contrast);
        EXPECT_EQ(textOf(e.session, "textureFilter"), c.texture);
    }
    Engine e(8, 8);
    EXPECT_EQ(JxSetEdgeDetectionOptions(e.session, std::nanf(""), 3, 0), JxRefused);
    EXPECT_EQ(e.session->edgeWidth, 2u);
}

TEST(JxBeginSubSession, PlainAndAnalysisSubSessions) {
    Engine e(2048, 256);   // edge width 2048 / 2^8.5 = 5.66
    ASSERT_TRUE(e.ready());
    ASSERT_EQ(e.session->edgeWidth, 5u);
    const JxSelection rect{100, 50, 300, 200, 0, 0, nullptr};
    JxSession* plain = JxBeginSubSession(e.session, &rect, 0, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(std::vector<int>({plain->x, plain->y, plain->width, plain->height}),
              std::vector<int>({100, 50, 300, 200}));
    // A plain sub-session reports its whole rectangle as changed and publishes no options.
    EXPECT_EQ(changed(plain), std::vector<int>({100, 50, 300, 200}));
    EXPECT_EQ(plain->variables, nullptr);
    EXPECT_EQ(plain->variableCount, 0);
    EXPECT_EQ(plain->edgeWidth, 0u);
    EXPECT_EQ(plain->edgeFlags, 0u);
    EXPECT_EQ(plain->edgeTolerance, 0.0f);
    EXPECT_EQ(plain->analysed, 0);
    EXPECT_EQ(plain->polylineCount, 0);
    // Its variables are its own and can be read, but they are set on the top session only.
    EXPECT_EQ(textOf(plain, "edgeContrast"), "1=medium");
    EXPECT_EQ(JxSetVariable(plain, "edgeContrast", 1.0f), JxRefused);
    EXPECT_EQ(textOf(plain, "edgeContrast"), "1=medium");

    // An analysis sub-session takes the defaults of its own longer side: 1100 / 2^8.5 = 3.04.
    const JxSelection wide{0, 0, 1100, 30, 0, 0, nullptr};
    JxSession* analysis = JxBeginSubSession(e.session, &wide, 1, nullptr);
    ASSERT_NE(analysis, nullptr);
    EXPECT_EQ(analysis->variableCount, 22);
    EXPECT_EQ(analysis->edgeWidth, 3u);
    EXPECT_EQ(analysis->edgeFlags, 0x0101u);
    EXPECT_EQ(changed(analysis), std::vector<int>({0, 0, 0, 0}));
    EXPECT_EQ(JxSetEdgeDetectionOptions(analysis, 0.5f, 4, 0x0000), JxOk);
    EXPECT_EQ(analysis->edgeWidth, 4u);
    EXPECT_EQ(e.session->edgeWidth, 5u);   // the parent keeps its own
    EXPECT_EQ(JxEndSession(plain, nullptr), JxOk);
    EXPECT_EQ(JxEndSession(analysis, nullptr), JxOk);
}

TEST(JxBeginSubSession, RefusesPatchesItCannotHold) {
    Engine e(20, 10);
    ASSERT_TRUE(e.ready());
    std::vector<unsigned char> mask(100, 1);
    struct Case { const char* what; JxSelection selection; };
    const Case cases[] = {
        {"left of the image", {-1, 0, 5, 5, 0, 0, nullptr}},
        {"above the image", {0, -1, 5, 5, 0, 0, nullptr}},
        {"past the right edge", {16, 0, 5, 5, 0, 0, nullptr}},
        {"past the bottom", {0, 6, 5, 5, 0, 0, nullptr}},
        {"empty", {3, 3, 0, 5, 0, 0, nullptr}},
        {"negative height", {3, 3, 5, -2, 0, 0, nullptr}},
        {"mask stride below width", {3, 3, 5, 5, 4, 0, mask.data()}},
        {"wrapping", {2147483000, 0, 2000, 5, 0, 0, nullptr}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(JxBeginSubSession(e.session, &c.selection, 0, nullptr), nullptr);
        EXPECT_EQ(JxBeginSubSession(e.session, &c.selection, 1, nullptr), nullptr);
    }
    EXPECT_EQ(JxBeginSubSession(e.session, nullptr, 0, nullptr), nullptr);

    // A sub-session of a sub-session must lie inside its own parent.
    const JxSelection inner{5, 2, 10, 6, 0, 0, nullptr};
    JxSession* sub = JxBeginSubSession(e.session, &inner, 0, nullptr);
    ASSERT_NE(sub, nullptr);
    const JxSelection outside{4, 2, 3, 3, 0, 0, nullptr};
    EXPECT_EQ(JxBeginSubSession(sub, &outside, 0, nullptr), nullptr);
    const JxSelection edge{12, 5, 3, 3, 10, 0, mask.data()};
    EXPECT_NE(JxBeginSubSession(sub, &edge, 0, nullptr), nullptr);
    // The engine is still usable after every refusal.
    EXPECT_EQ(JxBeginUndoGroup(e.session), JxOk);
}

TEST(JxBeginSubSession, CancelledConstructionLeavesTheEngineUsable) {
    Engine e(20, 10);
    ASSERT_TRUE(e.ready());
    const JxSelection rect{2, 2, 5, 5, 0, 0, nullptr};
    EXPECT_EQ(JxBeginSubSession(e.session, &rect, 1, cancelAlways), nullptr);
    JxSession* sub = JxBeginSubSession(e.session, &rect, 1, nullptr);
    EXPECT_NE(sub, nullptr);
    EXPECT_EQ(JxEndSession(sub, nullptr), JxOk);
}

TEST(JxEndSession, SubSessionsOutliveTheirParentDetached) {
    Engine e(8, 8);
    ASSERT_TRUE(e.ready());
    const JxSelection rect{2, 2, 4, 4, 0, 0, nullptr};
    JxSession* first = JxBeginSubSession(e.session, &rect, 0, nullptr);
    JxSession* second = JxBeginSubSession(e.session, &rect, 1, nullptr);
    JxSession* grandchild = JxBeginSubSession(second, &rect, 0, nullptr);
    ASSERT_TRUE(first && second && grandchild);

    // Ending a sub-session takes it out of its parent's list; the parent never touches it again.
    EXPECT_EQ(JxEndSession(first, nullptr), JxOk);
    EXPECT_EQ(JxEndSession(e.session, nullptr), JxOk);
    e.session = nullptr;

    // The orphan answers without reaching its ended parent.
    EXPECT_EQ(JxPullParentStatus(second, e.status), JxRefused);
    EXPECT_EQ(JxPushStatusToParent(second, e.status), JxRefused);
    EXPECT_EQ(e.setStatus(second, Bytes(2, 2, 1, 1, {4})), JxOk);
    EXPECT_EQ(e.at(2, 2), 4);
    EXPECT_EQ(JxUndo(second, nullptr), JxOk);
    EXPECT_EQ(e.at(2, 2), 1);
    // Its own sub-session still has it as parent.
    EXPECT_EQ(JxPushStatusToParent(grandchild, e.status), JxOk);
    EXPECT_EQ(JxEndSession(first, nullptr), JxBadSession);
    // JxFinish (in the fixture) deletes the grandchild before the second sub-session.
}

TEST(JxFinish, DeletesSubSessionsBeforeTheirParents) {
    for (bool endParentFirst : {false, true}) {
        SCOPED_TRACE(endParentFirst);
        RgbaImage rgba(16, 16);
        JxEngine* engine = JxInit();
        JxSession* top = JxBeginSession(engine, rgba.image(), nullptr);
        JxImage* status = JxNewImage(engine, rgba.image());
        const JxSelection rect{4, 4, 8, 8, 0, 0, nullptr};
        JxSession* sub = JxBeginSubSession(top, &rect, 0, nullptr);
        ASSERT_TRUE(top && status && sub);
        std::uint8_t statuses[4] = {2, 2, 2, 2};
        const JxSelection set{4, 4, 2, 2, 2, 0, statuses};
        EXPECT_EQ(JxSetStatus(sub, status, &set, nullptr), JxOk);   // steps that view the image
        if (endParentFirst) {
            EXPECT_EQ(JxEndSession(top, nullptr), JxOk);
        }
        EXPECT_EQ(JxFinish(engine), JxOk);
        EXPECT_EQ(JxEndSession(sub, nullptr), JxBadEngine);
    }
}
