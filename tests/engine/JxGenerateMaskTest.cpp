// JxGenerateMask through the flat interface: the arguments it refuses before anything runs,
// the handles it checks, and that the caller's output changes only on success.

#include "classification/JxInterface.h"

#include "EngineTestSupport.h"
#include "SessionTestImages.h"

#include <gtest/gtest.h>

#include "classification/JxInSession.h"
#include "classification/JxProgressClock.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <thread>
#include <vector>

namespace {

constexpr int workingWidth = 20, workingHeight = 12;

// A caller's output or source buffer of any four-channel format, filled with one byte value.
struct Buffer {
    Buffer(int w, int h, int format, unsigned char fill = 0x5A)
        : image{w, h, w * (format == JxFormatRgba8 ? 4 : 8), format, nullptr},
          bytes(static_cast<std::size_t>(image.stride) * h + 16, fill) {
        // 8-byte aligned, so the 16-bit formats are readable.
        image.data = bytes.data() + (8 - reinterpret_cast<std::uintptr_t>(bytes.data()) % 8) % 8;
    }
    JxImage image;
    std::vector<unsigned char> bytes;
};

// Everything one call takes, valid for a never-analysed session, so a valid call ends at
// JxNotAnalysed and a refused one at JxRefused.
struct Call {
    Buffer output{workingWidth, workingHeight, JxFormatRgba8};
    Buffer source{workingWidth, workingHeight, JxFormatRgba8, 0xFF};
    const JxRect* rectangle = nullptr;
    float blendWidth = 2.0f;
    float blendRatio = 0.5f;
    std::vector<JxForcedEdge> edges;
    std::int32_t edgeCount = 0;
    std::vector<JxMaskRegion> regions;
    std::int32_t regionCount = 0;

    int run(sessiontest::Engine& e, JxImage* status = nullptr, JxSession* session = nullptr) {
        return JxGenerateMask(session ? session : e.session, rectangle, output.image, source.image,
                              status ? status : e.status, edges.empty() ? nullptr : edges.data(),
                              edgeCount, blendWidth, blendRatio,
                              regions.empty() ? nullptr : regions.data(), regionCount, nullptr);
    }
};

const float edgePoints[] = {1, 1, 5, 5};
const unsigned char regionBytes[64] = {};
const JxRect outside{30, 0, 5, 5};
const JxRect straddling{-5, -5, 10, 10};

JxMaskRegion regionOf(int x, int y, int w, int h, int bytesPerLine, const unsigned char* pixels) {
    return JxMaskRegion{x, y, w, h, bytesPerLine, 0, pixels, 0, 0, 0, {0, 0, 0}, {0, 0, 0},
                        0.5f, 0, 0.0f, 0.0f};
}

struct EntryCase {
    const char* name;
    std::function<void(Call&)> change;
    int expected;
};

class GenerateMaskArguments : public ::testing::TestWithParam<EntryCase> {};

void resize(Call& c, int w, int h) {
    c.output = Buffer(w, h, c.output.image.format);
    c.source = Buffer(w, h, c.source.image.format, 0xFF);
}

}  // namespace

TEST_P(GenerateMaskArguments, AreCheckedBeforeAnythingRuns) {
    sessiontest::Engine e(workingWidth, workingHeight);
    ASSERT_TRUE(e.ready());
    Call call;
    GetParam().change(call);
    const std::vector<unsigned char> outputBefore = call.output.bytes;
    const std::vector<unsigned char> statusBefore = e.all();
    EXPECT_EQ(call.run(e), GetParam().expected);
    EXPECT_EQ(call.output.bytes, outputBefore);
    EXPECT_EQ(e.all(), statusBefore);
}

INSTANTIATE_TEST_SUITE_P(
    JxGenerateMask, GenerateMaskArguments,
    ::testing::Values(
        // Accepted (the session was never analysed, so the driver answers 10).
        EntryCase{"Scale1", [](Call&) {}, JxNotAnalysed},
        EntryCase{"Scale2", [](Call& c) { resize(c, 40, 24); }, JxNotAnalysed},
        EntryCase{"Scale2RoundedUp", [](Call& c) { resize(c, 39, 23); }, JxNotAnalysed},
        EntryCase{"Scale8", [](Call& c) { resize(c, 160, 96); }, JxNotAnalysed},
        EntryCase{"Format65535", [](Call& c) {
                      c.output = Buffer(workingWidth, workingHeight, JxFormatRgba16);
                      c.source = Buffer(workingWidth, workingHeight, JxFormatRgba16);
                  }, JxNotAnalysed},
        EntryCase{"Format32768", [](Call& c) {
                      c.output = Buffer(workingWidth, workingHeight, JxFormatRgba16Max32768);
                      c.source = Buffer(workingWidth, workingHeight, JxFormatRgba16Max32768);
                  }, JxNotAnalysed},
        EntryCase{"RectangleStraddlingTheImage", [](Call& c) { c.rectangle = &straddling; }, JxNotAnalysed},
        EntryCase{"BlendRatioOutOfRangeIsClamped", [](Call& c) { c.blendRatio = 3.0f; }, JxNotAnalysed},
        EntryCase{"EdgeWithoutPointsAndCountZero", [](Call& c) {
                      c.edges = {JxForcedEdge{nullptr, 0, 1.0f}};
                      c.edgeCount = 1;
                  }, JxNotAnalysed},
        EntryCase{"RegionOutsideTheImage", [](Call& c) {
                      c.regions = {regionOf(100, 100, 4, 4, 4, regionBytes)};
                      c.regionCount = 1;
                  }, JxNotAnalysed},
        // Refused.
        EntryCase{"StatusFormatAsSource", [](Call& c) { c.source.image.format = JxFormatStatus; }, JxRefused},
        EntryCase{"UnknownFormat", [](Call& c) { c.source.image.format = 4; c.output.image.format = 4; }, JxRefused},
        EntryCase{"OutputFormatDiffers", [](Call& c) { c.output = Buffer(workingWidth, workingHeight, JxFormatRgba16); }, JxRefused},
        EntryCase{"OutputSizeDiffers", [](Call& c) { c.output = Buffer(workingWidth + 1, workingHeight, JxFormatRgba8); }, JxRefused},
        EntryCase{"StrideBelowWidth", [](Call& c) { c.output.image.stride = workingWidth * 4 - 4; }, JxRefused},
        EntryCase{"NullSourceData", [](Call& c) { c.source.image.data = nullptr; }, JxRefused},
        EntryCase{"RatiosInDifferentWindows", [](Call& c) { resize(c, workingWidth, 2 * workingHeight); }, JxRefused},
        EntryCase{"RatioOutsideEveryWindow", [](Call& c) { resize(c, 44, 26); }, JxRefused},
        EntryCase{"RectangleOutside", [](Call& c) { c.rectangle = &outside; }, JxRefused},
        EntryCase{"BlendRatioNaN", [](Call& c) { c.blendRatio = std::nanf(""); }, JxRefused},
        EntryCase{"NegativeEdgeCount", [](Call& c) { c.edgeCount = -1; }, JxRefused},
        EntryCase{"EdgesMissing", [](Call& c) { c.edgeCount = 1; }, JxRefused},
        EntryCase{"EdgeWithCountAndNoPoints", [](Call& c) {
                      c.edges = {JxForcedEdge{edgePoints, 2, 1.0f}, JxForcedEdge{nullptr, 3, 1.0f}};
                      c.edgeCount = 2;
                  }, JxRefused},
        EntryCase{"NegativeRegionCount", [](Call& c) { c.regionCount = -2; }, JxRefused},
        EntryCase{"RegionLinesShorterThanItsWidth", [](Call& c) {
                      c.regions = {regionOf(0, 0, 8, 4, 7, regionBytes)};
                      c.regionCount = 1;
                  }, JxRefused},
        EntryCase{"RegionBoxEndsPastTheIntRange", [](Call& c) {
                      c.regions = {regionOf(std::numeric_limits<std::int32_t>::max() - 2, 0, 8, 4,
                                            0, nullptr)};
                      c.regionCount = 1;
                  }, JxRefused},
        EntryCase{"RegionBoxEndsBeforeTheIntRange", [](Call& c) {
                      c.regions = {regionOf(0, std::numeric_limits<std::int32_t>::min(), 8, 0,
                                            0, nullptr)};
                      c.regionCount = 1;
                  }, JxRefused},
        EntryCase{"RegionValueNotFinite", [](Call& c) {
                      c.regions = {regionOf(0, 0, 8, 4, 8, regionBytes)};
                      c.regions[0].firstValue = std::numeric_limits<float>::infinity();
                      c.regionCount = 1;
                  }, JxRefused}),
    [](const ::testing::TestParamInfo<EntryCase>& info) { return std::string(info.param.name); });

TEST(JxGenerateMask, StatusImageUnderTwoRowsIsRefused) {
    sessiontest::Engine e(workingWidth, 1);
    ASSERT_TRUE(e.ready());
    Call call;
    resize(call, workingWidth, 1);
    EXPECT_EQ(call.run(e), JxRefused);
}

TEST(JxGenerateMask, ChecksTheStatusImageBeforeTheSession) {
    sessiontest::Engine e(workingWidth, workingHeight);
    ASSERT_TRUE(e.ready());
    Call call;
    JxImage foreign = *e.status;
    JxSession foreignSession{};
    EXPECT_EQ(call.run(e, &foreign, &foreignSession), JxBadImage);
    EXPECT_EQ(JxGenerateMask(e.session, nullptr, call.output.image, call.source.image, nullptr,
                             nullptr, 0, 1.0f, 0.5f, nullptr, 0, nullptr),
              JxBadImage);
    EXPECT_EQ(call.run(e, nullptr, &foreignSession), JxBadSession);
}

namespace {

// A progress clock that moves on a second at every reading, so every report is delivered.
JxProgressClock::TimePoint tickingClock() {
    static JxProgressClock::TimePoint now{};
    now += std::chrono::seconds(1);
    return now;
}

// Answers "cancel" at the n-th delivered report.
struct CancelAt {
    static inline int calls = 0;
    static inline int at = 0;
    static std::int32_t callback(std::uint8_t, std::int32_t) { return ++calls == at ? 2 : 0; }
};

// A 24 x 16 picture, left half dark and right half light, analysed, with its statuses
// marked by the test. Every report of a command is delivered.
struct AnalysedPicture {
    AnalysedPicture() : e(24, 16), previousClock(JxProgressClock::setSource(&tickingClock)) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 24; ++x)
                for (int k = 0; k < 3; ++k)
                    e.rgba.pixels[(static_cast<std::size_t>(y) * 24 + x) * 4 + k] = x < 12 ? 40 : 220;
        analysed = e.ready() && JxAnalyseImage(e.session, nullptr) == JxOk;
    }
    ~AnalysedPicture() { JxProgressClock::setSource(previousClock); }

    // Keep marks in columns 0..3; delete marks in columns 20..23 of rows 0..deleteRows - 1;
    // the rest stays unmarked (fillable).
    void mark(int deleteRows) {
        std::vector<unsigned char> s(24 * 16, 0);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 24; ++x)
                s[static_cast<std::size_t>(y) * 24 + x] =
                    x < 4 ? JxStatusKeep : (x >= 20 && y < deleteRows) ? JxStatusDelete : 0;
        EXPECT_EQ(e.setStatus(sessiontest::Bytes(0, 0, 24, 16, s)), JxOk);
    }

    int generate(Buffer& output, const JxRect* rectangle, JxProgressCallback progress) {
        return JxGenerateMask(e.session, rectangle, output.image, source.image, e.status, nullptr, 0,
                              0.75f, 0.2f, nullptr, 0, progress);
    }

    sessiontest::Engine e;
    Buffer source{24, 16, JxFormatRgba8, 0xFF};
    JxProgressClock::Source previousClock;
    bool analysed = false;
};

}  // namespace

// Cancelled at every report it makes, a generation answers 2 and leaves the statuses, the
// undo history and the output exactly as they were, whether it was on part of the image (whose
// auto fill has a private history) or on the whole image (whose auto fill goes into the
// session's history).
TEST(JxGenerateMask, CancelledAnywhereChangesNothing) {
    const JxRect lowerRows{0, 8, 24, 8};
    for (const bool wholeImage : {true, false}) {
        for (const bool fullHistory : {false, true}) {
            SCOPED_TRACE(::testing::Message() << (wholeImage ? "whole image" : "rows 8 to 15")
                                              << (fullHistory ? ", full history" : ""));
            AnalysedPicture picture;
            ASSERT_TRUE(picture.analysed);
            for (int g = 0; fullHistory && g < 200; ++g)
                ASSERT_EQ(JxBeginUndoGroup(picture.e.session), JxOk);
            // Whole image: keep marks only, so the auto fill runs over the image. Rows 8..15:
            // keep marks but no delete marks there, so it runs over those rows.
            picture.mark(wholeImage ? 0 : 8);
            const std::vector<unsigned char> statuses = picture.e.all();
            const std::uint32_t undos = picture.e.undos();
            bool finished = false;
            for (int at = 1; at < 200 && !finished; ++at) {
                SCOPED_TRACE(at);
                CancelAt::calls = 0;
                CancelAt::at = at;
                Buffer output(24, 16, JxFormatRgba8, 0x33);
                const std::vector<unsigned char> before = output.bytes;
                const int result = picture.generate(output, wholeImage ? nullptr : &lowerRows,
                                                    &CancelAt::callback);
                if (result == JxOk) {
                    finished = true;
                    EXPECT_GT(at, 2) << "a generation this size reports more than once";
                    break;
                }
                ASSERT_EQ(result, JxCancelled);
                EXPECT_EQ(output.bytes, before);
                EXPECT_EQ(picture.e.all(), statuses);
                // A full history drops its oldest group when the auto fill opens one; taking
                // the fill back cannot bring that group back, but it takes back no other. The
                // history is then no longer full, so however many generations are cancelled,
                // one group at most is lost.
                if (fullHistory && wholeImage) {
                    EXPECT_GE(picture.e.undos() + 1, undos);
                    EXPECT_LE(picture.e.undos(), undos);
                } else {
                    EXPECT_EQ(picture.e.undos(), undos);
                }
            }
            EXPECT_TRUE(finished);
        }
    }
}

// A whole-image generation leaves its auto fill in the session's history, undoable by the
// user; a generation on part of the image takes its auto fill back.
TEST(JxGenerateMask, AutoFillStaysUndoableOnlyForTheWholeImage) {
    const JxRect lowerRows{0, 8, 24, 8};
    for (const bool wholeImage : {true, false}) {
        SCOPED_TRACE(wholeImage ? "whole image" : "rows 8 to 15");
        AnalysedPicture picture;
        ASSERT_TRUE(picture.analysed);
        picture.mark(wholeImage ? 0 : 8);
        const std::vector<unsigned char> statuses = picture.e.all();
        const std::uint32_t undos = picture.e.undos();
        Buffer output(24, 16, JxFormatRgba8, 0x33);
        ASSERT_EQ(picture.generate(output, wholeImage ? nullptr : &lowerRows, nullptr), JxOk);
        if (wholeImage) {
            EXPECT_NE(picture.e.all(), statuses) << "the auto fill marked the open pixels";
            EXPECT_EQ(picture.e.undos(), undos + 1);
            EXPECT_EQ(JxUndo(picture.e.session, nullptr), JxOk);
        } else {
            EXPECT_EQ(picture.e.undos(), undos);
        }
        EXPECT_EQ(picture.e.all(), statuses);
        // Keep columns are opaque in the produced rows; rows outside the rectangle untouched.
        for (int y = 0; y < 16; ++y) {
            const bool produced = wholeImage || y >= 8;
            const unsigned char* row = output.image.data + static_cast<std::size_t>(y) * output.image.stride;
            EXPECT_EQ(row[3], produced ? 255 : 0x33) << "row " << y;
            EXPECT_EQ(row[23 * 4 + 3], produced ? 0 : 0x33) << "row " << y;
        }
    }
}

// A sub-session generates from its own analysis, or from its parent's when it was not begun
// for analysis; without either it answers 10 and changes nothing. It produces only its box.
TEST(JxGenerateMask, SubSessionsGenerateFromAnAnalysisInsideTheirBox) {
    const JxSelection patch{4, 4, 12, 8, 12, 0, nullptr};
    {
        sessiontest::Engine e(24, 16);
        ASSERT_TRUE(e.ready());
        for (const int forAnalysis : {0, 1}) {
            SCOPED_TRACE(forAnalysis);
            JxSession* sub = JxBeginSubSession(e.session, &patch, forAnalysis, nullptr);
            ASSERT_NE(sub, nullptr);
            Buffer output(24, 16, JxFormatRgba8, 0x33), source(24, 16, JxFormatRgba8, 0xFF);
            const std::vector<unsigned char> before = output.bytes;
            EXPECT_EQ(JxGenerateMask(sub, nullptr, output.image, source.image, e.status, nullptr, 0,
                                     0.75f, 0.2f, nullptr, 0, nullptr),
                      JxNotAnalysed);
            EXPECT_EQ(output.bytes, before);
        }
    }
    AnalysedPicture picture;
    ASSERT_TRUE(picture.analysed);
    JxSession* sub = JxBeginSubSession(picture.e.session, &patch, 0, nullptr);
    ASSERT_NE(sub, nullptr);
    std::vector<unsigned char> marks(12 * 8, 0);
    for (int y = 0; y < 8; ++y) {
        marks[static_cast<std::size_t>(y) * 12] = JxStatusKeep;
        marks[static_cast<std::size_t>(y) * 12 + 11] = JxStatusDelete;
    }
    ASSERT_EQ(picture.e.setStatus(sub, sessiontest::Bytes(4, 4, 12, 8, marks)), JxOk);
    Buffer output(24, 16, JxFormatRgba8, 0x33);
    ASSERT_EQ(JxGenerateMask(sub, nullptr, output.image, picture.source.image, picture.e.status,
                             nullptr, 0, 0.75f, 0.2f, nullptr, 0, nullptr),
              JxOk);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            const unsigned char alpha =
                output.image.data[static_cast<std::size_t>(y) * output.image.stride + x * 4 + 3];
            const bool inside = x >= 4 && x < 16 && y >= 4 && y < 12;
            if (!inside) {
                EXPECT_EQ(alpha, 0x33) << x << "," << y;
            } else if (x == 4) {
                EXPECT_EQ(alpha, 255) << y;
            } else if (x == 15) {
                EXPECT_EQ(alpha, 0) << y;
            }
        }
}

// Every report of a generation comes on the thread that called the entry, however many
// threads its passes use; and the matting region's reports do not depend on their number.
TEST(JxGenerateMask, EveryReportComesOnTheCallingThread) {
    int alone = 0;
    for (unsigned workers : {1u, 2u, 8u}) {
        SCOPED_TRACE(::testing::Message() << workers << " worker threads");
        AnalysedPicture picture;
        ASSERT_TRUE(picture.analysed);
        JxInSession::fromHandle(picture.e.session)->classification().workerCount = workers;
        picture.mark(16);
        JxMaskRegion matting = regionOf(0, 0, 24, 16, 0, nullptr);
        matting.mode = 1;
        matting.firstValue = 0.5f;
        matting.secondValue = 0.5f;
        Buffer output(24, 16, JxFormatRgba8, 0x33);
        enginetest::ReportThreads::reset();
        ASSERT_EQ(JxGenerateMask(picture.e.session, nullptr, output.image, picture.source.image,
                                 picture.e.status, nullptr, 0, 0.75f, 0.2f, &matting, 1,
                                 &enginetest::ReportThreads::record),
                  JxOk);
        EXPECT_EQ(enginetest::ReportThreads::callsOffThread(std::this_thread::get_id()), 0);
        if (workers == 1)
            alone = enginetest::ReportThreads::calls();
        EXPECT_EQ(enginetest::ReportThreads::calls(), alone);
    }
    EXPECT_GT(alone, 2);
}
