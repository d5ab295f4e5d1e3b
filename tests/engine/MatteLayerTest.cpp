#include "classification/MatteLayer.h"

#include "classification/JxExCancel.h"
#include "classification/MaskStatus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace classification;

namespace {

struct Recorder : Corvel::utility::IiUI {
    std::vector<float> fractions;
    void progress(float fraction, const std::string&) override { fractions.push_back(fraction); }
};

/// Channel values of the two-colour fixture per format: a foreground level `full` and the
/// alpha of a pixel that lies halfway between the two colours.
template <class Format>
struct TwoColourLevels;
template <>
struct TwoColourLevels<MaskFormat8> {
    static constexpr int full = 200, halfAlpha = 127;   // trunc(0.5 * 255.99)
};
template <>
struct TwoColourLevels<MaskFormat16> {
    static constexpr int full = 50000, halfAlpha = 32767;   // trunc(0.5 * 65535.99)
};
template <>
struct TwoColourLevels<MaskFormat15> {
    static constexpr int full = 30000, halfAlpha = 16384;   // trunc(0.5 * 32768.99)
};

/// A 6 x 6 picture at scale 1: columns 0-1 red (keep), 2-3 half red, half blue (unmarked),
/// 4-5 blue (delete); every status pending, as the core leaves them for a matting layer.
template <class Format>
struct TwoColourFixture {
    using Pixel = typename Format::Pixel;
    using Channel = typename Format::Channel;
    static constexpr int full = TwoColourLevels<Format>::full;

    typename Format::Image image{6, 6}, output{6, 6};
    blitz::Array<unsigned char, 2> status{6, 6};
    GenerateMaskLayer layer;

    static Pixel red() { return Pixel(full, 0, 0, Format::maximum); }
    static Pixel blue() { return Pixel(0, 0, full, Format::maximum); }
    static Pixel mixed() { return Pixel(full / 2, 0, full / 2, Format::maximum); }
    static Pixel untouched() { return Pixel(1, 2, 3, 4); }

    TwoColourFixture() {
        output = untouched();
        for (int i = 0; i < 6; ++i) {
            for (int j = 0; j < 6; ++j) {
                const bool left = j < 2, right = j > 3;
                image(i, j) = left ? red() : right ? blue() : mixed();
                status(i, j) = static_cast<unsigned char>(
                    statusPending | (left ? statusKeep : right ? statusDelete : 0));
            }
        }
        layer.mattingLayer = true;
        layer.foregroundDetail = 0.5f;
        layer.backgroundDetail = 0.5f;
    }

    int matte(const IntBox& box = IntBox(0, 0, 5, 5), float scale = 1.0f,
              ProgressRange progress = ProgressRange()) {
        return matteLayer<Format>(image, status, output, box, FloatPoint(scale, scale), layer,
                                  progress, 0);
    }

    bool outputUntouched() const {
        for (auto it = output.begin(); it != output.end(); ++it)
            if (*it != untouched())
                return false;
        return true;
    }
};

template <class Format>
class MatteLayerFormats : public ::testing::Test {};
using Formats = ::testing::Types<MaskFormat8, MaskFormat16, MaskFormat15>;
TYPED_TEST_SUITE(MatteLayerFormats, Formats);

}  // namespace

TYPED_TEST(MatteLayerFormats, TwoColourPictureIsUnmixedIntoTheForegroundColour) {
    using Fixture = TwoColourFixture<TypeParam>;
    Fixture f;
    ASSERT_EQ(f.matte(), 0);
    const auto transparent = typename Fixture::Pixel(0, 0, 0, 0);
    const auto halfRed = typename Fixture::Pixel(Fixture::full, 0, 0,
                                                 TwoColourLevels<TypeParam>::halfAlpha);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(f.output(i, 0), Fixture::red());
        EXPECT_EQ(f.output(i, 1), Fixture::red());
        // The mixed pixels find red and blue exactly: half the background removed.
        EXPECT_EQ(f.output(i, 2), halfRed);
        EXPECT_EQ(f.output(i, 3), halfRed);
        EXPECT_EQ(f.output(i, 4), transparent);
        EXPECT_EQ(f.output(i, 5), transparent);
    }
}

TYPED_TEST(MatteLayerFormats, MissingMarkClassFailsTheLayerWithoutWriting) {
    for (unsigned char missing : {statusKeep, statusDelete}) {
        SCOPED_TRACE(static_cast<int>(missing));
        TwoColourFixture<TypeParam> f;
        for (auto it = f.status.begin(); it != f.status.end(); ++it)
            *it = static_cast<unsigned char>(*it & ~missing);
        EXPECT_EQ(f.matte(), 1);
        EXPECT_TRUE(f.outputUntouched());
    }
}

TEST(MatteLayer, WithoutPendingPixelsNothingIsWritten) {
    TwoColourFixture<MaskFormat8> f;
    f.status |= statusDone;   // produced by an earlier layer
    Recorder recorder;
    EXPECT_EQ(f.matte(IntBox(0, 0, 5, 5), 1.0f, ProgressRange(&recorder, 0.0f, 1.0f)), 0);
    EXPECT_TRUE(f.outputUntouched());
    ASSERT_EQ(recorder.fractions.size(), 1u);
    EXPECT_FLOAT_EQ(recorder.fractions[0], 0.05f);
}

TEST(MatteLayer, LayerOutsideTheOutputDoesNothing) {
    // Statuses reach further than the output: a layer box beyond the output's rows has an
    // empty estimate box.
    TwoColourFixture<MaskFormat8> f;
    blitz::Array<unsigned char, 2> wide(20, 6);
    wide = statusPending | statusKeep;
    f.status.reference(wide);
    EXPECT_EQ(f.matte(IntBox(10, 0, 12, 5)), 0);
    EXPECT_TRUE(f.outputUntouched());
}

TEST(MatteLayer, BadBoxesAndMismatchedImagesAreRefused) {
    TwoColourFixture<MaskFormat8> f;
    EXPECT_THROW(f.matte(IntBox(4, 4, 6, 6)), std::out_of_range);
    EXPECT_THROW(f.matte(IntBox(3, 3, 2, 2)), std::out_of_range);
    EXPECT_TRUE(f.outputUntouched());
    MaskFormat8::Image smaller(5, 6);
    EXPECT_THROW(matteLayer<MaskFormat8>(f.image, f.status, smaller, IntBox(0, 0, 5, 5),
                                         FloatPoint(1.0f, 1.0f), f.layer, ProgressRange(), 0),
                 std::invalid_argument);
    EXPECT_THROW(f.matte(IntBox(0, 0, 5, 5), 0.0f), std::invalid_argument);
    EXPECT_TRUE(f.outputUntouched());
}

TEST(MatteLayer, OnlyTheLayerBoxIsWrittenAtScaleTwo) {
    // Statuses 3 x 3 at scale 2 over the 6 x 6 picture; the layer is status row 1 only, so
    // the estimate box is image rows 2 and 3.
    TwoColourFixture<MaskFormat8> f;
    blitz::Array<unsigned char, 2> coarse(3, 3);
    for (int j = 0; j < 3; ++j)
        coarse(blitz::Range::all(), j) = static_cast<unsigned char>(
            statusPending | (j == 0 ? statusKeep : j == 2 ? statusDelete : 0));
    f.status.reference(coarse);
    ASSERT_EQ(f.matte(IntBox(1, 0, 1, 2), 2.0f), 0);
    for (int i : {0, 1, 4, 5})
        for (int j = 0; j < 6; ++j)
            EXPECT_EQ(f.output(i, j), f.untouched()) << i << "," << j;
    for (int i : {2, 3}) {
        EXPECT_EQ(f.output(i, 0), f.red());
        EXPECT_EQ(f.output(i, 5), MaskFormat8::Pixel(0, 0, 0, 0));
    }
}

TEST(MatteLayer, PixelsWithoutAnyScoringPairKeepTheirImageColour) {
    // Keep and delete pixels share one colour, so no pair scores and the search gives no
    // estimate. A pixel at scale 2 with a keep share of 0.25 must then stay as it is; taking
    // the missing estimate for white would un-mix it toward white.
    using Pixel = MaskFormat8::Pixel;
    const Pixel grey(50, 50, 50, 255);
    MaskFormat8::Image image(6, 1), output(6, 1);
    image = grey;
    output = Pixel(1, 2, 3, 4);
    blitz::Array<unsigned char, 2> status(3, 1);
    status(0, 0) = statusPending | statusKeep;
    status(1, 0) = statusPending;
    status(2, 0) = statusPending | statusDelete;
    GenerateMaskLayer layer;
    ASSERT_EQ(matteLayer<MaskFormat8>(image, status, output, IntBox(0, 0, 2, 0),
                                      FloatPoint(2.0f, 2.0f), layer, ProgressRange(), 0),
              0);
    // Rows 3 and 4 have delete shares 0.25 and 0.75: white estimates would turn them into
    // transparent light grey.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(output(i, 0), grey) << i;
    EXPECT_EQ(output(5, 0), Pixel(0, 0, 0, 0));
}

TEST(MatteLayer, ProgressRunsThroughTheDriversShares) {
    // Layer rows 2..5: the palette pass (0.2 to 0.75 of the range) reports after the even
    // rows 2 and 4, at 0 and 0.5 of its share.
    TwoColourFixture<MaskFormat8> f;
    Recorder recorder;
    ASSERT_EQ(f.matte(IntBox(2, 0, 5, 5), 1.0f, ProgressRange(&recorder, 0.0f, 1.0f)), 0);
    ASSERT_GE(recorder.fractions.size(), 4u);
    EXPECT_FLOAT_EQ(recorder.fractions.front(), 0.05f);
    EXPECT_FLOAT_EQ(recorder.fractions.back(), 0.98f);
    for (std::size_t k = 1; k < recorder.fractions.size(); ++k)
        EXPECT_GE(recorder.fractions[k], recorder.fractions[k - 1]);
    const auto reported = [&](float fraction) {
        for (float f : recorder.fractions)
            if (std::fabs(f - fraction) < 1e-6f)
                return true;
        return false;
    };
    EXPECT_TRUE(reported(0.2f));
    EXPECT_TRUE(reported(0.2f + 0.5f * 0.55f));
    EXPECT_TRUE(reported(0.75f + 0.9f * 0.1f));   // the smoothing's last report
}

namespace {

/// A noisy picture with a ragged band between a keep and a delete area, large enough for
/// many row bands: columns up to about a third keep, from about two thirds delete, marks
/// strewn into the band; every status pending. Statuses at 1 / `scale` of the picture.
template <class Format>
struct NoisyBandFixture {
    using Pixel = typename Format::Pixel;
    static constexpr int rows = 48, columns = 64;

    typename Format::Image image{rows, columns};
    blitz::Array<unsigned char, 2> status;
    GenerateMaskLayer layer;
    float scale;

    explicit NoisyBandFixture(int statusScale) : scale(static_cast<float>(statusScale)) {
        unsigned random = 12345;
        const auto next = [&random](int range) {
            random = random * 1103515245u + 12345u;
            return static_cast<int>((random >> 16) % static_cast<unsigned>(range));
        };
        const double widen = Format::maximum / 255.0;
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < columns; ++j) {
                const double share = std::clamp((j - 20.0 + next(9)) / 24.0, 0.0, 1.0);
                const auto channel = [&](double keep, double drop) {
                    const double v = keep * (1.0 - share) + drop * share + next(30);
                    return static_cast<typename Format::Channel>(std::min(v, 255.0) * widen);
                };
                image(i, j) = Pixel(channel(200, 20), channel(60 + 2 * i, 90), channel(30, 190),
                                    Format::maximum);
            }
        status.resize(rows / statusScale, columns / statusScale);
        for (int i = 0; i < status.rows(); ++i)
            for (int j = 0; j < status.columns(); ++j) {
                const int column = j * statusScale + next(6);
                const unsigned char mark = column < 22 ? statusKeep
                                           : column > 42 ? statusDelete
                                           : next(12) == 0 ? statusKeep
                                           : next(12) == 0 ? statusDelete : 0;
                status(i, j) = static_cast<unsigned char>(statusPending | mark);
            }
        layer.mattingLayer = true;
        layer.foregroundDetail = 0.6f;
        layer.backgroundDetail = 0.4f;
    }

    IntBox box() const { return IntBox(0, 0, status.rows() - 1, status.columns() - 1); }

    typename Format::Image matte(unsigned threads, ProgressRange progress = ProgressRange()) {
        typename Format::Image output = image.copy();
        EXPECT_EQ(matteLayer<Format>(image, status, output, box(), FloatPoint(scale, scale), layer,
                                     progress, threads),
                  0);
        return output;
    }
};

template <class Image>
bool sameImages(const Image& a, const Image& b) {
    if (a.rows() != b.rows() || a.columns() != b.columns())
        return false;
    for (int i = 0; i < a.rows(); ++i)
        for (int j = 0; j < a.columns(); ++j)
            for (int c = 0; c < 4; ++c)
                if (a(i, j)[c] != b(i, j)[c])
                    return false;
    return true;
}

struct CancelAt : Corvel::utility::IiUI {
    float at;
    explicit CancelAt(float fraction) : at(fraction) {}
    void progress(float fraction, const std::string&) override {
        if (fraction >= at)
            throw JxExCancel();
    }
};

}  // namespace

TYPED_TEST(MatteLayerFormats, ResultDoesNotDependOnTheThreadCount) {
    for (int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        NoisyBandFixture<TypeParam> f(scale);
        const auto single = f.matte(1);
        // The pass did something: some band pixels are neither fully kept nor dropped.
        int mixed = 0;
        for (auto it = single.begin(); it != single.end(); ++it)
            if ((*it)[3] != 0 && (*it)[3] != TypeParam::maximum)
                ++mixed;
        EXPECT_GT(mixed, 50);
        for (unsigned threads : {2u, 3u, 8u}) {
            SCOPED_TRACE(threads);
            const auto several = f.matte(threads);
            EXPECT_TRUE(sameImages(several, single));
        }
        typename TypeParam::Image output = f.image.copy();
        ASSERT_EQ(matteLayer<TypeParam>(f.image, f.status, output, f.box(),
                                        FloatPoint(f.scale, f.scale), f.layer, ProgressRange(), 0),
                  0);
        EXPECT_TRUE(sameImages(output, single));
    }
}

TEST(MatteLayer, CancellingDuringTheSpreadSearchStopsEveryThread) {
    NoisyBandFixture<MaskFormat8> f(1);
    // Inside the palette pass, which runs from 0.2 to 0.75 of the range.
    CancelAt cancel(0.4f);
    typename MaskFormat8::Image output = f.image.copy();
    EXPECT_THROW(matteLayer<MaskFormat8>(f.image, f.status, output, f.box(),
                                         FloatPoint(1.0f, 1.0f), f.layer,
                                         ProgressRange(&cancel, 0.0f, 1.0f), 4),
                 JxExCancel);
    // Nothing was composed yet.
    EXPECT_TRUE(sameImages(output, f.image));
}
