#include "masking/TqSourceImage.h"

#include "masking/MaskingTestSupport.h"
#include "masking/NamedImage.h"

#include <QBuffer>
#include <QDataStream>
#include <QPoint>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

QImage filled(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

TqSourceImage fromImage(const QImage& image, const QString& url = QStringLiteral("file:///a.png")) {
    return TqSourceImage(NamedImage(image, QUrl(url)));
}

// A host buffer of four 16-bit channels per pixel, rows padded by one pixel.
struct Host16Buffer {
    Host16Buffer(int w, int h) : width(w), height(h), words(size_t(w + 1) * h * 4, 0) {}
    quint16* pixel(int x, int y) { return words.data() + (size_t(y) * (width + 1) + x) * 4; }
    TqPixelView view() {
        return TqPixelView{width, height, reinterpret_cast<unsigned char*>(words.data()),
                           (width + 1) * 8};
    }
    int width, height;
    std::vector<quint16> words;
};

}  // namespace

struct FormatCase {
    const char* name;
    QImage image;
    QRgb expected;   // the ARGB value of pixel (0, 0) after intake
};

TEST(TqSourceImage, EveryDroppedFormatBecomesArgb32KeepingAlpha) {
    QImage palette(3, 2, QImage::Format_Indexed8);
    palette.setColorTable({qRgba(10, 20, 30, 0), qRgba(200, 100, 50, 255)});
    palette.fill(0);
    QImage grey(3, 2, QImage::Format_Grayscale8);
    grey.fill(QColor(77, 77, 77));
    QImage premultiplied(3, 2, QImage::Format_ARGB32_Premultiplied);
    premultiplied.fill(QColor(200, 100, 40, 128));
    QImage rgba8888(3, 2, QImage::Format_RGBA8888);
    rgba8888.fill(QColor(1, 2, 3, 4));
    QImage rgba64(3, 2, QImage::Format_RGBA64);
    rgba64.fill(QColor(250, 0, 5, 100));
    QImage rgb888(3, 2, QImage::Format_RGB888);
    rgb888.fill(QColor(9, 8, 7));
    QImage mono(3, 2, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(40, 50, 60)});
    mono.fill(1);
    const std::vector<FormatCase> cases = {
        {"palette with a transparent entry", palette, qRgba(10, 20, 30, 0)},
        {"greyscale", grey, qRgb(77, 77, 77)},
        {"premultiplied", premultiplied, qRgba(200, 100, 40, 128)},
        {"RGBA8888", rgba8888, qRgba(1, 2, 3, 4)},
        {"RGBA64", rgba64, qRgba(250, 0, 5, 100)},
        {"RGB888", rgb888, qRgb(9, 8, 7)},
        {"mono", mono, qRgb(40, 50, 60)},
    };
    for (const FormatCase& row : cases) {
        SCOPED_TRACE(row.name);
        TqSourceImage image = fromImage(row.image);
        ASSERT_TRUE(image.valid());
        EXPECT_EQ(image.image().format(), QImage::Format_ARGB32);
        ASSERT_EQ(image.image().size(), QSize(3, 2));
        // The engine reads the view as blue, green, red, alpha bytes.
        const unsigned char* bytes = image.pixelView().data;
        ASSERT_NE(bytes, nullptr);
        const int alpha = qAlpha(row.expected);
        EXPECT_EQ(bytes[3], alpha);
        if (alpha != 0) {   // colour under full transparency is not defined after premultiplying
            EXPECT_NEAR(bytes[2], qRed(row.expected), 2);
            EXPECT_NEAR(bytes[1], qGreen(row.expected), 2);
            EXPECT_NEAR(bytes[0], qBlue(row.expected), 2);
        }
        EXPECT_EQ(image.pixelView().format, JxFormatRgba8);
        EXPECT_EQ(image.pixelView().stride, image.image().bytesPerLine());
    }
}

TEST(TqSourceImage, NamedAfterTheDecodedFileNameOfItsAddress) {
    EXPECT_EQ(fromImage(filled(2, 2, 0xff000000), QStringLiteral("http://h.example/d/a%20b%C3%A9.png?x=1"))
                  .name(),
              QString::fromUtf8("a b\xc3\xa9.png"));
    EXPECT_EQ(TqSourceImage(NamedImage(filled(2, 2, 0xff000000), QUrl())).name(), QString());
}

TEST(TqSourceImage, NullDroppedImageIsInvalidWithoutPixels) {
    TqSourceImage image{NamedImage(QImage(), QUrl(QStringLiteral("http://h.example/x.png")))};
    EXPECT_FALSE(image.valid());
    EXPECT_EQ(image.pixelView().data, nullptr);
    EXPECT_FALSE(image.makeWorkingImage(2));
    EXPECT_EQ(image.imageCheck(), 0);
}

struct WorkingCase {
    int divisor;
    QSize expected;
};

TEST(TqSourceImage, WorkingImageIsTheSizeRoundedUpAndShowsThePicture) {
    TqSourceImage image = fromImage(zqtest::quadrantImage(1280, 641));
    const std::vector<WorkingCase> cases = {
        {1, {1280, 641}}, {2, {640, 321}}, {4, {320, 161}}, {8, {160, 81}}};
    for (const WorkingCase& row : cases) {
        SCOPED_TRACE(row.divisor);
        ASSERT_TRUE(image.makeWorkingImage(row.divisor));
        EXPECT_EQ(image.workingDivisor(), row.divisor);
        const QImage& working = image.workingImage();
        ASSERT_EQ(working.size(), row.expected);
        EXPECT_EQ(working.format(), QImage::Format_ARGB32);
        EXPECT_EQ(image.workingPixmap().size(), row.expected);
        const TqPixelView view = image.workingView();
        EXPECT_EQ(view.width, row.expected.width());
        EXPECT_EQ(view.height, row.expected.height());
        EXPECT_EQ(view.data, working.constBits());
        const int right = working.width() - 1, bottom = working.height() - 1;
        EXPECT_EQ(zqtest::quadrantColour(working.pixel(0, 0)), 'R');
        EXPECT_EQ(zqtest::quadrantColour(working.pixel(right, 0)), 'G');
        EXPECT_EQ(zqtest::quadrantColour(working.pixel(0, bottom)), 'B');
        EXPECT_EQ(zqtest::quadrantColour(working.pixel(right, bottom)), 'W');
    }
}

TEST(TqSourceImage, DivisorOtherThanOneTwoFourEightIsRefusedAndTheWorkingImageStays) {
    TqSourceImage image = fromImage(filled(100, 60, 0xff336699));
    ASSERT_TRUE(image.makeWorkingImage(2));
    for (int divisor : {3, 0, -2, 16, 5}) {
        SCOPED_TRACE(divisor);
        EXPECT_FALSE(image.makeWorkingImage(divisor));
        EXPECT_EQ(image.workingImage().size(), QSize(50, 30));
        EXPECT_EQ(image.workingDivisor(), 2);
    }
}

TEST(TqSourceImage, WorkingImageOfAPictureSmallerThanABlockIsStillThePicture) {
    // The engine's down-scaler refuses a source smaller than its block; the working image must
    // not be left as uninitialised memory.
    for (const QSize size : {QSize(5, 1), QSize(1, 7), QSize(3, 3)}) {
        SCOPED_TRACE(size.width() * 100 + size.height());
        TqSourceImage image = fromImage(filled(size.width(), size.height(), 0xff204080));
        ASSERT_TRUE(image.makeWorkingImage(8));
        const QImage& working = image.workingImage();
        ASSERT_EQ(working.size(), QSize((size.width() + 7) / 8, (size.height() + 7) / 8));
        for (int y = 0; y < working.height(); ++y)
            for (int x = 0; x < working.width(); ++x)
                EXPECT_EQ(working.pixel(x, y), 0xff204080u);
    }
}

struct TrimCase {
    const char* name;
    std::vector<QPoint> opaque;
    QRect expected;   // null: no pixmap
};

TEST(TqSourceImage, TrimmedPixmapIsTheBoxOfNonTransparentPixels) {
    const std::vector<TrimCase> cases = {
        {"fully transparent", {}, QRect()},
        {"one pixel", {QPoint(5, 7)}, QRect(5, 7, 1, 1)},
        {"two corners", {QPoint(2, 9), QPoint(11, 3)}, QRect(QPoint(2, 3), QPoint(11, 9))},
        {"whole image", {QPoint(0, 0), QPoint(19, 14)}, QRect(0, 0, 20, 15)},
    };
    for (const TrimCase& row : cases) {
        SCOPED_TRACE(row.name);
        QImage picture = filled(20, 15, qRgba(255, 255, 255, 0));
        for (const QPoint& point : row.opaque)
            picture.setPixel(point, qRgba(10, 200, 30, 1));   // the faintest alpha counts
        TqSourceImage image = fromImage(picture);
        QPoint topLeft(-1, -1);
        const QPixmap trimmed = image.trimmedPixmap(&topLeft);
        if (row.expected.isNull()) {
            EXPECT_TRUE(trimmed.isNull());
            EXPECT_EQ(topLeft, QPoint(-1, -1));
            continue;
        }
        EXPECT_EQ(trimmed.size(), row.expected.size());
        EXPECT_EQ(topLeft, row.expected.topLeft());
        const QImage shown = trimmed.toImage().convertToFormat(QImage::Format_ARGB32);
        const QPoint first = row.opaque.front() - row.expected.topLeft();
        EXPECT_EQ(qAlpha(shown.pixel(first)), 1);
    }
}

TEST(TqSourceImage, ImageCheckSeesTheTopRowOnly) {
    QImage picture = filled(16, 8, 0xff102030);
    const quint16 check = fromImage(picture).imageCheck();
    EXPECT_NE(check, 0);
    QImage lower = picture.copy();
    lower.setPixel(3, 5, 0xffffffff);
    EXPECT_EQ(fromImage(lower).imageCheck(), check);
    QImage top = picture.copy();
    top.setPixel(1, 0, 0xff112030);   // within the first 16 bytes
    EXPECT_NE(fromImage(top).imageCheck(), check);
    EXPECT_NE(fromImage(filled(16, 9, 0xff102030)).imageCheck(), check) << "height takes part";
    TqSourceImage invalid{QVariant()};
    EXPECT_EQ(invalid.imageCheck(), 0);
}

TEST(TqSourceImage, MapRoundTripThroughAStreamKeepsPixelsNameAndCheck) {
    QImage picture = zqtest::quadrantImage(30, 20).convertToFormat(QImage::Format_ARGB32);
    picture.setPixel(4, 4, qRgba(1, 2, 3, 77));
    TqSourceImage original = fromImage(picture, QStringLiteral("file:///photos/brick.jpg"));
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << QVariant(original.toVariant());
    }
    QVariant restoredMap;
    QDataStream in(bytes);
    in >> restoredMap;
    TqSourceImage restored(restoredMap);
    ASSERT_TRUE(restored.valid());
    EXPECT_EQ(restored.name(), QStringLiteral("brick.jpg"));
    EXPECT_EQ(restored.image(), original.image());
    EXPECT_EQ(restored.image().pixel(4, 4), qRgba(1, 2, 3, 77));
    EXPECT_EQ(restored.imageCheck(), original.imageCheck());
    EXPECT_EQ(restored.imageMaster(), TqSourceImage::ImageMaster);
    EXPECT_EQ(restored.format(), TqSourceImage::Format8);
}

struct MapCase {
    const char* name;
    QVariantMap map;
};

TEST(TqSourceImage, MapWithoutPixelsNeverRestoresAValidImage) {
    const QImage picture = filled(4, 4, 0xff00ff00);
    QVariantMap good{{"valid_", true}, {"filename_", "x.png"}, {"format_", 1},
                     {"imageMaster_", 0}, {"imageImage_", picture}};
    auto with = [&good](const char* key, const QVariant& value) {
        QVariantMap map = good;
        map.insert(key, value);
        return map;
    };
    QVariantMap noImage = good;
    noImage.remove("imageImage_");
    const std::vector<MapCase> cases = {
        {"16-bit master", with("imageMaster_", 1)},
        {"8-bit master", with("imageMaster_", 2)},
        {"unknown master", with("imageMaster_", 7)},
        {"null image", with("imageImage_", QImage())},
        {"no image", noImage},
        {"marked invalid", with("valid_", false)},
        {"not an image", with("imageImage_", QStringLiteral("pixels"))},
        {"empty map", QVariantMap()},
    };
    for (const MapCase& row : cases) {
        SCOPED_TRACE(row.name);
        TqSourceImage image{QVariant(row.map)};
        EXPECT_FALSE(image.valid());
        const JxImage view = image.pixelView();
        EXPECT_EQ(view.data, nullptr);
        EXPECT_EQ(view.width, 0);
        EXPECT_FALSE(image.makeWorkingImage(1));
        EXPECT_EQ(image.imageCheck(), 0);
        EXPECT_TRUE(image.trimmedPixmap().isNull());
    }
    TqSourceImage restored{QVariant(good)};
    EXPECT_TRUE(restored.valid()) << "the unchanged map is restored";
}

TEST(TqSourceImage, MapOfAnotherFormatRestoresAsArgb32) {
    QImage grey(5, 3, QImage::Format_Grayscale8);
    grey.fill(QColor(60, 60, 60));
    TqSourceImage image{QVariant(QVariantMap{{"valid_", true}, {"imageImage_", grey}})};
    ASSERT_TRUE(image.valid());
    EXPECT_EQ(image.image().format(), QImage::Format_ARGB32);
    EXPECT_EQ(image.image().pixel(2, 1), qRgb(60, 60, 60));
}

struct ChannelCase {
    quint16 value;
    int format;
    int expected;
};

TEST(TqSourceImage, SixteenBitChannelsBecomeEightBitsWithoutWrapping) {
    const std::vector<ChannelCase> cases = {
        {32768, 3, 255}, {65535, 3, 255}, {40000, 3, 255}, {32896, 3, 255}, {16384, 3, 127},
        {128, 3, 0},     {0, 3, 0},       {65535, 2, 255}, {129, 2, 1},     {128, 2, 0},
        {32896, 2, 128}, {0, 2, 0},
    };
    for (const ChannelCase& row : cases) {
        SCOPED_TRACE(row.value * 10 + row.format);
        EXPECT_EQ(TqSourceImage::channel16To8(row.value, row.format), row.expected);
    }
}

TEST(TqSourceImage, SixteenBitHostViewIsShownInPlaceAndRefreshedWhenMarked) {
    Host16Buffer host(3, 2);
    for (int c = 0; c < 4; ++c)
        host.pixel(2, 1)[c] = quint16(c == 3 ? 32768 : 16384 * c);   // blue 0, green, red, alpha
    host.pixel(0, 0)[2] = 65535;   // a host may send more than 32768
    host.pixel(0, 0)[3] = 32768;
    TqSourceImage image(host.view(), TqSourceImage::HostDepth::Sixteen, QStringLiteral("8"));
    ASSERT_TRUE(image.valid());
    EXPECT_EQ(image.imageMaster(), TqSourceImage::Array16Master);
    EXPECT_EQ(image.format(), TqSourceImage::Format16Max32768);
    EXPECT_EQ(image.image().pixel(2, 1), qRgba(255, 127, 0, 255));
    EXPECT_EQ(image.image().pixel(0, 0), qRgba(255, 0, 0, 255));
    const JxImage view = image.pixelView();
    EXPECT_EQ(view.data, reinterpret_cast<unsigned char*>(host.words.data()));
    EXPECT_EQ(view.format, JxFormatRgba16Max32768);
    EXPECT_EQ(view.stride, 32);

    // The engine writes a mask into the host's buffer; the display follows once marked.
    host.pixel(1, 0)[1] = 32768;
    host.pixel(1, 0)[3] = 32768;
    EXPECT_EQ(image.image().pixel(1, 0), 0u);
    image.setViewChanged();
    image.refreshFromView();
    EXPECT_EQ(image.image().pixel(1, 0), qRgba(0, 255, 0, 255));
    EXPECT_EQ(image.pixmap().toImage().pixel(1, 0), qRgba(0, 255, 0, 255));
    EXPECT_FALSE(image.viewChanged());
}

TEST(TqSourceImage, EightBitHostViewIsShownInPlace) {
    std::vector<quint32> buffer(4 * 3, 0xff000000);
    TqSourceImage image(TqPixelView{4, 3, reinterpret_cast<unsigned char*>(buffer.data()), 16},
                        TqSourceImage::HostDepth::Eight, QStringLiteral("8"));
    ASSERT_TRUE(image.valid());
    EXPECT_EQ(image.imageMaster(), TqSourceImage::Array8Master);
    EXPECT_EQ(image.pixelView().data, reinterpret_cast<unsigned char*>(buffer.data()));
    buffer[5] = 0xff00ff00;
    EXPECT_EQ(image.image().pixel(1, 1), 0xff00ff00u) << "the image lies over the host buffer";
    EXPECT_NE(image.pixmap().toImage().pixel(1, 1), 0xff00ff00u);
    image.setViewChanged();
    image.refreshFromView();
    EXPECT_EQ(image.pixmap().toImage().pixel(1, 1), 0xff00ff00u);
}

struct HostViewCase {
    const char* name;
    TqPixelView view;
    TqSourceImage::HostDepth depth;
};

TEST(TqSourceImage, HostViewThatCannotHoldItsRowsGivesAnInvalidImage) {
    static std::vector<quint32> buffer(64, 0);
    auto* data = reinterpret_cast<unsigned char*>(buffer.data());
    using Depth = TqSourceImage::HostDepth;
    const std::vector<HostViewCase> cases = {
        {"null data", {4, 4, nullptr, 16}, Depth::Eight},
        {"no width", {0, 4, data, 16}, Depth::Eight},
        {"negative height", {4, -1, data, 16}, Depth::Eight},
        {"stride below a row", {4, 4, data, 12}, Depth::Eight},
        {"negative stride", {4, 4, data, -16}, Depth::Eight},
        {"stride below a 16-bit row", {4, 4, data, 16}, Depth::Sixteen},
        {"odd 16-bit stride", {1, 4, data, 9}, Depth::Sixteen},
        {"misaligned 16-bit data", {1, 2, data + 1, 8}, Depth::Sixteen},
    };
    for (const HostViewCase& row : cases) {
        SCOPED_TRACE(row.name);
        TqSourceImage image(row.view, row.depth, QStringLiteral("8"));
        EXPECT_FALSE(image.valid());
        EXPECT_EQ(image.pixelView().data, nullptr);
        EXPECT_EQ(image.imageCheck(), 0);
    }
}

TEST(TqSourceImage, CopyOwnsItsPixelsWhateverTheMaster) {
    std::vector<quint32> buffer8(6, 0xff112233);
    Host16Buffer host16(3, 2);
    host16.pixel(1, 1)[0] = 32768;
    TqSourceImage master0 = fromImage(filled(3, 2, 0x80112233), QStringLiteral("file:///c.png"));
    TqSourceImage master8(TqPixelView{3, 2, reinterpret_cast<unsigned char*>(buffer8.data()), 12},
                          TqSourceImage::HostDepth::Eight, QStringLiteral("eight"));
    TqSourceImage master16(host16.view(), TqSourceImage::HostDepth::Sixteen,
                           QStringLiteral("sixteen"));
    for (TqSourceImage* original : {&master0, &master8, &master16}) {
        SCOPED_TRACE(original->imageMaster());
        TqSourceImage copy(*original);
        ASSERT_TRUE(copy.valid());
        EXPECT_EQ(copy.name(), original->name());
        EXPECT_EQ(copy.imageMaster(), original->imageMaster());
        EXPECT_EQ(copy.format(), original->format());
        EXPECT_EQ(copy.image(), original->image());
        EXPECT_EQ(copy.imageCheck(), original->imageCheck());
        const JxImage mine = copy.pixelView();
        const JxImage theirs = original->pixelView();
        EXPECT_EQ(mine.format, theirs.format);
        EXPECT_NE(mine.data, theirs.data);
        // Writing into the original's pixels leaves the copy as it was.
        const QImage before = copy.image().copy();
        std::memset(theirs.data, 0x7f, 4);
        original->setViewChanged();
        original->refreshFromView();
        EXPECT_EQ(copy.image(), before);
    }
    TqSourceImage invalid{QVariant()};
    EXPECT_FALSE(TqSourceImage(invalid).valid());
}

TEST(TqSourceImage, CopyPixelsFromAnotherSizeOrMasterIsRefused) {
    TqSourceImage target = fromImage(filled(4, 4, 0xff0000ff));
    const QImage before = target.image().copy();
    TqSourceImage smaller = fromImage(filled(4, 3, 0xffff0000));
    std::vector<quint32> buffer(16, 0xffffffff);
    TqSourceImage host(TqPixelView{4, 4, reinterpret_cast<unsigned char*>(buffer.data()), 16},
                       TqSourceImage::HostDepth::Eight, QStringLiteral("8"));
    EXPECT_FALSE(target.copyPixelsFrom(smaller));
    EXPECT_FALSE(target.copyPixelsFrom(host));
    EXPECT_FALSE(target.copyPixelsFrom(target));
    EXPECT_EQ(target.image(), before);
    TqSourceImage same = fromImage(filled(4, 4, 0xff00ff00), QStringLiteral("file:///g.png"));
    ASSERT_TRUE(target.makeWorkingImage(2));
    EXPECT_TRUE(target.copyPixelsFrom(same));
    EXPECT_EQ(target.image().pixel(3, 3), 0xff00ff00u);
    EXPECT_EQ(target.pixmap().toImage().pixel(3, 3), 0xff00ff00u);
    EXPECT_EQ(target.name(), QStringLiteral("g.png"));
    EXPECT_TRUE(target.workingImage().isNull()) << "the old working copy is dropped";
}
