// The generate-mask core on small cut-outs built in code: what it produces for keep, delete and
// undecided cells in every format and scale, the order and reach of its passes, solo layers,
// and that the statuses come out as they went in, also when the generation is cancelled.

#include "classification/IiClassification.h"
#include "classification/GenerateMaskSteps.h"
#include "classification/MaskPassLaunchers.h"
#include "classification/JxExCancel.h"
#include "classification/MaskPixelFormat.h"
#include "classification/MaskStatus.h"

#include "MaskTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

using namespace classification;
using Corvel::utility::Colour;

namespace {

constexpr unsigned char keep = 2, deleted = 4, blend = 8;

// A cut-out of rows x columns working cells whose columns 0..2 are keep, 3..4 undecided
// (blend, which no auto fill touches) and 5..7 delete, with a source `scale` times larger.
// The output starts as a sentinel colour that no pass writes.
template <class Format>
struct Cut {
    using Pixel = typename Format::Pixel;
    using Channel = typename Format::Channel;
    static constexpr int max = Format::maximum;
    static inline const Pixel sentinel{7, 7, 7, 7};

    int rows, columns, scale;
    ColourImage working;
    ByteImage status;
    blitz::Array<Pixel, 2> source, output;
    std::unique_ptr<IiClassification> classification;

    Cut(int r, int c, int s)
        : rows(r), columns(c), scale(s),
          working(masktest::filled(r, c, Colour<unsigned char>(0, 0, 0, 255))),
          status(masktest::filled<unsigned char>(r, c, blend)),
          source(masktest::filled(r * s, c * s, Pixel(0, 0, 0, 0))),
          output(masktest::filled(r * s, c * s, sentinel)) {
        status(blitz::Range::all(), blitz::Range(0, 2)) = keep;
        status(blitz::Range::all(), blitz::Range(5, c - 1)) = deleted;
        for (int i = 0; i < r * s; ++i)
            for (int j = 0; j < c * s; ++j)
                source(i, j) = sourceAt(i, j);
        for (int i = 0; i < r; ++i)
            for (int j = 0; j < c; ++j)
                for (int k = 0; k < 4; ++k)
                    working(i, j)[k] = static_cast<unsigned char>(
                        static_cast<long>(sourceAt(i * s, j * s)[k]) * 255 / max);
        classification = std::make_unique<IiClassification>(nullptr, true, working);
    }

    // Colours that differ from pixel to pixel, so a misplaced copy shows.
    Pixel sourceAt(int i, int j) const {
        const long unit = max / 255;
        return Pixel(static_cast<Channel>((40 + 3 * i) * unit), static_cast<Channel>((60 + 5 * j) * unit),
                     static_cast<Channel>(200 * unit), static_cast<Channel>(max));
    }

    int generate(const IntBox* box = nullptr, std::vector<GenerateMaskLayer> layers = {},
                 ProgressRange progress = ProgressRange(), std::vector<ForcedEdgeStroke> edges = {}) {
        const FloatPoint s(static_cast<float>(scale), static_cast<float>(scale));
        IiClassification& c = *classification;
        if constexpr (Format::maximum == 255)
            return c.generateMask8(output, source, status, box, s, std::move(edges), 1.0f, 0.5f, &layers, progress);
        else if constexpr (Format::maximum == 65535)
            return c.generateMask16(output, source, status, box, s, std::move(edges), 1.0f, 0.5f, &layers, progress);
        else
            return c.generateMask15(output, source, status, box, s, std::move(edges), 1.0f, 0.5f, &layers, progress);
    }

    // The working column of output pixel column y, by its centre.
    float workingCentre(int y) const { return (static_cast<float>(y) + 0.5f) / static_cast<float>(scale); }
};

// Checks every output pixel of rows [firstRow, lastRow] (output rows): sure keep copies the
// source at full alpha, sure delete is transparent black, the band in between has some alpha.
template <class Format>
void expectCutOut(const Cut<Format>& cut, int firstRow, int lastRow) {
    using Pixel = typename Format::Pixel;
    for (int x = firstRow; x <= lastRow; ++x) {
        for (int y = 0; y < cut.columns * cut.scale; ++y) {
            SCOPED_TRACE(::testing::Message() << "pixel " << x << "," << y);
            const Pixel s = cut.sourceAt(x, y);
            const Pixel o = cut.output(x, y);
            const float centre = cut.workingCentre(y);
            if (centre < 2.5f)
                EXPECT_EQ(o, Pixel(s[0], s[1], s[2], static_cast<typename Format::Channel>(Format::maximum)));
            else if (centre > 5.5f)
                EXPECT_EQ(o, Pixel(0, 0, 0, 0));
            else
                EXPECT_NE(o, Cut<Format>::sentinel);
        }
    }
}

// Reports through a range; throws the engine's cancel exception at report number `cancelAt`.
struct CancellingUI : Corvel::utility::IiUI {
    int reports = 0;
    int cancelAt;
    explicit CancellingUI(int n) : cancelAt(n) {}
    void progress(float, const std::string&) override {
        if (++reports == cancelAt)
            throw JxExCancel();
    }
};

bool noWorkBits(const ByteImage& status) {
    for (auto it = status.begin(); it != status.end(); ++it)
        if (*it & (statusDone | statusPending))
            return false;
    return true;
}

struct FormatScale {
    int format;
    int scale;
};

class CoreFormats : public ::testing::TestWithParam<FormatScale> {};

template <class Format>
void checkWholeImage(int scale) {
    Cut<Format> cut(6, 8, scale);
    const ByteImage before(cut.status.copy());
    EXPECT_EQ(cut.generate(), 0);
    expectCutOut(cut, 0, cut.rows * scale - 1);
    EXPECT_TRUE(masktest::allEqual<unsigned char>(ByteImage(cut.status - before), 0));
}

template <class Format>
void checkSubBox(int scale) {
    Cut<Format> cut(6, 8, scale);
    const ByteImage before(cut.status.copy());
    const IntBox rows(2, 0, 3, 7);
    cut.generate(&rows);
    expectCutOut(cut, 2 * scale, 4 * scale - 1);
    for (int x : {2 * scale - 1, 4 * scale})
        for (int y = 0; y < 8 * scale; ++y)
            EXPECT_EQ(cut.output(x, y), Cut<Format>::sentinel) << x << "," << y;
    EXPECT_TRUE(masktest::allEqual<unsigned char>(ByteImage(cut.status - before), 0));
}

template <typename Check>
void forFormat(int format, Check&& check) {
    if (format == 1)
        check(MaskFormat8());
    else if (format == 2)
        check(MaskFormat16());
    else
        check(MaskFormat15());
}

}  // namespace

TEST_P(CoreFormats, WholeImageKeepsCopiesDeletesClearsAndBlendsBetween) {
    forFormat(GetParam().format, [&](auto format) { checkWholeImage<decltype(format)>(GetParam().scale); });
}

TEST_P(CoreFormats, SubBoxProducesOnlyItsRowsAndLeavesStatusesAsTheyWere) {
    forFormat(GetParam().format, [&](auto format) { checkSubBox<decltype(format)>(GetParam().scale); });
}

INSTANTIATE_TEST_SUITE_P(GenerateMask, CoreFormats,
                         ::testing::Values(FormatScale{1, 1}, FormatScale{1, 2}, FormatScale{1, 4},
                                           FormatScale{1, 8}, FormatScale{2, 1}, FormatScale{2, 2},
                                           FormatScale{3, 1}, FormatScale{3, 4}));

TEST(GenerateMask, RequestedBoxOutsideTheImageReturnsOneAndWritesNothing) {
    Cut<MaskFormat8> cut(6, 8, 1);
    const ByteImage before(cut.status.copy());
    const IntBox outside(10, 0, 12, 7);
    EXPECT_EQ(cut.generate(&outside), 1);
    EXPECT_TRUE(masktest::allEqual(cut.output, Cut<MaskFormat8>::sentinel));
    EXPECT_TRUE(masktest::allEqual<unsigned char>(ByteImage(cut.status - before), 0));
}

TEST(GenerateMask, WithoutDeleteMarksEverythingIsKeptAndWithoutKeepMarksDeleted) {
    {
        Cut<MaskFormat8> cut(4, 8, 2);
        cut.status = keep;
        cut.status(blitz::Range::all(), blitz::Range(6, 7)) = blend;
        EXPECT_EQ(cut.generate(), 0);
        for (int x = 0; x < 8; ++x)
            for (int y = 0; y < 16; ++y) {
                const auto s = cut.sourceAt(x, y);
                EXPECT_EQ(cut.output(x, y), Colour<unsigned char>(s[0], s[1], s[2], 255));
            }
    }
    {
        Cut<MaskFormat16> cut(4, 8, 1);
        cut.status = deleted;
        cut.output = Colour<unsigned short>(1, 2, 3, 4);
        EXPECT_EQ(cut.generate(), 0);
        EXPECT_TRUE(masktest::allEqual(cut.output, Colour<unsigned short>(1, 2, 3, 0)))
            << "only the alpha goes";
    }
}

// A picture's transparency survives whatever the statuses say: with no delete mark (all kept)
// and with keep and delete marks (the passes), no pixel comes out more opaque than its source,
// a kept one takes the source's alpha, and generating again fades nothing further.
template <class Format>
void checkSourceTransparencyIsKept(bool marksToSeparate) {
    using Channel = typename Format::Channel;
    constexpr Channel half = static_cast<Channel>(Format::maximum / 2);
    Cut<Format> cut(4, 8, 2);
    if (!marksToSeparate)
        cut.status = keep;
    cut.source(1, 1)[3] = 0;   // both in kept columns
    cut.source(2, 3)[3] = half;
    cut.output = cut.source;   // the program's output starts as a copy of its picture
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(cut.generate(), 0);
        EXPECT_EQ(cut.output(1, 1)[3], 0);
        EXPECT_EQ(cut.output(2, 3)[3], half) << "round " << round;
        EXPECT_EQ(cut.output(0, 0)[3], Format::maximum) << "opaque pixels are untouched";
    }
}

TEST(GenerateMask, TheSourcesTransparencyStaysInTheCutoutInEveryFormat) {
    for (const bool marks : {false, true}) {
        SCOPED_TRACE(marks ? "keep and delete marks" : "everything kept");
        checkSourceTransparencyIsKept<MaskFormat8>(marks);
        checkSourceTransparencyIsKept<MaskFormat16>(marks);
        checkSourceTransparencyIsKept<MaskFormat15>(marks);
    }
}

// A solo layer restricts the generation to its masked cells: everything else keeps what the
// output held, even cells of the layer's box outside its mask.
TEST(GenerateMask, SoloLayerProducesOnlyItsMaskedCells) {
    Cut<MaskFormat8> cut(6, 8, 1);
    const ByteImage before(cut.status.copy());
    GenerateMaskLayer solo;
    solo.box = IntBox(1, 0, 4, 7);
    solo.mask.resize(4, 8);
    solo.mask.reindexSelf(IntPoint(1, 0));
    solo.mask = 1;
    solo.mask(2, blitz::Range::all()) = 0;   // row 2 of the box is outside the layer
    solo.solo = true;
    EXPECT_EQ(cut.generate(nullptr, {GenerateMaskLayer(), solo}), 0);
    for (int x = 0; x < 6; ++x) {
        const bool produced = x >= 1 && x <= 4 && x != 2;
        for (int y = 0; y < 8; ++y) {
            SCOPED_TRACE(::testing::Message() << x << "," << y);
            if (!produced) {
                EXPECT_EQ(cut.output(x, y), Cut<MaskFormat8>::sentinel);
            } else if (y <= 1) {
                EXPECT_EQ(cut.output(x, y)[3], 255);
            } else if (y >= 6) {
                EXPECT_EQ(cut.output(x, y), Colour<unsigned char>(0, 0, 0, 0));
            }
        }
    }
    EXPECT_TRUE(masktest::allEqual<unsigned char>(ByteImage(cut.status - before), 0));
}

// The solo layer replaces the layer list whatever stands before it: it keeps its own mask (or
// its lack of one), and the masks of the layers it replaces, which view the caller's region
// images, are left as they were.
TEST(GenerateMask, SoloLayerReplacesTheListWithItsOwnMask) {
    auto maskOf = [](int rows, int columns, unsigned char value) {
        blitz::Array<unsigned char, 2> m(rows, columns);
        m = value;
        return m;
    };
    struct Case { const char* name; int firstRows; int soloRows; };
    const Case cases[] = {{"solo with a mask after one without", 0, 3},
                          {"solo without a mask after one with", 2, 0},
                          {"both with masks of one shape", 3, 3},
                          {"both with masks of other shapes", 2, 3}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        GenerateMaskLayer first, solo;
        first.box = solo.box = IntBox(0, 0, 2, 3);
        if (k.firstRows)
            first.mask.reference(maskOf(k.firstRows, 4, 7));
        if (k.soloRows)
            solo.mask.reference(maskOf(k.soloRows, 4, 1));
        solo.solo = true;
        solo.colourMapLayer = true;
        const blitz::Array<unsigned char, 2> firstMask = first.mask;   // shares the bytes
        std::vector<GenerateMaskLayer> layers{first, solo};
        ByteImage status = masktest::filled<unsigned char>(3, 4, keep);
        IntBox box(0, 0, 2, 3);
        EXPECT_EQ(planMaskPasses(layers, box, status), std::set<int>{colourMapPassKind});
        ASSERT_EQ(layers.size(), 1u);
        EXPECT_TRUE(layers[0].solo);
        EXPECT_EQ(layers[0].mask.numElements(), k.soloRows * 4);
        if (k.soloRows) {
            EXPECT_TRUE(masktest::allEqual<unsigned char>(layers[0].mask, 1));
        }
        if (k.firstRows) {
            EXPECT_TRUE(masktest::allEqual<unsigned char>(firstMask, 7))
                << "a caller's region image was written";
        }
    }
}

// A region that sticks out of the image is clipped to it; one wholly outside leaves nothing
// to generate.
TEST(GenerateMask, SoloLayerOutsideTheImageIsClippedOrRefused) {
    for (const bool whollyOutside : {false, true}) {
        SCOPED_TRACE(whollyOutside);
        Cut<MaskFormat8> cut(6, 8, 1);
        const ByteImage before(cut.status.copy());
        GenerateMaskLayer solo;
        solo.box = whollyOutside ? IntBox(20, 20, 40, 40) : IntBox(-30, -30, 2, 40);
        solo.solo = true;
        solo.colourMapLayer = true;
        solo.smoothingAmount = 0.5f;
        const int result = cut.generate(nullptr, {solo});
        EXPECT_EQ(result, whollyOutside ? 1 : 0);
        for (int x = 0; x < 6; ++x)
            for (int y = 0; y < 8; ++y)
                EXPECT_EQ(cut.output(x, y) == Cut<MaskFormat8>::sentinel, whollyOutside || x > 2)
                    << x << "," << y;
        EXPECT_TRUE(masktest::allEqual<unsigned char>(ByteImage(cut.status - before), 0));
    }
}

// Layers whose boxes stick out of the image are clipped to it: their passes read and write
// only inside the image (the sanitizers would see any access outside), and the cut-out is
// complete.
TEST(GenerateMask, LayerBoxesOutsideTheImageAreClipped) {
    Cut<MaskFormat8> cut(16, 8, 2);
    GenerateMaskLayer colourMap, matting, plain;
    colourMap.box = IntBox(-5, -5, 7, 20);
    colourMap.colourMapLayer = true;
    colourMap.smoothingAmount = 1.0f;
    matting.box = IntBox(8, -3, 30, 30);
    matting.mattingLayer = true;
    plain.box = IntBox(-100, -100, 100, 100);
    plain.blendValue = 0.7f;
    EXPECT_EQ(cut.generate(nullptr, {plain, colourMap, matting}), 0);
    expectCutOut(cut, 0, 31);
}

// The passes run by kind: colour-map layers in map(0.2)..map(0.75) of the core's range, then
// the global pass in map(0.75)..map(0.9). A solo colour-map layer runs no global pass.
TEST(GenerateMask, ColourMapLayersRunBeforeTheGlobalPass) {
    for (const bool solo : {false, true}) {
        SCOPED_TRACE(solo);
        Cut<MaskFormat8> cut(16, 8, 1);
        GenerateMaskLayer layer;
        layer.box = IntBox(0, 0, 15, 7);
        layer.colourMapLayer = true;
        layer.solo = solo;
        masktest::ProgressRecorder recorder;
        cut.generate(nullptr, {layer}, ProgressRange(&recorder, 0.0f, 1.0f));
        ASSERT_FALSE(recorder.fractions.empty());
        bool globalSeen = false;
        for (const float f : recorder.fractions) {
            if (f > 0.75f + 1e-6f) {
                globalSeen = true;
            } else if (f > 0.2f + 1e-6f) {
                EXPECT_FALSE(globalSeen) << "a colour-map report after the global pass: " << f;
            }
            EXPECT_LE(f, 0.9f + 1e-6f);
        }
        EXPECT_EQ(globalSeen, !solo);
        expectCutOut(cut, 0, 15);
    }
}

// A cancelled generation leaves every status as it was and no undo group behind, whether the
// session's history or a private one was in use, and also when the session's history is full.
TEST(GenerateMask, CancelLeavesStatusesAndHistoryAsTheyWere) {
    for (const bool wholeImage : {true, false}) {
        for (const bool fullHistory : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "whole " << wholeImage << " full " << fullHistory);
            Cut<MaskFormat8> cut(16, 8, 1);
            IiClassification& c = *cut.classification;
            for (int g = 0; fullHistory && g < IiClassification::maximumUndoGroups; ++g)
                c.undoHistory.beginGroup();
            const int groups = c.undoHistory.undoGroupCount();
            const ByteImage before(cut.status.copy());
            const IntBox rows(2, 0, 13, 7);
            CancellingUI ui(3);
            EXPECT_THROW(cut.generate(wholeImage ? nullptr : &rows, {}, ProgressRange(&ui, 0.0f, 1.0f)),
                         JxExCancel);
            EXPECT_EQ(ui.reports, 3);
            EXPECT_TRUE(masktest::allEqual<unsigned char>(ByteImage(cut.status - before), 0));
            EXPECT_TRUE(noWorkBits(cut.status));
            EXPECT_EQ(c.undoHistory.undoGroupCount(), groups);
        }
    }
}

// Matting layers run first, in map(0.2)..map(t) with t = 0.5 (i + 1) / n for layer i of n;
// colour-map layers follow up to map(0.75), the global pass up to map(0.9).
TEST(GenerateMask, PassesReportInTheirShareOfTheRange) {
    Cut<MaskFormat8> cut(16, 8, 1);
    GenerateMaskLayer plain, matting, colourMap;
    plain.box = matting.box = colourMap.box = IntBox(0, 0, 15, 7);
    matting.mattingLayer = true;
    matting.foregroundDetail = matting.backgroundDetail = 0.5f;
    colourMap.colourMapLayer = true;
    masktest::ProgressRecorder recorder;
    EXPECT_EQ(cut.generate(nullptr, {plain, matting, colourMap, matting},
                           ProgressRange(&recorder, 0.0f, 1.0f)),
              0);
    const float windows[][2] = {{0.2f, 0.25f}, {0.25f, 0.5f}, {0.5f, 0.75f}, {0.75f, 0.9f}};
    for (const auto& w : windows) {
        SCOPED_TRACE(::testing::Message() << w[0] << ".." << w[1]);
        EXPECT_TRUE(std::any_of(recorder.fractions.begin(), recorder.fractions.end(),
                                [&](float f) { return f > w[0] + 1e-6f && f < w[1] - 1e-6f; }));
    }
    EXPECT_TRUE(std::is_sorted(recorder.fractions.begin(), recorder.fractions.end()));
    EXPECT_LE(recorder.fractions.back(), 0.9f + 1e-6f);
    expectCutOut(cut, 0, 15);
}

// A matting layer whose area holds no delete mark cannot be matted: its own cells show the
// unmasked source, and the rest of the cut-out is generated as usual. The result is 1 (the
// output is not used) unless a forced edge was drawn.
TEST(GenerateMask, FailedMattingLayerShowsTheSourceOverItsOwnCellsOnly) {
    for (const bool withEdge : {false, true}) {
        SCOPED_TRACE(withEdge);
        Cut<MaskFormat8> cut(16, 8, 1);
        GenerateMaskLayer matting;
        matting.box = IntBox(0, 0, 7, 4);   // keep and undecided columns only
        matting.mattingLayer = true;
        std::vector<ForcedEdgeStroke> edges;
        if (withEdge) {
            ForcedEdgeStroke edge;
            edge.width = 1.0f;
            edge.points = {FloatPoint(12.0f, 4.5f), FloatPoint(15.0f, 4.5f)};
            edges.push_back(edge);
        }
        EXPECT_EQ(cut.generate(nullptr, {matting}, ProgressRange(), edges), withEdge ? 0 : 1);
        for (int x = 0; x <= 7; ++x)
            for (int y = 0; y < 8; ++y) {
                SCOPED_TRACE(::testing::Message() << x << "," << y);
                if (y <= 4)
                    EXPECT_EQ(cut.output(x, y), cut.sourceAt(x, y));
                else
                    EXPECT_EQ(cut.output(x, y), Colour<unsigned char>(0, 0, 0, 0));
            }
        expectCutOut(cut, 8, 10);
    }
}

// A matting layer whose mask leaves out some cells of its box: at every scale each output
// pixel is produced, either by the matting pass or, outside the mask, by the global pass. The
// pixels on the mask's upper and left edges are where the two passes must meet without a gap.
TEST(GenerateMask, MaskedMattingLayerLeavesNoPixelUnproduced) {
    for (const int scale : {1, 2, 4}) {
        SCOPED_TRACE(scale);
        Cut<MaskFormat8> cut(16, 8, scale);
        GenerateMaskLayer matting;
        matting.box = IntBox(0, 0, 15, 7);
        matting.mattingLayer = true;
        matting.foregroundDetail = matting.backgroundDetail = 0.5f;
        matting.mask.resize(16, 8);
        matting.mask = 1;
        matting.mask(blitz::Range(0, 5), blitz::Range::all()) = 0;   // rows 0..5 outside
        matting.mask(blitz::Range(10, 15), 3) = 0;                     // and the first band column
        EXPECT_EQ(cut.generate(nullptr, {matting}), 0);
        expectCutOut(cut, 0, 16 * scale - 1);
    }
}

TEST(GenerateMask, BlendMapTakesTheLastLayerAndClampsValues) {
    GenerateMaskLayer low, high, masked;
    low.box = IntBox(0, 0, 3, 3);
    low.blendValue = 0.2f;
    high.box = IntBox(2, 2, 9, 9);   // reaches outside the generation box
    high.blendValue = 1.01f;         // clamped to 1, not wrapped round to 1/255
    masked.box = IntBox(0, 3, 0, 4);
    masked.mask.resize(1, 2);
    masked.mask.reindexSelf(IntPoint(0, 3));
    masked.mask = 0, 1;
    masked.blendValue = -3.0f;
    const blitz::Array<unsigned char, 2> map =
        buildBlendMap(IntBox(0, 0, 4, 4), 0.5f, {low, high, masked});
    const int expected[5][5] = {{51, 51, 51, 51, 0},
                                {51, 51, 51, 51, 127},
                                {51, 51, 255, 255, 255},
                                {51, 51, 255, 255, 255},
                                {127, 127, 255, 255, 255}};
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            EXPECT_EQ(map(i, j), expected[i][j]) << i << "," << j;
}

// The working image as the 16-bit blend pass gets it: 255 lands on the channel maximum, 1 on
// 257 or 128, and the indices stay those of the working image (a sub-session's image does not
// start at 0).
TEST(GenerateMask, WorkingImageWidensToTheFormatAndKeepsItsIndices) {
    ColourImage working(IntPoint(3, 5), IntPoint(2, 2));
    working = Colour<unsigned char>(255, 1, 0, 255);
    working(4, 6) = Colour<unsigned char>(128, 2, 254, 0);
    const auto wide = convertWorkingImage<MaskFormat16>(working);
    const auto half = convertWorkingImage<MaskFormat15>(working);
    for (const auto* converted : {&wide, &half}) {
        EXPECT_EQ(converted->lbound(0), 3);
        EXPECT_EQ(converted->lbound(1), 5);
        EXPECT_EQ(converted->extent(0), 2);
        EXPECT_EQ(converted->extent(1), 2);
    }
    EXPECT_EQ(wide(3, 5), Colour<unsigned short>(65535, 257, 0, 65535));
    EXPECT_EQ(half(3, 5), Colour<unsigned short>(32768, 128, 0, 32768));
    EXPECT_EQ(wide(4, 6), Colour<unsigned short>(32896, 514, 65278, 0));
    // 128.50197 x (128, 2, 254), truncated.
    EXPECT_EQ(half(4, 6), Colour<unsigned short>(16448, 257, 32639, 0));
}
