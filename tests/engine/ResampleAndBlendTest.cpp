#include "classification/ResampleAndBlend.h"

#include "classification/MaskStatus.h"

#include "MaskTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <tuple>

using namespace classification;
using Corvel::utility::Colour;

namespace {

using Colour8 = Colour<unsigned char>;
using Rgb = std::array<int, 3>;

// An 8-bit channel value in the format's units, as the engine widens working images.
template <class Format>
int widen(int value) {
    if (Format::maximum == 255)
        return value;
    if (Format::maximum == 65535)
        return value * 257;
    return static_cast<int>(static_cast<float>(value) * 128.50196838378906f);
}

template <class Format>
typename Format::Pixel pixelOf(const Rgb& c, int alpha) {
    using Channel = typename Format::Channel;
    return typename Format::Pixel(static_cast<Channel>(c[0]), static_cast<Channel>(c[1]),
                                  static_cast<Channel>(c[2]), static_cast<Channel>(alpha));
}

template <class Format>
Rgb widen(const Rgb& c) {
    return Rgb{widen<Format>(c[0]), widen<Format>(c[1]), widen<Format>(c[2])};
}

// A generation at scale `scale` over `status` (working resolution): the source at output
// resolution, the working image in the format and in 8 bits, the blend map and the mark
// distances. colourAt gives the 8-bit colour of a working cell; the source pixel takes the
// colour of the cell its centre falls in.
template <class Format>
struct Scene {
    using Pixel = typename Format::Pixel;
    static constexpr int max = Format::maximum;
    int scale;
    blitz::Array<unsigned char, 2> status;
    blitz::Array<Pixel, 2> working, source, output;
    blitz::Array<Colour8, 2> colourImage;
    blitz::Array<unsigned char, 2> blendMap;
    MarkDistanceArray distances;

    template <typename ColourAt>
    Scene(blitz::Array<unsigned char, 2> statuses, int outputScale, ColourAt colourAt)
        : scale(outputScale), status(statuses) {
        const int rows = status.rows(), columns = status.columns();
        working.resize(rows, columns);
        colourImage.resize(rows, columns);
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < columns; ++j) {
                const Rgb c = colourAt(i, j);
                colourImage(i, j) = Colour8(c[0], c[1], c[2], 255);
                working(i, j) = pixelOf<Format>(widen<Format>(c), max);
            }
        source.resize(rows * scale, columns * scale);
        for (int x = 0; x < rows * scale; ++x)
            for (int y = 0; y < columns * scale; ++y)
                source(x, y) = working(x / scale, y / scale);
        output.resize(source.shape());
        for (auto it = output.begin(); it != output.end(); ++it)
            *it = Pixel(1, 2, 3, 4);   // a sentinel no pass writes
        blendMap.resize(rows, columns);
        blendMap = 0;
        buildMarkDistances(distances, status, ProgressRange());
    }

    int run(int mode, ProgressRange progress = ProgressRange(), float smoothing = 0.0f) {
        const IntBox whole = IntBox::domainOf(status);
        return runOver(whole, whole, mode, progress, smoothing);
    }

    int runOver(const IntBox& sampling, const IntBox& region, int mode,
                ProgressRange progress = ProgressRange(), float smoothing = 0.0f) {
        AutoFillResult context;
        context.contextBox = region;
        context.hasKeep = context.hasDelete = true;
        GenerateMaskLayer layer;
        layer.smoothingAmount = smoothing;
        const float s = static_cast<float>(scale);
        return resampleAndBlend<Format>(output, source, working, status, sampling, context,
                                        FloatPoint(s, s), blendMap, distances, mode, layer,
                                        progress, colourImage);
    }
};

// Rows 0..2 keep colour F, rows 3..8 linear mixes of F and B with the alphas of
// rampNumerator, rows 9..11 delete colour B; every cell pending.
constexpr Rgb foreground{200, 180, 160}, background{20, 30, 40};
constexpr int rampNumerator[12] = {30, 30, 30, 27, 22, 17, 12, 7, 2, 0, 0, 0};   // alpha x 30

blitz::Array<unsigned char, 2> rampStatus() {
    auto status = masktest::filled<unsigned char>(12, 4, 1 | statusPending);
    status(blitz::Range(0, 2), blitz::Range::all()) = statusKeep | statusPending;
    status(blitz::Range(9, 11), blitz::Range::all()) = statusDelete | statusPending;
    return status;
}

// B + k (F - B) / 30 with F - B = 30 x (6, 5, 4): whole numbers on the ramp.
Rgb rampColour(int i) {
    const int k = rampNumerator[i];
    return Rgb{background[0] + 6 * k, background[1] + 5 * k, background[2] + 4 * k};
}

template <class Format>
void expectRampSharesRecovered(int mode) {
    Scene<Format> scene(rampStatus(), 1, [](int i, int) { return rampColour(i); });
    EXPECT_EQ(scene.run(mode), 0);
    const int max = Format::maximum;
    const Rgb f = widen<Format>(foreground);
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 4; ++j) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " max " << max << " at " << i << "," << j);
            const auto& o = scene.output(i, j);
            const double share = rampNumerator[i] / 30.0;
            if (i <= 2) {
                EXPECT_EQ(o, scene.source(i, j));
                EXPECT_EQ(o[3], max);
            } else if (i >= 9) {
                EXPECT_EQ(o, pixelOf<Format>(Rgb{0, 0, 0}, 0));
            } else {
                EXPECT_NEAR(o[3] / double(max), share, 1.0 / 255.0) << "alpha " << o[3];
                // Un-mixed, the colour is the foreground's.
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(o[c], f[c], max / 255.0 + 1) << "channel " << c;
            }
        }
}

}  // namespace

TEST(ResampleAndBlend, HighContrastRampGivesTheTrueShare) {
    for (int mode : {1, 2}) {
        expectRampSharesRecovered<MaskFormat8>(mode);
        expectRampSharesRecovered<MaskFormat16>(mode);
        expectRampSharesRecovered<MaskFormat15>(mode);
    }
}

namespace {

double smoothstep(double v) {
    return v * v * v * (v * (6 * v - 15) + 10);
}

}  // namespace

TEST(ResampleAndBlend, LowContrastFallsBackToTheMarkDistances) {
    // Estimates 4 apart (below the 11.312 threshold): no projection; the transparency is the
    // smoothstep of the background share a / (a + b) = (i - 2) / 7 of the mark distances.
    auto colourAt = [](int i, int) {
        return i <= 2 ? Rgb{100, 100, 100} : i >= 9 ? Rgb{104, 104, 104} : Rgb{102, 102, 102};
    };
    Scene<MaskFormat8> scene(rampStatus(), 1, colourAt);
    scene.run(2);
    for (int i = 3; i <= 8; ++i) {
        SCOPED_TRACE(i);
        const double t = smoothstep((i - 2) / 7.0);
        const auto& o = scene.output(i, 1);
        EXPECT_NEAR(o[3], (1 - t) * 255.99, 1.0);
        EXPECT_NEAR(o[0], 102 - 4 * t, 1.0);
    }

    // The threshold is in channel units of every format: 16-bit estimates 4 x 257 apart are
    // far apart, and the share is projected instead.
    Scene<MaskFormat16> wide(rampStatus(), 1, colourAt);
    wide.run(2);
    EXPECT_EQ(wide.output(5, 1)[3], 32767) << "Q halfway between: t = 0.5";
}

TEST(ResampleAndBlend, FullBlendValueUsesTheSmoothShareEvenAtHighContrast) {
    Scene<MaskFormat8> scene(rampStatus(), 1, [](int i, int) { return rampColour(i); });
    scene.blendMap = 255;
    scene.run(2);
    for (int i = 3; i <= 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(scene.output(i, 2)[3], (1 - smoothstep((i - 2) / 7.0)) * 255.99, 1.0);
    }
}

TEST(ResampleAndBlend, EmptyPyramidKeepsThePixelsOwnColour) {
    // No keep mark in the region: the foreground estimate falls back to the pixel itself,
    // which then un-mixes to itself at full alpha (not a NaN colour).
    auto status = rampStatus();
    status(blitz::Range(0, 2), blitz::Range::all()) = 1 | statusPending;
    Scene<MaskFormat8> scene(status, 1, [](int i, int) { return rampColour(i); });
    scene.run(2);
    EXPECT_EQ(scene.output(5, 1), Colour8(122, 115, 108, 255));
    EXPECT_EQ(scene.output(10, 1), Colour8(0, 0, 0, 0));
}

// Working rows 0..1 keep (colour F), rows 2..3 delete (colour B), all pending; every output
// pixel at scale s has its centre at working row (x + 0.5) / s.
// (format 1, 2 or 3; scale; estimate mode)
class ResampleAndBlendScales : public ::testing::TestWithParam<std::tuple<int, int, int>> {};

template <class Format>
void expectEveryPixelProduced(int scale, int mode) {
    using Pixel = typename Format::Pixel;
    const int max = Format::maximum;
    auto status = masktest::filled<unsigned char>(4, 4, statusDelete | statusPending | 0x10);
    status(blitz::Range(0, 1), blitz::Range::all()) = statusKeep | statusPending;
    const Rgb f{0, 255, 40}, b{255, 0, 200};
    Scene<Format> scene(status, scale, [&](int i, int) { return i <= 1 ? f : b; });
    ASSERT_EQ(scene.run(mode), 0);
    const double slack = max / 255.0;
    for (int x = 0; x < 4 * scale; ++x)
        for (int y = 0; y < 4 * scale; ++y) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            const Pixel& o = scene.output(x, y);
            const Pixel& s = scene.source(x, y);
            const double centre = (x + 0.5) / scale;
            if (centre <= 1.5) {
                EXPECT_EQ(o, pixelOf<Format>(Rgb{s[0], s[1], s[2]}, max)) << "keep";
            } else if (centre >= 2.5) {
                EXPECT_EQ(o, Pixel(0, 0, 0, 0)) << "delete";
            } else if (centre < 2.0) {
                // Mixed, over a pure foreground pixel: nothing to remove.
                EXPECT_NEAR(o[3], max, slack);
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(o[c], s[c], slack);
            } else {
                EXPECT_NEAR(o[3], 0, slack) << "mixed, over a pure background pixel";
            }
        }
    for (auto it = scene.status.begin(); it != scene.status.end(); ++it) {
        const int expected = it.position()[0] <= 1 ? statusKeep : statusDelete | 0x10;
        EXPECT_EQ(*it, expected | statusDone) << "low bits kept, pending became done";
    }
}

TEST_P(ResampleAndBlendScales, EveryOutputPixelIsProduced) {
    const auto [format, scale, mode] = GetParam();
    if (format == 1)
        expectEveryPixelProduced<MaskFormat8>(scale, mode);
    else if (format == 2)
        expectEveryPixelProduced<MaskFormat16>(scale, mode);
    else
        expectEveryPixelProduced<MaskFormat15>(scale, mode);
}

INSTANTIATE_TEST_SUITE_P(FormatsScalesModes, ResampleAndBlendScales,
                         ::testing::Combine(::testing::Values(1, 2, 3),
                                            ::testing::Values(1, 2, 4, 8),
                                            ::testing::Values(1, 2)));

TEST(ResampleAndBlend, OnlyPendingCellsNotDoneAndOpaqueSourcesAreWritten) {
    auto status = masktest::filled<unsigned char>(4, 4, statusKeep | statusPending);
    status(0, 0) = statusKeep;                                   // not pending
    status(0, 1) = statusKeep | statusPending | statusDone;      // done by an earlier pass
    Scene<MaskFormat8> scene(status, 2, [](int, int) { return Rgb{9, 8, 7}; });
    scene.source(5, 5)[3] = 254;
    scene.run(1);
    const Colour8 sentinel(1, 2, 3, 4), kept(9, 8, 7, 255);
    EXPECT_EQ(scene.output(1, 1), sentinel) << "nearest cell not pending";
    EXPECT_EQ(scene.output(0, 3), sentinel) << "nearest cell already done";
    EXPECT_EQ(scene.output(5, 5), sentinel) << "translucent source";
    EXPECT_EQ(scene.output(5, 4), kept);
    EXPECT_EQ(scene.output(2, 2), kept);
    EXPECT_EQ(scene.status(0, 0), statusKeep) << "a cell that was not pending stays so";
    EXPECT_EQ(scene.status(0, 1), statusKeep | statusDone) << "its column was completed";
    EXPECT_EQ(scene.status(3, 3), statusKeep | statusDone);
}

TEST(ResampleAndBlend, ProgressIsReportedEverySixteenColumns) {
    auto status = masktest::filled<unsigned char>(4, 4, statusKeep | statusPending);
    Scene<MaskFormat8> scene(status, 8, [](int, int) { return Rgb{9, 8, 7}; });
    masktest::ProgressRecorder recorder;
    scene.run(1, ProgressRange(&recorder, 0.0f, 1.0f));
    EXPECT_EQ(recorder.fractions, (std::vector<float>{1.0f / 32.0f, 17.0f / 32.0f}));
}

TEST(ResampleAndBlend, SamplingIsClippedAndBadArgumentsRefused) {
    auto status = masktest::filled<unsigned char>(4, 4, statusKeep | statusPending);
    Scene<MaskFormat8> scene(status, 1, [](int, int) { return Rgb{9, 8, 7}; });
    // A sampling box past the region: only the region's cells are produced.
    EXPECT_EQ(scene.runOver(IntBox(-3, -3, 10, 10), IntBox(0, 0, 1, 3), 2), 0);
    EXPECT_EQ(scene.output(1, 3), Colour8(9, 8, 7, 255));
    EXPECT_EQ(scene.output(2, 0), Colour8(1, 2, 3, 4));
    EXPECT_EQ(scene.status(2, 0), statusKeep | statusPending);

    EXPECT_THROW(scene.runOver(IntBox(0, 0, 3, 3), IntBox(0, 0, 4, 3), 2), std::invalid_argument)
        << "region box outside the status image";
    EXPECT_THROW(scene.runOver(IntBox(0, 0, 3, 3), IntBox(0, 0, 3, 3), 3), std::invalid_argument);
    scene.scale = 0;
    EXPECT_THROW(scene.run(2), std::invalid_argument);
}

TEST(ResampleAndBlend, ATinyScaleMapsOutputPixelsOntoTheLastCells) {
    // At scale 1e-30 the one output pixel's centre lies 5e29 cells along: far beyond the
    // sampling box, so the box's last cell decides (keep), as for any centre past its end.
    // The centre must be clamped before it becomes a cell index, not overflow an int.
    auto status = masktest::filled<unsigned char>(4, 4, statusDelete | statusPending);
    status(3, 3) = statusKeep | statusPending;
    Scene<MaskFormat8> scene(status, 1, [](int, int) { return Rgb{9, 8, 7}; });
    blitz::Array<Colour8, 2> source = masktest::filled(1, 1, Colour8(50, 60, 70, 255));
    blitz::Array<Colour8, 2> output = masktest::filled(1, 1, Colour8(1, 2, 3, 4));
    AutoFillResult context;
    context.contextBox = IntBox::domainOf(status);
    EXPECT_EQ(resampleAndBlend<MaskFormat8>(output, source, scene.working, scene.status,
                                            context.contextBox, context, FloatPoint(1e-30f, 1e-30f),
                                            scene.blendMap, scene.distances, 2, GenerateMaskLayer(),
                                            ProgressRange(), scene.colourImage),
              0);
    EXPECT_EQ(output(0, 0), Colour8(50, 60, 70, 255));
}
