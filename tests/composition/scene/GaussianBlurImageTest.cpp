#include "ProcessorGauss.h"
#include "composition/scene/GaussianBlurImage.h"
#include "composition/scene/IconPixmap.h"

#include <QColor>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using Gauss = Corvel::ProcessorGauss<1, 1, 1, 1>;

QImage filled(int width, int height, const QColor& colour,
              QImage::Format format = QImage::Format_ARGB32) {
    QImage image(width, height, format);
    image.fill(colour);
    return image;
}

Corvel::PixelBuffer bufferOf(QImage& image) {
    return {image.bits(), image.width(), image.height(), image.bytesPerLine()};
}

TEST(GaussianBlurImage, FrequenciesOutsideTheOpenUnitIntervalGiveAPlainCopy) {
    QImage indexed(6, 4, QImage::Format_Indexed8);
    indexed.setColor(0, qRgb(10, 20, 30));
    indexed.setColor(1, qRgb(200, 100, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            indexed.setPixel(x, y, (x + y) % 2);
    for (double frequency : {1.0, 2.5, 0.0, -1.0}) {
        QImage out;
        gaussianBlurImage(indexed, out, frequency);
        EXPECT_EQ(out.format(), QImage::Format_ARGB32) << frequency;
        EXPECT_EQ(out, indexed.convertToFormat(QImage::Format_ARGB32)) << frequency;
    }
    QImage untouched = filled(2, 2, Qt::red);
    gaussianBlurImage(QImage(), untouched, 0.5);
    EXPECT_EQ(untouched, filled(2, 2, Qt::red)) << "a null input leaves the output alone";
}

TEST(GaussianBlurImage, KernelOfFrequencyAQuarter) {
    const float sigma = float(0.15915494309189535 / 0.25);
    EXPECT_NEAR(sigma, 0.6366, 1e-4);
    ASSERT_EQ(Gauss::radiusFor(sigma), 2);
    const std::vector<double> kernel = Gauss::kernelFor(sigma);
    ASSERT_EQ(kernel.size(), 5u);
    double sum = 0;
    for (int i = -2; i <= 2; ++i)
        sum += std::exp(-i * i / 3.2423);
    for (int i = -2; i <= 2; ++i)
        EXPECT_NEAR(kernel[i + 2], std::exp(-i * i / 3.2423) / sum, 1e-4) << i;
}

TEST(GaussianBlurImage, AUniformPictureStaysUniformUpToTruncation) {
    const QColor colour(200, 100, 50, 255);
    QImage out;
    gaussianBlurImage(filled(20, 12, colour), out, 0.25);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QColor got = out.pixelColor(x, y);
            ASSERT_LE(colour.red() - got.red(), 1) << x << "," << y;
            ASSERT_GE(colour.red() - got.red(), 0) << x << "," << y;
            ASSERT_LE(colour.alpha() - got.alpha(), 1) << x << "," << y;
        }
}

TEST(GaussianBlurImage, ShortSidesThatGetBothBorderFactorsStayNearTheirValue) {
    // Sides of 2r + 1 or fewer: middle pixels are near both ends at once and get both
    // factors. Under the undefined-behaviour checker an out-of-range conversion would stop here.
    for (const QSize& size : {QSize(3, 3), QSize(4, 9), QSize(5, 5)}) {
        QImage out;
        gaussianBlurImage(filled(size.width(), size.height(), Qt::white), out, 0.25);
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                EXPECT_GE(out.pixelColor(x, y).red(), 240) << x << "," << y;
    }
}

TEST(GaussianBlurImage, APictureNarrowerThanTheKernelIsLeftUnfiltered) {
    QImage in = filled(2, 10, Qt::black);
    in.setPixelColor(0, 5, Qt::white);
    QImage out;
    gaussianBlurImage(in, out, 0.25);
    EXPECT_EQ(out, in);
}

TEST(GaussianBlurImage, AlphaIsBlurredAcrossASharpEdge) {
    QImage in = filled(16, 8, QColor(255, 0, 0, 255));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            in.setPixelColor(x, y, QColor(0, 0, 255, 0));
    QImage out;
    gaussianBlurImage(in, out, 0.25);
    const QColor left = out.pixelColor(7, 4), right = out.pixelColor(8, 4);
    EXPECT_GT(left.alpha(), 0);
    EXPECT_LT(right.alpha(), 255);
    EXPECT_GT(left.red(), 0) << "colours of transparent pixels take part as stored";
    EXPECT_EQ(out.pixelColor(0, 4).alpha(), 0);
}

TEST(ProcessorGauss, AnAbortedRunLeavesTheDestinationAndIsJoined) {
    QImage source = filled(40, 40, Qt::white);
    source.setPixelColor(20, 20, Qt::black);
    QImage destination = source.copy();
    Gauss processor(bufferOf(destination), bufferOf(source), 2.0f);
    processor.abort();
    processor.start();
    EXPECT_TRUE(processor.wait(100000));
    EXPECT_EQ(destination, source);
}

TEST(ProcessorGauss, UnusableBuffersAreRefusedWithoutATouch) {
    QImage source = filled(8, 8, Qt::white);
    QImage destination = filled(8, 8, Qt::red);
    const QImage before = destination.copy();
    Corvel::PixelBuffer shortRows = bufferOf(source);
    shortRows.stride = 4 * 8 - 1;
    Corvel::PixelBuffer smaller = bufferOf(destination);
    smaller.width = 4;
    const Corvel::PixelBuffer none{};
    struct Case {
        Corvel::PixelBuffer destination, source;
        float sigma;
    };
    for (const Case& c : {Case{bufferOf(destination), shortRows, 1.0f},
                          Case{smaller, bufferOf(source), 1.0f},
                          Case{bufferOf(destination), none, 1.0f},
                          Case{bufferOf(destination), bufferOf(source), 0.0f},
                          Case{bufferOf(destination), bufferOf(source), NAN}}) {
        Gauss processor(c.destination, c.source, c.sigma);
        EXPECT_FALSE(processor.isUsable());
        processor.start();
        processor.join();
        EXPECT_EQ(destination, before);
    }
}

TEST(ProcessorGauss, ADestroyedProcessorHasJoinedItsThread) {
    QImage source = filled(64, 64, Qt::white);
    QImage destination = source.copy();
    {
        Gauss processor(bufferOf(destination), bufferOf(source), 3.0f);
        processor.start();
    }   // no wait: the destructor joins
    EXPECT_EQ(destination.pixelColor(32, 32), QColor(Qt::white));
}

TEST(IconPixmap, LargerPicturesAreSmoothedAndEveryPictureBecomes32Square) {
    EXPECT_EQ(iconPixmapFromImage(filled(64, 16, Qt::red)).size(), QSize(32, 32));
    QImage stripes = filled(128, 64, Qt::black);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; x += 2)
            stripes.setPixelColor(x, y, Qt::white);
    const QImage icon = iconPixmapFromImage(stripes).toImage();
    ASSERT_EQ(icon.size(), QSize(32, 32));
    EXPECT_NEAR(icon.pixelColor(16, 16).red(), 127, 20) << "stripes smoothed to grey";
    EXPECT_TRUE(iconPixmapFromImage(QImage()).isNull());
    EXPECT_EQ(handlePixmap(QStringLiteral("no-such-picture.png")).size(), QSize(32, 32));
}

}  // namespace
