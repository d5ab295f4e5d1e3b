#include "AnalysisFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace analysistest;
using sessiontest::Bytes;
using sessiontest::Engine;

namespace {

using Statuses = std::vector<unsigned char>;

/// Statuses from rows of characters: '.' 1 (unmarked), 'k' 2 (keep), 'd' 4 (delete),
/// 'b' 8 (blend), 'F' 0x11 (unmarked forced edge), 'K' 0x12 (keep, forced edge),
/// 'p' 0x41 (unmarked, preview flag).
Statuses statusesFrom(const std::vector<std::string>& rows) {
    Statuses values;
    for (const std::string& row : rows)
        for (const char c : row)
            values.push_back(c == 'k' ? 0x02 : c == 'd' ? 0x04 : c == 'b' ? 0x08 : c == 'F' ? 0x11
                             : c == 'K' ? 0x12 : c == 'p' ? 0x41 : 0x01);
    return values;
}

/// An engine whose statuses are `rows`, analysed (a flat image) when asked, with no undo steps.
void start(Engine& e, const std::vector<std::string>& rows, bool analyse) {
    ASSERT_TRUE(e.ready());
    if (analyse) {
        ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    }
    ASSERT_EQ(e.setStatus(Bytes(0, 0, e.status->width, e.status->height, statusesFrom(rows))), JxOk);
    ASSERT_EQ(JxClearUndoRedo(e.session), JxOk);
}

int selectBox(Engine& e, const Bytes& box, unsigned char newStatus, unsigned char fromStatus) {
    const JxSelection selection = box.selection();
    return JxSelect(e.session, e.status, &selection, newStatus, fromStatus, 0, 0.0f, nullptr);
}

/// A 5 x 5 keep selection at (2, 2) with the mask holes given as '.'.
Bytes maskedBox(const std::vector<std::string>& rows) {
    std::vector<unsigned char> mask;
    for (const std::string& row : rows)
        for (const char c : row)
            mask.push_back(c == '.' ? 0 : 1);
    return Bytes(2, 2, static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), mask);
}

// ------------------------------------------------------------------------------------------
// Despeckle selection

struct HoleCase {
    const char* what;
    std::vector<std::string> mask;
    int strength;
    bool filled;
};

TEST(JxDespeckleSelection, FillsEnclosedHolesUpToTheStrength) {
    const std::vector<std::string> blank(11, std::string(11, '.'));
    const HoleCase cases[] = {
        {"one-pixel hole", {"#####", "#####", "##.##", "#####", "#####"}, 1, true},
        {"gap open to the outside", {"#####", "#####", "##...", "#####", "#####"}, 3, false},
        {"3 x 3 hole at strength 1", {"#######", "#######", "##...##", "##...##", "##...##", "#######", "#######"}, 1, false},
        {"3 x 3 hole at strength 3", {"#######", "#######", "##...##", "##...##", "##...##", "#######", "#######"}, 3, true},
        {"strength 0", {"#####", "#####", "##.##", "#####", "#####"}, 0, false},
    };
    for (const HoleCase& c : cases) {
        SCOPED_TRACE(c.what);
        Engine e(11, 11);
        start(e, blank, true);
        const Bytes box = maskedBox(c.mask);
        ASSERT_EQ(selectBox(e, box, 2, 15), JxOk);
        const Statuses selected = e.all();
        const unsigned undos = e.undos();
        ASSERT_EQ(JxDespeckleSelection(e.session, e.status, static_cast<std::uint8_t>(c.strength), nullptr), JxOk);
        for (int y = 0; y < box.height; ++y)
            for (int x = 0; x < box.width; ++x) {
                const bool hole = box.data[static_cast<std::size_t>(y) * box.width + x] == 0;
                const bool enclosed = hole && c.filled;
                ASSERT_EQ(e.at(box.x + x, box.y + y), hole && !enclosed ? 1 : 2) << x << "," << y;
            }
        if (c.strength == 0) {
            EXPECT_EQ(e.all(), selected);
            EXPECT_EQ(e.undos(), undos);
        }
        if (c.filled) {
            ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);   // the Select's group holds both steps
            EXPECT_EQ(e.all(), statusesFrom(blank));
            ASSERT_EQ(JxRedo(e.session, nullptr), JxOk);
            EXPECT_EQ(e.at(box.x + 2, box.y + 2), 2);
        }
    }
}

TEST(JxDespeckleSelection, HolesOfAnotherStatusStayAndFlagsSurviveUndo) {
    {
        // The hole is delete, not the new status or unmarked: never filled.
        Engine e(9, 9);
        start(e, {".........", ".........", ".........", ".........", "....d....",
                  ".........", ".........", ".........", "........."}, true);
        ASSERT_EQ(selectBox(e, Bytes(2, 2, 5, 5, {}), 2, 1), JxOk);
        ASSERT_EQ(JxDespeckleSelection(e.session, e.status, 2, nullptr), JxOk);
        EXPECT_EQ(e.at(4, 4), 4);
        EXPECT_EQ(e.at(3, 4), 2);
    }
    {
        // An erasing Select skips an unmarked forced-edge pixel; Despeckle takes it into the
        // selection; undoing both gives the forced edge back.
        Engine e(9, 9);
        const std::vector<std::string> rows{".........", ".kkkkkkk.", ".kkkkkkk.", ".kkkkkkk.", ".kkkFkkk.",
                                            ".kkkkkkk.", ".kkkkkkk.", ".kkkkkkk.", "........."};
        start(e, rows, true);
        ASSERT_EQ(JxBeginUndoGroup(e.session), JxOk);
        ASSERT_EQ(selectBox(e, Bytes(1, 1, 7, 7, {}), 1, 14), JxOk);
        EXPECT_EQ(e.at(4, 4), 0x11);
        ASSERT_EQ(JxDespeckleSelection(e.session, e.status, 1, nullptr), JxOk);
        EXPECT_EQ(e.at(4, 4), 0x11);
        EXPECT_EQ(e.at(3, 3), 0x01);
        ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
        EXPECT_EQ(e.all(), statusesFrom(rows));
    }
}

TEST(JxDespeckleSelection, WithoutASelectionOrASegmentation) {
    Engine e(8, 8);
    start(e, std::vector<std::string>(8, std::string(8, '.')), false);
    EXPECT_EQ(JxDespeckleSelection(e.session, e.status, 2, nullptr), JxNotAnalysed);
    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    // Nothing selected since the session began: only the end of the range is reported.
    sessiontest::RgbaImage image(8, 8);
    enginetest::ProgressLog::reset();
    ASSERT_EQ(JxDespeckleSelection(e.session, e.status, 2, &enginetest::ProgressLog::record), JxOk);
    EXPECT_EQ(enginetest::ProgressLog::percents, std::vector<int>({100}));
    EXPECT_EQ(e.undos(), 0u);
}

// ------------------------------------------------------------------------------------------
// Auto fill

struct FillCase {
    const char* what;
    std::vector<std::string> before;
    std::uint8_t fill;
    std::vector<std::string> after;
};

TEST(JxAutoFill, CompletesAOneSidedMarking) {
    const FillCase cases[] = {
        {"keep marks", {"..kk", ".kk.", "...."}, 2, {"ddkk", "dkkd", "dddd"}},
        {"delete marks", {"..dd", ".dd.", "...."}, 4, {"kkdd", "kddk", "kkkk"}},
        {"the first marked status", {"..b.", ".dk.", ".kk."}, 0, {"kkbk", "kdkk", "kkkk"}},
        {"flagged pixels are not open", {"F.kK", "p...", "...."}, 2, {"FdkK", "dddd", "dddd"}},
    };
    for (const FillCase& c : cases) {
        SCOPED_TRACE(c.what);
        Engine e(4, 3);
        start(e, c.before, false);
        ASSERT_EQ(JxAutoFill(e.session, e.status, nullptr, c.fill, 1.0f, nullptr), JxOk);
        Statuses expected = statusesFrom(c.after);
        // The preview flag stays with the pixel.
        for (std::size_t k = 0; k < expected.size(); ++k)
            if (statusesFrom(c.before)[k] == 0x41)
                expected[k] = static_cast<unsigned char>(0x40 | expected[k]);
        EXPECT_EQ(e.all(), expected);
        ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
        EXPECT_EQ(e.all(), statusesFrom(c.before));
        ASSERT_EQ(JxRedo(e.session, nullptr), JxOk);
        EXPECT_EQ(e.all(), expected);
    }
}

TEST(JxAutoFill, RefusesWhatItCannotFill) {
    Engine e(4, 3);
    start(e, {"..b.", "....", "...."}, false);
    const Statuses before = e.all();
    EXPECT_EQ(JxAutoFill(e.session, e.status, nullptr, 0, 0.0f, nullptr), JxRefused);   // no keep or delete
    EXPECT_EQ(JxAutoFill(e.session, e.status, nullptr, 1, 0.0f, nullptr), JxRefused);
    EXPECT_EQ(JxAutoFill(e.session, e.status, nullptr, 8, 0.0f, nullptr), JxRefused);
    const JxRect outside{10, 10, 3, 3};
    EXPECT_EQ(JxAutoFill(e.session, e.status, &outside, 2, 0.0f, nullptr), JxRefused);
    EXPECT_EQ(e.all(), before);
    EXPECT_EQ(e.undos(), 0u);

    const JxSelection patch{0, 0, 2, 2, 2, 0, nullptr};
    JxSession* sub = JxBeginSubSession(e.session, &patch, 0, nullptr);
    ASSERT_NE(sub, nullptr);
    const JxRect inside{0, 0, 1, 1};
    EXPECT_EQ(JxAutoFill(sub, e.status, &inside, 2, 0.0f, nullptr), JxRefused);
}

TEST(JxAutoFill, ARectangleReachingPastTheImageIsClippedToIt) {
    Engine e(5, 4);
    start(e, {".k...", ".....", ".....", "....."}, false);
    const JxRect rectangle{1, 0, 10, 2};
    ASSERT_EQ(JxAutoFill(e.session, e.status, &rectangle, 2, 0.0f, nullptr), JxOk);
    EXPECT_EQ(e.all(), statusesFrom({".kddd", ".dddd", ".....", "....."}));
    EXPECT_EQ(sessiontest::changed(e.session), std::vector<int>({1, 0, 4, 2}));
}

TEST(JxAutoFill, LaysABlendBandAlongTheMarksUnlessAFlagIsNear) {
    auto run = [](bool flagged) {
        Engine e(30, 12);
        std::vector<std::string> rows(12, std::string(30, '.'));
        for (auto& row : rows)
            for (int x = 0; x < 12; ++x)
                row[static_cast<std::size_t>(x)] = 'k';
        if (flagged)
            rows[6][11] = 'K';
        start(e, rows, true);
        // Edge widths of 4 pixels everywhere.
        classificationOf(e.session).edgeWidthPlane = 4;
        EXPECT_EQ(JxAutoFill(e.session, e.status, nullptr, 2, 1.0f, nullptr), JxOk);
        return Statuses(e.all());
    };
    const Statuses plain = run(false);
    // Radius 4 / 2 x 1 + 0.49: discs at the boundary pixels of columns 11 and 12 reach two
    // pixels further, a pixel two rows away only when it is at most one column away.
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 30; ++x) {
            const unsigned char expected = x <= 8 ? 2 : x <= 14 ? 8 : 4;
            ASSERT_EQ(plain[static_cast<std::size_t>(y) * 30 + x], expected) << x << "," << y;
        }
    // Every disc whose box holds the flagged keep pixel at (row 6, column 11) is skipped: on
    // its row nothing is blended, two rows further the band is whole again.
    const Statuses flagged = run(true);
    const Statuses row6(flagged.begin() + 6 * 30, flagged.begin() + 7 * 30);
    Statuses expected6(30, 4);
    std::fill(expected6.begin(), expected6.begin() + 11, 2);
    expected6[11] = 0x12;
    EXPECT_EQ(row6, expected6);
    for (int x = 9; x <= 14; ++x)
        EXPECT_EQ(flagged[0 * 30 + x], 8) << x;
}

// ------------------------------------------------------------------------------------------
// Auto complex

/// A session over 14 x 14 pixels whose segmentation is drawn by hand: a square ring of region
/// 1 (rows and columns 4 to 10) around a 3 x 3 hole of region 2, region 0 elsewhere; every
/// level 10 and every edge width 0, so the flood spreads by distance and blend discs are
/// single pixels.
void handDrawnSegmentation(Engine& e) {
    auto& c = classificationOf(e.session);
    classification::LabelImage regions(14, 14);
    regions = 0;
    regions(blitz::Range(4, 10), blitz::Range(4, 10)) = 1;
    regions(blitz::Range(6, 8), blitz::Range(6, 8)) = 2;
    c.regionLabels.reference(regions);
    classification::EdgeMap levels(14, 14);
    levels = classification::EdgeMapPixel(0, 10, 0);
    c.edgeMap.reference(levels);
    c.edgeWidthPlane.reference(levels[2]);
    c.gradientScale = 1.0f;
}

/// Delete marks along the left border, the hand-drawn segmentation, an undo group, and a
/// keep Select of the ring's region (mode 3, seeded at column 4, row 5).
std::vector<std::string> selectTheRing(Engine& e) {
    std::vector<std::string> rows(14, std::string(14, '.'));
    for (auto& row : rows)
        row[0] = 'd';
    start(e, rows, true);
    handDrawnSegmentation(e);
    EXPECT_EQ(JxBeginUndoGroup(e.session), JxOk);
    const Bytes seed(4, 5, 1, 1, {});
    const JxSelection s = seed.selection();
    EXPECT_EQ(JxSelect(e.session, e.status, &s, 2, 15, 3, 0.0f, nullptr), JxOk);
    return rows;
}

TEST(JxAutoComplex, FillsTheEnclosedHoleOfAFloodingSelectAndNothingElse) {
    Engine e(14, 14);
    const std::vector<std::string> rows = selectTheRing(e);
    const Statuses selected = e.all();
    ASSERT_EQ(e.at(7, 7), 1);   // the hole is another region
    ASSERT_EQ(e.at(4, 4), 2);

    ASSERT_EQ(JxAutoComplex(e.session, e.status, 0.0f, nullptr), JxOk);
    Statuses expected = selected;
    for (int y = 6; y <= 8; ++y)
        for (int x = 6; x <= 8; ++x)
            expected[static_cast<std::size_t>(y) * 14 + x] = 2;
    EXPECT_EQ(e.all(), expected);

    ASSERT_EQ(JxUndo(e.session, nullptr), JxOk);
    EXPECT_EQ(e.all(), statusesFrom(rows));
    ASSERT_EQ(JxRedo(e.session, nullptr), JxOk);
    EXPECT_EQ(e.all(), expected);
}

TEST(JxAutoComplex, WorksInASubSessionThroughTheParentsSharedAnalysis) {
    Engine e(14, 14);
    start(e, std::vector<std::string>(14, std::string(14, '.')), false);
    const JxSelection patch{2, 2, 11, 11, 11, 0, nullptr};
    JxSession* early = JxBeginSubSession(e.session, &patch, 0, nullptr);
    ASSERT_NE(early, nullptr);
    EXPECT_EQ(JxAutoComplex(early, e.status, 0.0f, nullptr), JxNotAnalysed);

    ASSERT_EQ(JxAnalyseImage(e.session, nullptr), JxOk);
    handDrawnSegmentation(e);
    JxSession* sub = JxBeginSubSession(e.session, &patch, 0, nullptr);
    ASSERT_NE(sub, nullptr);
    const Bytes seed(4, 5, 1, 1, {});
    const JxSelection s = seed.selection();
    ASSERT_EQ(JxSelect(sub, e.status, &s, 2, 15, 3, 0.0f, nullptr), JxOk);
    ASSERT_EQ(e.at(7, 7), 1);
    ASSERT_EQ(JxAutoComplex(sub, e.status, 0.0f, nullptr), JxOk);
    EXPECT_EQ(e.at(7, 7), 2);   // the hole, through the parent's levels and regions
    EXPECT_EQ(e.at(3, 3), 1);
}

TEST(JxAutoComplex, BlendsWhereTheSelectionMeetsTheOppositeStatus) {
    Engine e(14, 14);
    selectTheRing(e);
    ASSERT_EQ(JxAutoComplex(e.session, e.status, 1.0f, nullptr), JxOk);
    // The two floods meet between column 0 and the ring (above and below it a little further
    // right): blend there, on either side of the meeting line, the delete marks included; and
    // nowhere in the ring, the hole (now selected) or the right part, which only the
    // selection reaches.
    int blends = 0;
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 14; ++x) {
            const unsigned char status = e.at(x, y);
            if (status == 8) {
                ++blends;
                EXPECT_TRUE(x <= 3 || (x <= 6 && (y < 4 || y > 10))) << x << "," << y;
            }
            if (x >= 4 && x <= 10 && y >= 4 && y <= 10) {
                EXPECT_EQ(status, 2) << x << "," << y;
            }
            if (x > 10) {
                EXPECT_EQ(status, 1) << x << "," << y;
            }
        }
    EXPECT_GT(blends, 0);
}

TEST(JxAutoComplex, DoesNothingWithoutKeepOrDeleteOrWithoutBlendAfterABoxSelect) {
    Engine e(14, 14);
    start(e, std::vector<std::string>(14, std::string(14, '.')), true);
    handDrawnSegmentation(e);
    ASSERT_EQ(selectBox(e, Bytes(4, 4, 3, 3, {}), 8, 15), JxOk);
    const Statuses blended = e.all();
    const unsigned undos = e.undos();
    ASSERT_EQ(JxAutoComplex(e.session, e.status, 1.0f, nullptr), JxOk);
    EXPECT_EQ(e.all(), blended);
    EXPECT_EQ(e.undos(), undos);
    ASSERT_EQ(selectBox(e, Bytes(8, 8, 3, 3, {}), 2, 15), JxOk);
    const Statuses kept = e.all();
    ASSERT_EQ(JxAutoComplex(e.session, e.status, 0.0f, nullptr), JxOk);
    EXPECT_EQ(e.all(), kept);
}

TEST(JxAutoComplex, NeedsAnAnalysisAndRollsBackWhenCancelled) {
    RacingClock clock;
    std::vector<std::string> rows(14, std::string(14, '.'));
    for (auto& row : rows)
        row[0] = 'd';
    {
        Engine e(14, 14);
        start(e, rows, false);
        EXPECT_EQ(JxAutoComplex(e.session, e.status, 1.0f, nullptr), JxNotAnalysed);
    }
    int cancelled = 0;
    for (int at = 1; at < 20; ++at) {
        SCOPED_TRACE(at);
        Engine e(14, 14);
        selectTheRing(e);
        const Statuses selected = e.all();
        CancelAt::reset(at);
        const int code = JxAutoComplex(e.session, e.status, 1.0f, &CancelAt::callback);
        if (code == JxOk) {
            EXPECT_NE(e.all(), selected);
            break;
        }
        ASSERT_EQ(code, JxCancelled);
        ++cancelled;
        // Only the Auto complex is taken back; the Select of the same group stays.
        EXPECT_EQ(e.all(), selected);
        EXPECT_EQ(e.redos(), 0u);
        EXPECT_EQ(e.undos(), 1u);
    }
    EXPECT_GE(cancelled, 3);
}

}  // namespace
